#include "shell/Help.h"

#include <array>
#include <cstring>

#include "dialogs/Field.h"
#include "shell/Shell.h"
#include "shell/Title.h"
#include "views/View.h"

namespace {

constexpr int kHelpResult = 1;        // every way out rebuilds the view

constexpr ZebRect kWindow{30, 25, 580, 190};
constexpr int kLeft = 30;
constexpr int kWidth = 580;
constexpr int kHeadingY = 33;
constexpr int kHeadingLeftX = 50;
constexpr int kHeadingRightX = 589;   // right edge of the right heading
constexpr int kRuleY = 49;
constexpr int kDividerX = 320;
constexpr int kDividerTop = 57;
constexpr int kDividerBottom = 206;
constexpr int kLeftColumnX = 52;
constexpr int kRightColumnX = 332;
constexpr int kFirstLineY = 57;
constexpr int kLineStep = 12;
constexpr int kCharWidth = 6;         // half-width advance of font 1
constexpr int kLines = 12;

constexpr const char* kTitle = "\x83\x77\x83\x8b\x83\x76";  // "ヘルプ"

struct Row {
  const char* left;   // null: empty
  const char* right;
};

struct Page {
  const char* leftHeading;
  const char* rightHeading;
  std::array<Row, kLines> rows;
};

constexpr Page kBrowsePage{
    "\x81\x6d\x83\x75\x83\x89\x83\x45\x83\x59\x89\xe6\x96\xca\x81\x6e",  // "［ブラウズ画面］"
    "\x81\x6d\x83\x75\x83\x89\x83\x45\x83\x59\x89\xe6\x96\xca\x81\x6e",  // "［ブラウズ画面］"
    {{
        {"\x81\xaa\x81\xab\x81\xa9\x81\xa8   \x83\x4a\x81\x5b\x83\x5c\x83\x8b\x82\xcc\x88\xda\x93\xae(CTRL+{P,N,B,F})",  // "↑↓←→   カーソルの移動(CTRL+{P,N,B,F})"
         "RETURN     \x90\x94\x8f\x54\x8a\xd4,\x8f\x54\x8a\xd4,\x93\xfa\x82\xf0\x83\x67\x83\x4f\x83\x8b(CTRL+J)"},  // "RETURN     数週間,週間,日をトグル(CTRL+J)"
        {"CTRL+\x81\xaa\x81\xab  \x83\x41\x83\x43\x83\x65\x83\x80\x82\xcc\x91\x49\x91\xf0(P,N)",  // "CTRL+↑↓  アイテムの選択(P,N)"
         "BS         \x90\x94\x8f\x54\x8a\xd4,\x8f\x54\x8a\xd4,\x93\xfa\x82\xf0\x8b\x74\x83\x67\x83\x4f\x83\x8b"},  // "BS         数週間,週間,日を逆トグル"
        {"\x82\x73         \x83\x5e\x83\x58\x83\x4e\x92\xc7\x89\xc1",  // "Ｔ         タスク追加"
         "CTRL+L     [\x8d\xa1]\x82\xc9\x88\xda\x93\xae"},  // "CTRL+L     [今]に移動"
        {"\x82\x72         \x83\x58\x83\x50\x83\x57\x83\x85\x81\x5b\x83\x8b\x92\xc7\x89\xc1",  // "Ｓ         スケジュール追加"
         "CTRL+S     \x95\xdb\x91\xb6"},  // "CTRL+S     保存"
        {"\x82\x67         \x8b\x78\x93\xfa\x92\xc7\x89\xc1",  // "Ｈ         休日追加"
         "CTRL+RET   \x83\x75\x83\x89\x83\x45\x83\x59"},  // "CTRL+RET   ブラウズ"
        {"\x82\x65         \x8c\x9f\x8d\xf5",  // "Ｆ         検索"
         "\x82\x50         \x83\x89\x83\x78\x83\x8b\x82\x50\x82\xcc\x91\x49\x91\xf0"},  // "１         ラベル１の選択"
        {"\x82\x66         \x8e\x9f\x82\xf0\x8c\x9f\x8d\xf5",  // "Ｇ         次を検索"
         "\x82\x51         \x83\x89\x83\x78\x83\x8b\x82\x51\x82\xcc\x91\x49\x91\xf0"},  // "２         ラベル２の選択"
        {"\x82\x69         \x8e\x77\x92\xe8\x93\xfa\x82\xc9\x83\x57\x83\x83\x83\x93\x83\x76",  // "Ｊ         指定日にジャンプ"
         "\x82\x52         \x83\x89\x83\x78\x83\x8b\x82\x52\x82\xcc\x91\x49\x91\xf0"},  // "３         ラベル３の選択"
        {"\x82\x62         \x82\x52\x83\x96\x8c\x8e\x83\x4a\x83\x8c\x83\x93\x83\x5f\x81\x5b\x82\xc9\x88\xda\x8d\x73",  // "Ｃ         ３ヶ月カレンダーに移行"
         "\x82\x53         \x83\x89\x83\x78\x83\x8b\x82\x53\x82\xcc\x91\x49\x91\xf0"},  // "４         ラベル４の選択"
        {"\x82\x63         \x95\x5c\x8e\xa6\x83\x54\x83\x43\x83\x59\x95\xcf\x8d\x58",  // "Ｄ         表示サイズ変更"
         "\x82\x58         \x83\x4a\x83\x58\x83\x5e\x83\x80\x83\x89\x83\x78\x83\x8b\x82\xcc\x91\x49\x91\xf0"},  // "９         カスタムラベルの選択"
        {"\x82\x75         \x83\x6f\x81\x5b\x83\x57\x83\x87\x83\x93\x95\x5c\x8e\xa6",  // "Ｖ         バージョン表示"
         "\x82\x4f         \x91\x53\x83\x89\x83\x78\x83\x8b\x82\xcc\x91\x49\x91\xf0"},  // "０         全ラベルの選択"
        {"\x81\x48         \x83\x77\x83\x8b\x83\x76\x95\x5c\x8e\xa6",  // "？         ヘルプ表示"
         "\x82\x70         \x8f\x49\x97\xb9"},  // "Ｑ         終了"
    }}};

constexpr Page kItemPage{
    // "[ブラウズ画面 -アイテム選択時- ]"
    "[\x83\x75\x83\x89\x83\x45\x83\x59\x89\xe6\x96\xca -\x83\x41\x83\x43\x83\x65\x83\x80\x91\x49\x91\xf0\x8e\x9e- ]",
    // "［追加変更ダイアログ］"
    "\x81\x6d\x92\xc7\x89\xc1\x95\xcf\x8d\x58\x83\x5f\x83\x43\x83\x41\x83\x8d\x83\x4f\x81\x6e",
    {{
        {"CTRL+\x81\xaa\x81\xab  \x83\x41\x83\x43\x83\x65\x83\x80\x82\xcc\x91\x49\x91\xf0(P,N)",  // "CTRL+↑↓  アイテムの選択(P,N)"
         "TAB        \x93\xfc\x97\xcd\x83\x74\x83\x48\x81\x5b\x83\x4a\x83\x58\x82\xcc\x91\x4f\x88\xda\x93\xae"},  // "TAB        入力フォーカスの前移動"
        {"RETURN     \x83\x41\x83\x43\x83\x65\x83\x80\x82\xcc\x95\xcf\x8d\x58",  // "RETURN     アイテムの変更"
         "SHIFT+TAB  \x93\xfc\x97\xcd\x83\x74\x83\x48\x81\x5b\x83\x4a\x83\x58\x82\xcc\x8c\xe3\x88\xda\x93\xae"},  // "SHIFT+TAB  入力フォーカスの後移動"
        {"DEL        \x83\x41\x83\x43\x83\x65\x83\x80\x82\xcc\x8d\xed\x8f\x9c",  // "DEL        アイテムの削除"
         "\x81\xa9\x81\xa8       \x83\x4a\x81\x5b\x83\x5c\x83\x8b\x82\xcc\x88\xda\x93\xae"},  // "←→       カーソルの移動"
        {"SPACE      \x83\x5e\x83\x58\x83\x4e\x82\xcc\x8a\xae\x97\xb9\x96\xa2\x97\xb9\x90\xd8\x82\xe8\x8a\xb7\x82\xa6",  // "SPACE      タスクの完了未了切り換え"
         "\x81\xaa\x81\xab       \x90\x94\x8e\x9a\x82\xcc\x91\x9d\x8c\xb8"},  // "↑↓       数字の増減"
        {"CTRL+X     \x83\x4a\x83\x62\x83\x67",  // "CTRL+X     カット"
         "CTRL+RET   \x8b\x4c\x8f\x71\x97\x93\x82\xd6\x82\xcc\x89\xfc\x8d\x73\x95\xb6\x8e\x9a\x91\x7d\x93\xfc(CTRL+M)"},  // "CTRL+RET   記述欄への改行文字挿入(CTRL+M)"
        {"CTRL+C     \x83\x52\x83\x73\x81\x5b",  // "CTRL+C     コピー"
         "RETURN     \x8c\x88\x92\xe8"},  // "RETURN     決定"
        {"CTRL+V     \x83\x79\x81\x5b\x83\x58\x83\x67",  // "CTRL+V     ペースト"
         "ESC        \x8e\xe6\x8f\xc1\x82\xb5"},  // "ESC        取消し"
        {"CTRL+D     \x8d\xed\x8f\x9c",  // "CTRL+D     削除"
         "CTRL+D     \x8b\x4c\x8f\x71\x97\x93\x82\xc9\x83\x74\x83\x48\x81\x5b\x83\x4a\x83\x58\x88\xda\x93\xae"},  // "CTRL+D     記述欄にフォーカス移動"
        {"CTRL+\x81\x7b,\x81\x7c \x89\xe6\x96\xca\x82\xcc\x8a\x67\x91\xe5,\x8f\x6b\x8f\xac",  // "CTRL+＋,－ 画面の拡大,縮小"
         "CTRL+S     \x8a\x4a\x8e\x6e\x93\xfa\x97\x93\x82\xc9\x83\x74\x83\x48\x81\x5b\x83\x4a\x83\x58\x88\xda\x93\xae"},  // "CTRL+S     開始日欄にフォーカス移動"
        {"INS        \x90\x94\x8f\x54\x8a\xd4,\x8f\x54\x8a\xd4,\x93\xfa\x82\xf0\x8b\x74\x83\x67\x83\x4f\x83\x8b",  // "INS        数週間,週間,日を逆トグル"
         "CTRL+E     \x8f\x49\x97\xb9\x93\xfa\x97\x93\x82\xc9\x83\x74\x83\x48\x81\x5b\x83\x4a\x83\x58\x88\xda\x93\xae"},  // "CTRL+E     終了日欄にフォーカス移動"
        {"CTRL+SHIFT+P,N \x8e\x9e\x8a\xd4\x91\xd1\x82\xcc\x90\x4c\x8f\x6b",  // "CTRL+SHIFT+P,N 時間帯の伸縮"
         "CTRL+T     \x8e\x9e\x8d\x8f\x97\x93\x82\xc9\x83\x74\x83\x48\x81\x5b\x83\x4a\x83\x58\x88\xda\x93\xae"},  // "CTRL+T     時刻欄にフォーカス移動"
        {"PgUp,PgDn  \x83\x41\x83\x43\x83\x65\x83\x80\x82\xcc\x91\x49\x91\xf0(\x90\xdd\x92\xe8\x8e\x9e)",  // "PgUp,PgDn  アイテムの選択(設定時)"
         "CTRL+R     \x8c\x4a\x95\xd4,\x83\x89\x83\x93\x83\x4e\x97\x93\x82\xc9\x83\x74\x83\x48\x81\x5b\x83\x4a\x83\x58\x88\xda\x93\xae"},  // "CTRL+R     繰返,ランク欄にフォーカス移動"
    }}};

constexpr std::array<const Page*, HELP_PAGES> kPages{&kBrowsePage, &kItemPage};

nwDialog helpWindow{};
int page = 1;
bool helpOpen = false;

int Length(const char* text) { return static_cast<int>(std::strlen(text)); }

void Text(int x, int y, const char* text) {
  if (text != nullptr) Zeb_DrawText(nwContext, x, y, text, Length(text));
}

void DrawFrame() {
  Zeb_DrawRaisedFrame(nwContext, kWindow, ZEB_LIGHT_GREY);
  Zeb_SetColor(nwContext, ZEB_BLACK);
  Zeb_DrawLine(nwContext, kHeadingLeftX, kRuleY, kHeadingRightX, kRuleY);
  Zeb_DrawLine(nwContext, kDividerX, kDividerTop, kDividerX, kDividerBottom);
}

void DrawPage(const Page& p) {
  DrawFrame();
  Zeb_SetColor(nwContext, ZEB_BLACK);
  Zeb_SetFont(nwContext, ZEB_FONT_12);
  Text(kLeft + (kWidth - kCharWidth * Length(kTitle)) / 2, kHeadingY, kTitle);
  Text(kHeadingLeftX, kHeadingY, p.leftHeading);
  Text(kHeadingRightX - kCharWidth * Length(p.rightHeading), kHeadingY, p.rightHeading);
  for (int k = 0; k < kLines; ++k) {
    const Row& row = p.rows[static_cast<std::size_t>(k)];
    Text(kLeftColumnX, kFirstLineY + kLineStep * k, row.left);
    Text(kRightColumnX, kFirstLineY + kLineStep * k, row.right);
  }
}

void Close() { nwEvent_PostTo(&helpWindow, NW_END_MODAL, kHelpResult); }

bool OnKey(nwObject* object, nwMessage* message) {
  switch (message->param) {
    case KEY_RETURN:
      if (page == 1) {
        page = 2;
        nwEvent_PostTo(object, NW_REDRAW);
      } else {
        Close();
      }
      return true;
    case KEY_ESCAPE:
      Close();
      return true;
    default:
      return nwDialog_Handler(object, message);
  }
}

bool OnCommand(const nwMessage* message) {
  if (message->param != CMD_DIALOG_OK && message->param != CMD_DIALOG_CANCEL) return false;
  Close();
  return true;
}

}  // namespace

