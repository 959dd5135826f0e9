#pragma once
// Where the time of a start goes, phase by phase. With the environment
// variable MORVANE_PROFILE_STARTUP set, each mark notes the time since the
// process started, and the first paint prints them all, a line each, after
// the "startup:" line. Without it a mark costs one test of a flag.

namespace morvane {

// Notes the end of a phase; `phase` is a string literal.
void StartupMark(const char *phase);
// True when MORVANE_PROFILE_STARTUP is set.
bool StartupProfiling();
// Milliseconds from the start of the process to now.
double StartupElapsedMs();
// Prints the marks to standard error.
void PrintStartupMarks();

}  // namespace morvane
