// The application's entry point, which each program's main hands to its host.
// Only the programs and the shell see it: no host needs to.
#pragma once

// Exit status of a run that found another Velmo on its record file.
inline constexpr int VELMO_EXIT_ALREADY_RUNNING = 4;

// Start-up, the main loop, shutdown. Returns the process's exit status: 0, or
// VELMO_EXIT_ALREADY_RUNNING (nothing written). Defined by the shell.
int Velmo_Main(int argc, char** argv);
