// The game in the browser: one session, in the page's canvas, whose step the
// browser calls once per frame of the display (a blocking loop would freeze
// the tab). At the Frames pace each step runs every tick due since the last,
// so the game keeps its own speed whatever the display's rate. Headless
// (?headless), ticks run back to back, as many as a frame's budget holds.
//
// The page's address carries the command line's options (app/WebQuery.h).
// Lines for tests and players go to the browser's console, one each:
// `tibo-first-picture MS` (milliseconds since the page's navigation began),
// `tibo-dump T {...}` and `tibo-timing {...}` for what the desktop writes to
// files, the desktop's messages, and `tibo-exit N` with the desktop's exit
// status whenever the desktop program would exit.
#include <emscripten.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/ExitStatus.h"
#include "app/Session.h"
#include "app/Timing.h"
#include "app/WebQuery.h"
#include "assets/AssetStore.h"

namespace tibo {
namespace {

// Headless, the time one frame of the display gives the ticks: the rest of
// the frame is the browser's, so that the page stays responsive.
constexpr double HeadlessFrameBudgetMs = 25;

// State dumps and the timing report, each as one line of JSON on the console.
class TConsoleOutput final : public IRunOutput {
public:
    void StateDump(int64_t tick, const std::string&, const nlohmann::json& state) override {
        std::printf("tibo-dump %lld %s\n", static_cast<long long>(tick), Line(state).c_str());
    }
    void TimingReport(const std::string&, const nlohmann::json& report) override {
        std::printf("tibo-timing %s\n", Line(report).c_str());
    }
private:
    // A name need not be valid UTF-8: bytes that are not are shown as U+FFFD.
    static std::string Line(const nlohmann::json& j) { return j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace); }
};

// Everything the page keeps between browser frames. The hall of fame goes to
// the game's folder, which app/web/storage.js keeps in the browser's storage.
struct TPage {
    TProgramOptions Options;
    assets::AssetStore Store;
    TConsoleOutput Output;
    std::unique_ptr<TSession> Session;
    bool FirstPictureTold = false;
};

void Exit(TPage* page, int status) {
    emscripten_cancel_main_loop();
    emscripten_run_script("Module.tiboPage = 0; if (Module.onGameClosed) Module.onGameClosed();");
    std::printf("tibo-exit %d\n", status);
    delete page;
}

// What this frame of the display is due: one step, or headless as many as
// the budget holds. Says whether the game has closed.
bool RunFrame(TPage& page) {
    TSession& session = *page.Session;
    if (!page.Options.Headless) return session.Step().Closed;
    const double until = emscripten_get_now() + HeadlessFrameBudgetMs;
    while (!session.Step().Closed) {
        if (emscripten_get_now() >= until) return false;
    }
    return true;
}

void Frame(void* arg) {
    auto* page = static_cast<TPage*>(arg);
    TSession& session = *page->Session;
    try {
        const bool closed = RunFrame(*page);
        // Headless, no picture ever reaches the canvas.
        if (!page->FirstPictureTold && session.Window() && session.FirstPictureShown()) {
            page->FirstPictureTold = true;
            std::printf("tibo-first-picture %.0f\n", emscripten_get_now());
        }
        if (!closed) return;
    } catch (...) {
        session.Abandon();
        Exit(page, ReportFailure());
        return;
    }
    int status = 0;
    try {
        session.Finish();
    } catch (...) {
        status = ReportFailure();
    }
    Exit(page, status);
}

// The page's options, from its address.
TProgramOptions PageOptions() {
    const TQueryArguments query = QueryArguments(emscripten_run_script_string("location.search"));
    for (const std::string& warning : query.Warnings) std::fprintf(stderr, "tibo: warning: %s\n", warning.c_str());
    TProgramOptions options = ParseCommandLine(query.Arguments);
    for (const std::string& warning : options.Warnings) std::fprintf(stderr, "tibo: warning: %s\n", warning.c_str());
    options.Windowed = true;
    return options;
}

}  // namespace
}  // namespace tibo

// For the page's script (app/web/page.js) and its tests, with the page that
// main leaves in Module.tiboPage: a step at once (the browser calls none
// while the tab is hidden, and the game must hear that it went into the
// background), and the ticks run so far.
extern "C" {
EMSCRIPTEN_KEEPALIVE void tibo_page_step(void* page) { tibo::Frame(page); }
EMSCRIPTEN_KEEPALIVE double tibo_page_ticks(void* page) {
    return static_cast<double>(static_cast<tibo::TPage*>(page)->Session->Ticks());
}
}

int main() {
    using namespace tibo;
    auto page = std::make_unique<TPage>();
    try {
        page->Options = PageOptions();
        TSessionSetup setup;
        setup.MainMs = setup.StartMs = MonotonicMs();
        // Headless, the session's own clock jumps to each tick, as the desktop's does.
        setup.Pace = page->Options.Headless ? TPace::AsAsked : TPace::Frames;
        setup.Output = &page->Output;
        page->Session = std::make_unique<TSession>(page->Options, page->Store, setup);
    } catch (...) {
        const int status = ReportFailure();
        std::printf("tibo-exit %d\n", status);
        return status;
    }
    // Called once per frame of the display (0: the browser's own frame rate);
    // main returns and the page lives on, owning what the game needs.
    emscripten_run_script(("Module.tiboPage = " + std::to_string(reinterpret_cast<uintptr_t>(page.get()))).c_str());
    emscripten_set_main_loop_arg(Frame, page.release(), 0, 0);
    return 0;
}
