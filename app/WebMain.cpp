// The game in the browser: one session, in the page's canvas, whose step the
// browser calls once per frame of the display (a blocking loop would freeze
// the tab). At the Frames pace each step runs every tick due since the last,
// so the game keeps its own speed whatever the display's rate.
//
// The page's address may carry `?seed=N` and `?frames=T`. Lines for tests and
// players go to the browser's console: `tibo-first-picture MS` (milliseconds
// since the page's navigation began) and `tibo-exit N` when the game closes.
#include <emscripten.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/Session.h"
#include "app/Timing.h"
#include "assets/AssetStore.h"

namespace tibo {
namespace {

// The options the page's address gives, as command-line words: "?seed=5&frames=100"
// gives "--seed 5 --frames 100". Only those two are understood yet.
std::vector<std::string> QueryArguments() {
    const std::string query = emscripten_run_script_string("location.search");
    std::vector<std::string> args;
    size_t at = query.empty() || query[0] != '?' ? 0 : 1;
    while (at < query.size()) {
        size_t end = query.find('&', at);
        if (end == std::string::npos) end = query.size();
        const std::string pair = query.substr(at, end - at);
        at = end + 1;
        const size_t eq = pair.find('=');
        const std::string name = pair.substr(0, eq);
        if (name != "seed" && name != "frames") {
            if (!name.empty()) std::fprintf(stderr, "tibo: warning: ?%s is not understood in the browser yet\n", name.c_str());
            continue;
        }
        args.push_back("--" + name);
        if (eq != std::string::npos) args.push_back(pair.substr(eq + 1));
    }
    return args;
}

// Everything the page keeps between browser frames. The hall of fame goes to
// the browser's own file system, in memory: it lasts as long as the page.
struct TPage {
    TProgramOptions Options;
    assets::AssetStore Store;
    std::unique_ptr<TSession> Session;
    bool FirstPictureTold = false;
};

void Exit(TPage* page, int status) {
    emscripten_cancel_main_loop();
    emscripten_run_script("Module.tiboPage = 0; if (Module.onGameClosed) Module.onGameClosed();");
    std::printf("tibo-exit %d\n", status);
    delete page;
}

void Frame(void* arg) {
    auto* page = static_cast<TPage*>(arg);
    TSession& session = *page->Session;
    try {
        const TStep step = session.Step();
        if (!page->FirstPictureTold && session.FirstPictureShown()) {
            page->FirstPictureTold = true;
            std::printf("tibo-first-picture %.0f\n", emscripten_get_now());
        }
        if (!step.Closed) return;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tibo: %s\n", e.what());
        session.Abandon();
        Exit(page, 1);
        return;
    }
    try {
        session.Finish();
        Exit(page, 0);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tibo: %s\n", e.what());
        Exit(page, 1);
    }
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
        page->Options = ParseCommandLine(QueryArguments());
        page->Options.Windowed = true;
        for (const std::string& warning : page->Options.Warnings) std::fprintf(stderr, "tibo: warning: %s\n", warning.c_str());
        TSessionSetup setup;
        setup.MainMs = setup.StartMs = MonotonicMs();
        setup.Pace = TPace::Frames;
        page->Session = std::make_unique<TSession>(page->Options, page->Store, setup);
    } catch (const EUsageError& e) {
        std::fprintf(stderr, "tibo: %s\n", e.what());
        std::printf("tibo-exit 2\n");
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tibo: %s\n", e.what());
        std::printf("tibo-exit 1\n");
        return 1;
    }
    // Called once per frame of the display (0: the browser's own frame rate);
    // main returns and the page lives on, owning what the game needs.
    emscripten_run_script(("Module.tiboPage = " + std::to_string(reinterpret_cast<uintptr_t>(page.get()))).c_str());
    emscripten_set_main_loop_arg(Frame, page.release(), 0, 0);
    return 0;
}
