// Any bytes as gamecontrollerdb.txt: the lines kept are well-formed mappings
// for the platform, within the limits, and read again they are kept as they are.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "framework/GamepadMappings.h"

namespace {

bool Hex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const tibo::TGamepadMappings m = tibo::ParseGamepadMappings(text, "Linux", "fuzz.txt");
    if (m.Count > tibo::MaxGamepadMappings || m.Text.size() > size + 1) std::abort();
    size_t lines = 0;
    for (size_t at = 0; at < m.Text.size(); ++lines) {
        const size_t end = m.Text.find('\n', at);
        if (end == std::string::npos) std::abort();  // every line ends in a line break
        const std::string_view line(m.Text.data() + at, end - at);
        if (line.size() > tibo::MaxGamepadMappingLine || line.size() < 34 || line[32] != ',') std::abort();
        for (size_t i = 0; i < 32; ++i)
            if (!Hex(line[i])) std::abort();
        for (unsigned char c : line)
            if (c < 0x20 || c == 0x7F) std::abort();
        if (line.find("platform:") == std::string_view::npos) std::abort();
        at = end + 1;
    }
    if (lines != m.Count) std::abort();
    const tibo::TGamepadMappings again = tibo::ParseGamepadMappings(m.Text, "Linux", "again.txt");
    if (again.Text != m.Text || !again.Warnings.empty()) std::abort();
    for (const std::string& w : m.Warnings)
        if (w.rfind("fuzz.txt: ", 0) != 0) std::abort();
    return 0;
}
