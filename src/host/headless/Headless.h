// The headless host: the host operations without a window, on a virtual clock
// that stands still unless the program waits or the caller advances it, so
// timers and the clock are tested without sleeping.
#pragma once

#include <cstdint>

#include "calendar/Date.h"
#include "host/common/Host.h"

// Called when the application waits for a key and the queue is empty, with the
// wait asked for in milliseconds (HOST_WAIT_FOREVER for none). It may push
// keys, advance the clock, take screenshots or request close. If it leaves no
// key and did not move the clock, the wait passes virtually as with no feeder.
using HeadlessFeeder = void (*)(int waitMs);

// Installs the headless operations and the virtual clock (Date_SetClock);
// empties the key queue, removes the feeder and sets the clock to 2024-01-01
// 09:00:00 local time, input method closed.
void Headless_Install();

// Pushes one key code; false if the queue was full (the key is dropped).
bool Headless_PushKey(int code);
// Pushes every byte of a NUL-terminated text as a key; returns the count pushed.
int Headless_PushText(const char* text);
// Ends the application as a signal does (KEY_HOST_CLOSE): nothing is asked.
void Headless_RequestClose();
// The user's close of the window (KEY_HOST_CLOSE_REQUEST): the application
// may ask first and go on.
void Headless_AskClose();
// Asks for Command n on the focus chain.
bool Headless_PushCommand(int command);

// Virtual clock. The local time zone of the virtual clock is UTC, so a local
// date-time maps to one instant whatever the machine's zone.
void Headless_Advance(std::int64_t ms);
void Headless_SetLocalTime(int year, int month, int mday, int hour, int minute, int second);
void Headless_ReadClock(DateClock& out);
std::int64_t Headless_NowMs();      // virtual milliseconds since the epoch

void Headless_SetFeeder(HeadlessFeeder feeder);   // nullptr: no feeder

// The transfer of the dirty region before each wait (nullptr: none).
void Headless_SetTransfer(void (*transfer)());

// With no feeder, after this many waits in a row without a key the host asks
// the application to close, so a program that waits forever ends (default
// Headless_kIdleLimit; 0 turns the guard off).
void Headless_SetIdleLimit(int waits);

// Counters and the last debug message, for tests.
int Headless_WaitCount();               // waits since Headless_Install
const char* Headless_LastDebugMessage(); // "" when none

inline constexpr int Headless_kIdleLimit = 100000;
