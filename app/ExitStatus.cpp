#include "app/ExitStatus.h"

#include <cstdio>
#include <exception>

#include "app/CommandLine.h"
#include "app/Replay.h"

namespace tibo {

int ReportFailure() noexcept {
    auto say = [](const std::exception& e) { std::fprintf(stderr, "tibo: %s\n", e.what()); };
    try {
        throw;
    } catch (const EReplayDiffers& e) {
        say(e);
        return 3;
    } catch (const EInterrupted& e) {
        say(e);
        return 128 + e.Signal;
    } catch (const EUsageError& e) {
        say(e);
        return 2;
    } catch (const std::exception& e) {
        say(e);
        return 1;
    } catch (...) {
        std::fprintf(stderr, "tibo: an unknown error\n");
        return 1;
    }
}

}  // namespace tibo
