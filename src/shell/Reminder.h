// Tells of a schedule that starts soon: as many minutes before its start as
// the continuation file's ScheduleReminder: asks (0, the default: never), in
// a message box and in the desktop's notification where the host has one.
#pragma once

// Between two messages of the main loop, so only on the browse screen: once
// a minute it looks for schedules with a start time that begin within the
// coming minutes and tells of each once.
void Reminder_Tick();
// Forgets what was told (a new run).
void Reminder_Reset();
