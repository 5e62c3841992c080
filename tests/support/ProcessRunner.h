#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Another program run as a script runs it: standard input from a file,
// standard output and error into files, no display in its environment.
// ProcessRunnerPosix.cpp and ProcessRunnerWindows.cpp, chosen in CMake.
using ChildProcess = std::intptr_t;

ChildProcess StartProcess(const std::string& program, const std::vector<std::string>& arguments,
                          const std::string& in, const std::string& out, const std::string& err);
// The exit status; -1 when the program was killed or could not start.
int WaitForProcess(ChildProcess child);
void KillProcess(ChildProcess child);

// text as a program's standard output or error puts it into a file: on
// Windows the C runtime writes each line end as CR LF.
std::string AsPrinted(const std::string& text);
