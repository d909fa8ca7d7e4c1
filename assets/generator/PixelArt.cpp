#include "assets/generator/PixelArt.h"

#include <map>
#include <sstream>
#include <stdexcept>

namespace tibo::assets {
namespace {

std::string Trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return {};
    const auto e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

bool ParseColour(const std::string& s, Rgb& out) {
    if (s.size() != 7 || s[0] != '#') return false;
    Rgb v = 0;
    for (size_t i = 1; i < 7; ++i) {
        const char c = s[i];
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return false;
        v = v << 4 | static_cast<Rgb>(d);
    }
    out = v;
    return true;
}

bool ValidKey(const std::string& key) {
    if (key.empty() || key.size() > 2) return false;
    for (char c : key)
        if (c <= ' ' || c > '~' || c == '#') return false;
    return true;
}

}  // namespace

PixelArt ParsePixelArt(const std::string& text, const std::string& where) {
    enum class Section { None, Palette, Pixels } section = Section::None;
    PixelArt art;
    std::map<std::string, uint8_t> keys;
    size_t keyLength = 0;
    std::istringstream in(text);
    std::string raw;
    int lineNo = 0;
    auto fail = [&](const std::string& why) -> void {
        throw std::runtime_error(where + (lineNo > 0 ? ":" + std::to_string(lineNo) : "") + ": " + why);
    };
    while (std::getline(in, raw)) {
        ++lineNo;
        const std::string line = Trim(raw);
        if (line.empty() || line[0] == '#') continue;
        if (line == "palette") {
            if (section != Section::None) fail("'palette' must come first");
            section = Section::Palette;
            continue;
        }
        if (line == "pixels") {
            if (section != Section::Palette || art.Palette.empty()) fail("'pixels' must follow a palette");
            section = Section::Pixels;
            continue;
        }
        if (section == Section::Palette) {
            std::istringstream fields(line);
            std::string key, colour, extra;
            fields >> key >> colour;
            if (!ValidKey(key)) fail("bad palette key '" + key + "'");
            if (keyLength == 0) keyLength = key.size();
            if (key.size() != keyLength) fail("palette keys must all have the same length");
            Rgb c = 0;
            if (!ParseColour(colour, c)) fail("bad colour '" + colour + "', expected #RRGGBB");
            if (fields >> extra) fail("unexpected text after the colour");
            if (keys.count(key)) fail("palette key '" + key + "' appears twice");
            if (art.Palette.size() == 256) fail("more than 256 colours");
            keys[key] = static_cast<uint8_t>(art.Palette.size());
            art.Palette.push_back(c);
            continue;
        }
        if (section != Section::Pixels) fail("expected 'palette'");
        if (line.size() % keyLength != 0) fail("row length is not a whole number of pixels");
        const int w = static_cast<int>(line.size() / keyLength);
        if (art.Height == 0) art.Width = w;
        else if (w != art.Width)
            fail("row of " + std::to_string(w) + " pixels, the first row has " + std::to_string(art.Width));
        for (size_t i = 0; i < line.size(); i += keyLength) {
            const auto it = keys.find(line.substr(i, keyLength));
            if (it == keys.end()) fail("pixel '" + line.substr(i, keyLength) + "' is not in the palette");
            art.Indices.push_back(it->second);
        }
        ++art.Height;
    }
    if (section != Section::Pixels || art.Height == 0) {
        lineNo = 0;
        fail("no pixel rows");
    }
    return art;
}

}  // namespace tibo::assets
