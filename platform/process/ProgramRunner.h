#pragma once

#include <string>

// Starting other programs, as the installation packager does with makensis.
namespace tarn::platform::process {

// Starts a program hidden (no window, no terminal input, its output discarded) and waits up to
// `timeoutMs` milliseconds for it (without limit when negative). On POSIX systems the command
// line is split into words the way a shell splits simple commands (see SplitCommandLine), with
// no shell behind it; on Windows the system parses it, so a program path with blanks is written
// in quotes. True once the program has started, whether it finished in time or not; false when
// the line is empty or malformed or the program cannot be started. A program still running
// after the time-out is left to run. `exitCode`, when given, receives the program's exit code,
// or -1 when it did not end in time or was ended by a signal.
bool RunHiddenAndWait(const std::string& commandLine, long timeoutMs, int* exitCode = nullptr);

}  // namespace tarn::platform::process
