// Any bytes as a replay: either a replay that writes out and reads back the
// same, or a usage error naming the line, nothing else.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/Replay.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    tibo::TReplay replay;
    try {
        replay = tibo::ParseReplay(text, "fuzz.replay");
    } catch (const tibo::EUsageError& e) {
        if (std::string_view(e.what()).find("fuzz.replay") == std::string_view::npos) std::abort();
        return 0;
    }
    const std::string written = tibo::ReplayText(replay);
    const tibo::TReplay again = tibo::ParseReplay(written, "again.replay");  // must not throw
    if (tibo::ReplayText(again) != written || again.LastTick() != replay.LastTick()) std::abort();
    return 0;
}
