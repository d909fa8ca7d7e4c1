#pragma once
// The program's exit statuses, the same for the desktop's program and the
// browser's page: 0 a normal close, 1 a runtime error, 2 a bad command line
// (or page address), 3 a replay that differs or is cut short, 128 + N a
// playback interrupted by signal N.
namespace tibo {

// Call only while an exception is being handled (in a catch block): says
// what went wrong on standard error, "tibo: ..." and returns the exit status
// it gives.
int ReportFailure() noexcept;

}  // namespace tibo
