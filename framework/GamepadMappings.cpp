#include "framework/GamepadMappings.h"

#include "framework/Errors.h"
#include "framework/Files.h"
#include "framework/Names.h"

namespace tibo {
namespace {

bool IsHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// The value of the line's "platform:" field as SDL finds it (the first
// "platform:" in the line, up to the comma that must follow), or nothing.
std::string_view PlatformOf(std::string_view line) {
    constexpr std::string_view Field = "platform:";
    const size_t at = line.find(Field);
    if (at == std::string_view::npos) return {};
    const size_t from = at + Field.size();
    const size_t comma = line.find(',', from);
    if (comma == std::string_view::npos) return {};
    return line.substr(from, comma - from);
}

}  // namespace

TGamepadMappings ParseGamepadMappings(std::string_view text, std::string_view platform, const std::string& fileName) {
    TGamepadMappings out;
    size_t tooLong = 0, malformed = 0, beyond = 0;
    int number = 0, firstLong = 0, firstMalformed = 0;
    while (!text.empty()) {
        ++number;
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
        if (line.empty() || line.front() == '#') continue;
        if (line.size() > MaxGamepadMappingLine) {
            if (tooLong++ == 0) firstLong = number;
            continue;
        }
        // GUID, name, at least one more field; printable characters only.
        bool ok = line.size() > 34 && line[32] == ',' && line.find(',', 33) != std::string_view::npos;
        for (size_t i = 0; ok && i < 32; ++i) ok = IsHex(line[i]);
        for (size_t i = 0; ok && i < line.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(line[i]);
            ok = c >= 0x20 && c != 0x7F;
        }
        if (!ok) {
            if (malformed++ == 0) firstMalformed = number;
            continue;
        }
        const std::string_view of = PlatformOf(line);
        if (of.empty() || !SameTextIgnoringCase(of, platform)) continue;
        if (out.Count == MaxGamepadMappings) {
            ++beyond;
            continue;
        }
        out.Text.append(line);
        out.Text += '\n';
        ++out.Count;
    }
    if (tooLong > 0)
        out.Warnings.push_back(Format("%s: %zu line(s) longer than %zu characters passed over (the first is line %d)", fileName.c_str(), tooLong,
                                      MaxGamepadMappingLine, firstLong));
    if (malformed > 0)
        out.Warnings.push_back(Format("%s: %zu line(s) that map no controller passed over (the first is line %d)", fileName.c_str(), malformed,
                                      firstMalformed));
    if (beyond > 0)
        out.Warnings.push_back(Format("%s: only the first %zu mappings for %.*s are taken, %zu more passed over", fileName.c_str(),
                                      MaxGamepadMappings, static_cast<int>(platform.size()), platform.data(), beyond));
    return out;
}

TGamepadMappings ReadGamepadMappings(const std::string& path, std::string_view platform) {
    std::vector<uint8_t> bytes;
    try {
        bytes = ReadFileBytes(path, MaxGamepadMappingsFileBytes);
    } catch (const EFileError& e) {
        TGamepadMappings none;
        if (e.Problem != EFileError::TProblem::Missing)
            none.Warnings.push_back(std::string(e.what()) + "; no more controller mappings are taken from it");
        return none;
    }
    return ParseGamepadMappings(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), platform, path);
}

}  // namespace tibo
