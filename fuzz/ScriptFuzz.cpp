// Any bytes as an input script: either events the session can replay or a
// usage error naming the line, nothing else.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/CommandLine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        const std::vector<tibo::TScriptEvent> events = tibo::ParseInputScript(text, "fuzz.txt");
        for (const tibo::TScriptEvent& e : events)
            if (e.Tick < 1) std::abort();
    } catch (const tibo::EUsageError& e) {
        if (std::string_view(e.what()).find("fuzz.txt:") != 0) std::abort();
    }
    return 0;
}
