#pragma once
// The program around the main form: the message loop in a real window or
// headless, scripted input, screenshots and state dumps.
#include "app/CommandLine.h"

namespace tibo {

class TMainForm;

// A replay whose game went another way, or that is cut short: exit status 3.
class EReplayDiffers : public EFrameworkError { public: using EFrameworkError::EFrameworkError; };
// A playback stopped by a signal before its end: exit status 128 + the signal.
class EInterrupted : public EFrameworkError {
public:
    EInterrupted(const std::string& message, int signal) : EFrameworkError(message), Signal(signal) {}
    int Signal;
};

// Delivers one scripted event to the form as the window would.
void DeliverScriptEvent(TMainForm& form, const TScriptEvent& e);
// Lets go the key or pad button of a "press" event (before the next tick).
void ReleaseScriptPress(TMainForm& form, const TScriptEvent& press);

// The whole program; returns the exit status (0 normal, 1 runtime error, 2 bad command line,
// 3 a replay that differs or is cut short, 128 + N a playback interrupted by signal N).
int RunProgram(int argc, char** argv);

}  // namespace tibo
