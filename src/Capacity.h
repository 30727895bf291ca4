// Every fixed capacity of Velmo, named once. Pools and tables are sized from
// these; an overflow is refused (null, false or a dropped item), never written
// past the end.
#pragma once

#include <cstddef>

namespace cap {

// Item store
inline constexpr std::size_t kEntries = 6000;          // entry table
inline constexpr std::size_t kPoolBlockBytes = 16384;  // one pool block
inline constexpr std::size_t kPoolBlocks = 48;         // blocks per pool
inline constexpr std::size_t kEntriesPerBlock = 256;   // entries in one EntryPool block
inline constexpr std::size_t kMonthCacheSlots = 3;     // expanded months kept
inline constexpr std::size_t kLabels = 8;              // label-visibility flags
inline constexpr std::size_t kMonthDays = 31;
inline constexpr std::size_t kMonthOccurrences = kEntries * kMonthDays;  // every entry on every day
inline constexpr std::size_t kLabelNameBuffer = 16;    // one label name

// Files
inline constexpr std::size_t kFileName = 256;          // file-name buffers
inline constexpr std::size_t kSettingsLine = 256;      // continuation-file line

// Toolkit
inline constexpr std::size_t kEventQueue = 128;        // message ring
inline constexpr std::size_t kChildren = 32;           // children of one object
inline constexpr std::size_t kTimers = 5;              // interval timers
inline constexpr std::size_t kToolbarSlots = 10;       // function-key bar
inline constexpr std::size_t kModalDepth = 16;         // nested modal loops
inline constexpr std::size_t kMessageBoxLines = 3;     // text lines of a message box
inline constexpr std::size_t kMessageBoxButtons = 3;   // buttons of a message box
inline constexpr std::size_t kMessageBoxText = 80;     // text buffer of each line and button
inline constexpr std::size_t kMessageBoxColumns = 28;  // half-width cells a box line shows
inline constexpr int kParentChain = 64;                 // longest parent chain walked
inline constexpr int kTimerCatchUp = 10;                // intervals a timer may lag before it skips ahead
inline constexpr int kTimerMaxWaitMs = 60000;           // longest wait between timer checks

// Graphics and host
inline constexpr int kWindowScale = 8;                  // largest whole-number window zoom
inline constexpr std::size_t kKeyQueue = 100;          // host key queue
inline constexpr std::size_t kHostFeed = 4096;         // window host: text keys waiting for the queue
inline constexpr int kScreenWidth = 640;
inline constexpr int kScreenHeight = 240;

// Shell
inline constexpr std::size_t kTitleText = 144;         // text the title line shows
inline constexpr std::size_t kTitleLine = 80;          // a formatted title ("Velmo  %s")
inline constexpr std::size_t kTitleIconBytes = 80;     // "#ZBV" header and 16 x 16 x 2 bits
inline constexpr std::size_t kReminderBatch = 8;       // schedules told of at one look
inline constexpr std::size_t kRemindersKept = 64;      // occurrences remembered as told
inline constexpr int kReminderMinutes = 24 * 60;        // longest lead of a reminder

// Entry dialog
inline constexpr std::size_t kEntryDialogText = 2047;  // bytes of an entry's text in the dialog
inline constexpr std::size_t kSearchText = 13;         // bytes of a search text

// Hosts
inline constexpr std::size_t kHostCaption = 128;       // window caption
inline constexpr std::size_t kHostBanner = 256;        // version banner of the About box
inline constexpr std::size_t kVersionBanner = 256;     // version notice
inline constexpr std::size_t kScriptLine = 4096;       // longest headless-script line

// Dialogs
inline constexpr std::size_t kDialogFields = 24;       // fields one dialog registers

// Record file
inline constexpr std::size_t kRecordReadMax = 4u << 20;  // a load never consumes more of a file

// Entry identities (UIDs) and their side file
inline constexpr std::size_t kUidBytes = 1024;          // longest UID kept (servers' can be long)
inline constexpr std::size_t kIdentitySlots = 16384;    // entries with a UID, live and deleted (power of 2)
inline constexpr std::size_t kIdentityText = 1u << 20;  // bytes of every UID together

// CalDAV sync (velmo-cli)
inline constexpr std::size_t kSyncAnswerBytes = 10u << 20;  // a server's answer is refused beyond this
inline constexpr std::size_t kSyncMultigetBatch = 200;      // items asked for in one calendar-multiget
inline constexpr int kSyncTimeoutMs = 30000;                // one request, connecting included
inline constexpr int kSyncConnectTimeoutMs = 10000;
inline constexpr int kSyncRedirects = 5;                    // redirects followed by one request
inline constexpr std::size_t kSyncStateBatch = 50;         // changes carried out between two saves of the state

}  // namespace cap
