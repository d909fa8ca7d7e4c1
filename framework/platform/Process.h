#pragma once
// What the program asks of its own process: the processor time and memory it
// has used, when it started, and the signals that close it.
#include <cstdint>

namespace tibo {

// Processor seconds used so far, user and system together.
double ProcessCpuSeconds();
// The most memory the process has held at once (its peak resident set), in KiB.
int64_t ProcessPeakRssKb();
// When this process started, on the clock of `nowMs` (a monotonic
// millisecond clock read just now): start-up figures then count the dynamic
// loader and the libraries' own start as well. Linux gives it in whole clock
// ticks since boot (1/100 s), so the figures may come out up to a tick long;
// `nowMs` where it cannot be read.
double ProcessStartMs(double nowMs);

// A hang-up (the terminal closed), an interrupt or a termination is noted
// rather than ending the process, so that the game can close as the player
// would and save the hall of fame. A reader of standard output that has gone
// (`tibo ... | head -1`) ends nothing either: the write fails, and the game
// goes on and closes as usual.
void CatchCloseSignals();
// The close signal caught since CatchCloseSignals, 0 while there is none.
int CaughtCloseSignal();
// "SIGHUP", "SIGINT", "SIGTERM"; "a signal" for any other.
const char* SignalName(int signal);

}  // namespace tibo
