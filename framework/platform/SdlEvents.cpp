// SDL's events as the game's events: keys, the mouse, the window's focus and
// closing, the renderer's losses; waiting for them (see SdlWindow.h).
#include <algorithm>
#include <cerrno>
#include <ctime>

#include "framework/platform/KeyMap.h"
#include "framework/platform/SdlWindow.h"

namespace tibo {

namespace {

int64_t MonotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

void SleepUntilNs(int64_t dueNs) {
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(dueNs / 1000000000);
    ts.tv_nsec = static_cast<long>(dueNs % 1000000000);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

}  // namespace

std::optional<TPlatformEvent> TSdlWindow::PollEvent() {
    for (;;) {
        SDL_Event e;
        if (Pending_) {
            e = *Pending_;
            Pending_.reset();
        } else if (SDL_PollEvent(&e) == 0) {
            return std::nullopt;
        }
        if (auto event = Translate(e)) return event;
    }
}

void TSdlWindow::WaitEvent(int timeoutMs) {
    if (Pending_) return;
    SDL_Event e;
    if (SDL_WaitEventTimeout(&e, std::max(timeoutMs, 0)) != 0) Pending_ = e;
}

bool TSdlWindow::WaitUntil(int64_t dueMs) {
    const int64_t dueNs = dueMs * 1000000;
    for (;;) {
        if (!Pending_) {
            SDL_Event e;
            if (SDL_PollEvent(&e) != 0) Pending_ = e;
        }
        if (Pending_) return true;
        const int64_t left = dueNs - MonotonicNs();
        if (left <= 0) return false;
        if (left > 2000000) {
            // Wait for events until about a millisecond before the time...
            SDL_Event e;
            const int ms = static_cast<int>((left - 1000000) / 1000000);
            if (SDL_WaitEventTimeout(&e, ms) != 0) {
                Pending_ = e;
                return true;
            }
            continue;
        }
        // ...and sleep the rest to the exact time: the event wait is coarse.
        SleepUntilNs(dueNs);
        return false;
    }
}

std::optional<TPlatformEvent> TSdlWindow::ActivationChange() {
    const bool active = Active();
    if (active == ReportedActive_) return std::nullopt;
    ReportedActive_ = active;
    TPlatformEvent ev;
    ev.Type = active ? TPlatformEvent::Kind::Activated : TPlatformEvent::Kind::Deactivated;
    return ev;
}

std::optional<TPlatformEvent> TSdlWindow::KeyEvent(const SDL_KeyboardEvent& k, bool down) {
    const SDL_Scancode sc = k.keysym.scancode;
    if (sc < 0 || sc >= SDL_NUM_SCANCODES) return std::nullopt;
    const auto bit = static_cast<size_t>(sc);
    if (down) {
        // Alt+Enter and F11 switch between full screen and a window; the game
        // sees neither the press, nor its repeats, nor its release.
        if (Swallowed_.test(bit)) return std::nullopt;
        const bool enter = sc == SDL_SCANCODE_RETURN || sc == SDL_SCANCODE_KP_ENTER;
        const bool alt = (k.keysym.mod & KMOD_ALT) != 0;
        if ((enter && alt) || sc == SDL_SCANCODE_F11) {
            if (k.repeat != 0) return std::nullopt;   // a key held before the toggle: not a toggle
            Swallowed_.set(bit);
            ToggleFullScreen();
            return std::nullopt;
        }
    } else if (Swallowed_.test(bit)) {
        Swallowed_.reset(bit);
        return std::nullopt;
    }

    const int vk = VirtualKeyFromScancode(sc);
    if (vk == 0) return std::nullopt;
    TPlatformEvent ev;
    ev.Key = vk;
    if (down) {
        Pressed_.set(bit);
        ev.Type = TPlatformEvent::Kind::KeyDown;
        return ev;
    }
    Pressed_.reset(bit);
    // Both Shift keys (Ctrl, Alt, Enter) give one code: it goes up with the last.
    for (size_t other = 0; other < Pressed_.size(); ++other) {
        if (Pressed_.test(other) && VirtualKeyFromScancode(static_cast<int>(other)) == vk) return std::nullopt;
    }
    ev.Type = TPlatformEvent::Kind::KeyUp;
    return ev;
}

std::optional<TPlatformEvent> TSdlWindow::Translate(const SDL_Event& e) {
    TPlatformEvent ev;
    switch (e.type) {
        case SDL_QUIT:
            // Closing the window already said so.
            if (QuitFromClose_) {
                QuitFromClose_ = false;
                return std::nullopt;
            }
            ev.Type = TPlatformEvent::Kind::Quit;
            return ev;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            return KeyEvent(e.key, e.type == SDL_KEYDOWN);
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            // Clicks on the black borders are nobody's.
            if (!Mapping().ToSurface(e.button.x, e.button.y, false, ev.X, ev.Y)) return std::nullopt;
            ev.Type = e.type == SDL_MOUSEBUTTONDOWN ? TPlatformEvent::Kind::MouseDown : TPlatformEvent::Kind::MouseUp;
            ev.Button = e.button.button;   // SDL counts 1 left, 2 middle, 3 right too
            return ev;
        }
        case SDL_MOUSEMOTION:
            if (!Mapping().ToSurface(e.motion.x, e.motion.y, true, ev.X, ev.Y)) return std::nullopt;
            ev.Type = TPlatformEvent::Kind::MouseMove;
            return ev;
        case SDL_CONTROLLERDEVICEADDED:
        case SDL_CONTROLLERDEVICEREMOVED:
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP:
        case SDL_CONTROLLERAXISMOTION:
            return Pads_.Event(e);
        case SDL_RENDER_TARGETS_RESET:
        case SDL_RENDER_DEVICE_RESET:
            if (Framebuffer_) return std::nullopt;
            Lost_ = true;
            ev.Type = TPlatformEvent::Kind::RenderReset;
            return ev;
        case SDL_WINDOWEVENT:
            switch (e.window.event) {
                case SDL_WINDOWEVENT_CLOSE:
                    QuitFromClose_ = true;
                    ev.Type = TPlatformEvent::Kind::Quit;
                    return ev;
                case SDL_WINDOWEVENT_EXPOSED:
                    // Show the last picture again (the game may be paused in the background).
                    if (!Lost_ && HaveFrame_) Show();
                    break;
                default: break;
            }
            // Focus and minimising as they are now, not as the event says:
            // events still queued from before (the window's re-creation while
            // the renderer was tried, say) must not flip the game back and forth.
            ReadWindowState();
            return ActivationChange();
        default:
            return std::nullopt;
    }
}

}  // namespace tibo
