// Tibo: the program's entry point. The command line picks what to do; a game
// is one session, driven by the desktop's loop in a window or by the
// headless loop.
#include <cstdio>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/ExitStatus.h"
#include "app/Replay.h"
#include "app/Session.h"
#include "app/Timing.h"
#include "assets/AssetStore.h"
#include "assets/Export.h"
#include "framework/platform/Platform.h"
#include "framework/platform/Process.h"

namespace tibo {
namespace {

// The desktop: what is due, then a sleep to the exact time the next thing is
// due, woken early by the window's events (the next step handles them).
void RunInWindow(TSession& session, TPlatformWindow& window) {
    for (TStep step = session.Step(); !step.Closed; step = session.Step()) {
        if (step.DueMs) window.WaitUntil(*step.DueMs);
        else window.WaitEvent(50);  // in the background or stopped: only events can change that
    }
}

// Headless: steps back to back, the game's clock jumping to each tick.
void RunHeadless(TSession& session) {
    while (!session.Step().Closed) {
    }
}

// The whole program; returns the exit status (app/ExitStatus.h).
int RunProgram(int argc, char** argv) {
    TSessionSetup setup;
    setup.MainMs = MonotonicMs();
    setup.StartMs = ProcessStartMs(setup.MainMs);
    CatchCloseSignals();
    TProgramOptions options;
    try {
        options = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const EUsageError& e) {
        std::fprintf(stderr, "tibo: %s\nTry 'tibo --help'.\n", e.what());
        return 2;
    }
    for (const std::string& warning : options.Warnings) std::fprintf(stderr, "tibo: warning: %s\n", warning.c_str());
    if (options.Help) {
        std::fputs(UsageText().c_str(), stdout);
        return 0;
    }
    if (options.Version) {
        std::printf("%s\n", GameTitle);
        return 0;
    }
    try {
        assets::AssetStore store;
        if (options.AssetsDir) store.OverrideFrom(*options.AssetsDir);
        if (options.ExportDir) {
            assets::ExportAssets(store, *options.ExportDir);
            return 0;
        }
        TSession session(options, store, setup);
        try {
            if (TPlatformWindow* window = session.Window()) RunInWindow(session, *window);
            else RunHeadless(session);
        } catch (...) {
            session.Abandon();
            throw;
        }
        session.Finish();
        return 0;
    } catch (...) {
        return ReportFailure();
    }
}

}  // namespace
}  // namespace tibo

int main(int argc, char** argv) { return tibo::RunProgram(argc, argv); }
