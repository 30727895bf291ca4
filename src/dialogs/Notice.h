// Notices: short messages, confirmations and the version banner, shown in the
// message box, after which the main area is drawn again.
#pragma once

#include "toolkit/nw.h"

// Types.
inline constexpr int NOTICE_OK = NW_MB_OK;              // one "OK" button
inline constexpr int NOTICE_CONFIRM = NW_MB_OK_CANCEL;  // "OK" and "CANCEL"
inline constexpr int NOTICE_YES_NO_CANCEL = NW_MB_YES_NO_CANCEL;  // "はい", "いいえ", "取消"
// Results: a confirmation is taken as yes only for NOTICE_YES.
inline constexpr int NOTICE_YES = NW_MB_RESULT_OK;
inline constexpr int NOTICE_CANCEL = NW_MB_RESULT_CANCEL;
inline constexpr int NOTICE_NO = NW_MB_RESULT_NG;  // "いいえ"
inline constexpr int NOTICE_NO_ANSWER = NW_MB_NO_ANSWER;  // not shown, or closed by a quit

// The texts the program shows (Shift-JIS).
// "保存に失敗しました"
inline constexpr const char* NOTICE_SAVE_FAILED =
    "\x95\xdb\x91\xb6\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd";
// "CSV形式で書き出します"
inline constexpr const char* NOTICE_CSV_CONFIRM =
    "CSV\x8c\x60\x8e\xae\x82\xc5\x8f\x91\x82\xab\x8f\x6f\x82\xb5\x82\xdc\x82\xb7";
// "書き出しました"
inline constexpr const char* NOTICE_CSV_DONE = "\x8f\x91\x82\xab\x8f\x6f\x82\xb5\x82\xdc\x82\xb5\x82\xbd";
// "失敗しました"
inline constexpr const char* NOTICE_FAILED = "\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd";
// "EUCコードに変換します"
inline constexpr const char* NOTICE_EUC_CONFIRM =
    "EUC\x83\x52\x81\x5b\x83\x68\x82\xc9\x95\xcf\x8a\xb7\x82\xb5\x82\xdc\x82\xb7";
// "変換しました"
inline constexpr const char* NOTICE_EUC_DONE = "\x95\xcf\x8a\xb7\x82\xb5\x82\xdc\x82\xb5\x82\xbd";
// "選択された項目を\n削除します"
inline constexpr const char* NOTICE_DELETE_CONFIRM =
    "\x91\x49\x91\xf0\x82\xb3\x82\xea\x82\xbd\x8d\x80\x96\xda\x82\xf0\n\x8d\xed\x8f\x9c\x82\xb5\x82\xdc\x82\xb7";
// "見つかりませんでした"
inline constexpr const char* NOTICE_NOT_FOUND =
    "\x8c\xa9\x82\xc2\x82\xa9\x82\xe8\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82\xb5\x82\xbd";
// "未実装項目\nごめんなさい"
inline constexpr const char* NOTICE_NOT_IMPLEMENTED =
    "\x96\xa2\x8e\xc0\x91\x95\x8d\x80\x96\xda\n\x82\xb2\x82\xdf\x82\xf1\x82\xc8\x82\xb3\x82\xa2";

// Shows text (at most three lines separated by line feeds) in the message box
// and posts Redraw to the main area; returns the box's result. Before the
// screen is attached, or once a Quit or close request has been taken, the text
// goes to the host's debug message instead and the result is NOTICE_NO_ANSWER;
// a confirmation is then answered NOTICE_CANCEL.
int Notice_Show(const char* text, int type);
// The same box without redrawing the main area afterwards (the range message
// of the fields, shown over an open dialog).
int Notice_Box(const char* text, int type);
// A confirmation: true only when "OK" was chosen.
bool Notice_Confirm(const char* text);
void Notice_Version();
void Notice_NotImplemented();
// The version banner: three lines, the first ending in "Rel " and the release.
const char* Notice_Banner();

// Once the screen objects exist: boxes go on the title object and the data
// layer's notices (held until now) come to Notice_Show.
void Notice_Attach();
// Forgets the attachment: notices, the data layer's too, go to the host's
// debug message.
void Notice_Detach();
