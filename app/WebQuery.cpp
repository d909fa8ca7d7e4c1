#include "app/WebQuery.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace tibo {
namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "+" is a space, "%XX" the byte XX; a "%" without two hex digits stays as it is.
std::string Decoded(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            out += ' ';
        } else if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 && HexDigit(text[i + 2]) >= 0) {
            out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

bool AllDigits(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
}

}  // namespace

TQueryArguments QueryArguments(const std::string& query) {
    TQueryArguments out;
    size_t at = !query.empty() && query[0] == '?' ? 1 : 0;
    while (at < query.size()) {
        size_t end = query.find('&', at);
        if (end == std::string::npos) end = query.size();
        const std::string pair = query.substr(at, end - at);
        at = end + 1;
        if (pair.empty()) continue;
        const size_t eq = pair.find('=');
        const std::string name = Decoded(pair.substr(0, eq));
        const std::optional<std::string> value =
            eq == std::string::npos ? std::nullopt : std::optional<std::string>(Decoded(pair.substr(eq + 1)));
        if (name == "headless") {
            out.Arguments.push_back("--headless");
        } else if (name == "timing-report") {
            // Printed, never written: the file's name is only a name.
            out.Arguments.insert(out.Arguments.end(), {"--timing-report", "tibo-timing.json"});
        } else if (name == "dump-state") {
            out.Arguments.push_back("--dump-state");
            // A tick alone, printed; anything else is left for the command
            // line to refuse (or take, with its file name never written).
            if (value) out.Arguments.push_back(AllDigits(*value) ? *value + ":tibo-dump-" + *value + ".json" : *value);
        } else if (name == "seed" || name == "input" || name == "frames" || name == "replay") {
            out.Arguments.push_back("--" + name);
            if (value) out.Arguments.push_back(*value);
        } else {
            out.Warnings.push_back("?" + name + " is no option of the page: it is ignored");
        }
    }
    return out;
}

}  // namespace tibo
