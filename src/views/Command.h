// Command numbers: the params of Command messages. The function-key bar, the
// function keys and the browse keys all produce these, so every action has one
// number. 3001..3041 come from the bar and the browse keys, 4501..4530 are
// the item and store commands; each *_ALT is another number for the same action.
// The views' layer holds them: the function-key bar is a screen object and
// some views take CMD_NOW.
#pragma once

enum : int {
  CMD_HELP = 3001,
  CMD_CHANGE_SIZE = 3002,
  CMD_NOW = 3003,
  CMD_CALENDAR = 3005,
  CMD_WEEKS = 3006,
  CMD_WEEK = 3007,
  CMD_DAY = 3008,
  CMD_NOT_IMPLEMENTED = 3009,
  CMD_DIALOG_OK = 3015,
  CMD_DIALOG_CANCEL = 3016,
  CMD_JUMP = 3017,
  CMD_SEARCH = 3018,
  CMD_SEARCH_NEXT = 3019,
  CMD_ADD_SCHEDULE = 3020,
  CMD_ADD_TASK = 3021,
  CMD_ADD_HOLIDAY = 3022,
  CMD_DIALOG_LABEL0 = 3023,  // 3023..3027: the dialog's labels 0..4
  CMD_DIALOG_LABEL4 = 3027,
  CMD_LABEL_ALL = 3028,      // 3028..3032: label filter 0..4
  CMD_LABEL_4 = 3032,
  CMD_LABEL_CUSTOM = 3033,
  CMD_UNUSED_M = 3039,       // no handler takes it
  CMD_TO_EUC = 3041,         // posted for "-sjistoeuc"
  CMD_CLOSE_REQUEST = 3042,  // the window's close, put to the entry dialog
  CMD_SAVE = 4501,
  CMD_NOT_IMPLEMENTED_2 = 4502,
  CMD_NOTHING = 4504,
  CMD_CUT = 4506,
  CMD_COPY = 4507,
  CMD_PASTE = 4508,
  CMD_DELETE = 4509,
  CMD_ADD_SCHEDULE_ALT = 4510,
  CMD_ADD_TASK_ALT = 4511,
  CMD_ADD_HOLIDAY_ALT = 4512,
  CMD_SEARCH_ALT = 4515,
  CMD_SEARCH_NEXT_ALT = 4516,
  CMD_CHANGE_SIZE_ALT = 4517,
  CMD_CALENDAR_ALT = 4518,
  CMD_WEEKS_ALT = 4519,
  CMD_WEEK_ALT = 4520,
  CMD_DAY_ALT = 4521,
  CMD_NOT_IMPLEMENTED_3 = 4522,
  CMD_VERSION = 4523,
  CMD_HELP_KEY = 4524,
  CMD_EXPORT = 4530,
};