bool Help_Handler(nwObject* object, nwMessage* message) {
  switch (message->code) {
    case NW_CREATE:
      nwDialog_Handler(object, message);
      BrowseState_SetMode(MODE_WINDOW);
      page = 1;
      Dialog_SetToolbar();
      return true;
    case NW_DESTROY:
      Screen_FillBrowseToolbar();
      BrowseState_SetMode(MODE_BROWSE);
      return nwDialog_Handler(object, message);
    case NW_KEY_DOWN: return OnKey(object, message);
    case NW_COMMAND: return OnCommand(message);
    case NW_REDRAW:
      if (object->visible) DrawPage(*kPages[static_cast<std::size_t>(page == 2 ? 1 : 0)]);
      return true;
    default: return nwDialog_Handler(object, message);
  }
}

int Help_Page() { return page; }

bool Help_Open() {
  // "?" or F1 reaching the browse screen again while the window is up.
  if (helpOpen) return true;
  helpOpen = true;
  nwObject_Create(&helpWindow, Help_Handler, &titleBar, &kWindow);
  nwFocus_Set(&helpWindow);
  const int result = nwDialog_DoModal(&helpWindow);
  nwObject_Destroy(&helpWindow);
  helpOpen = false;
  nwEvent_PostTo(&mainArea, NW_REDRAW);
  if (result == 0) return false;
  View_DestroyCurrent();
  View_CreateCurrent();
  View_RedrawAll();
  return true;
}
