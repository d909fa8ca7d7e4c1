#include "app/Replay.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <sstream>

#include "framework/Gamepad.h"
#include "framework/platform/KeyMap.h"

namespace tibo {
namespace {

// A whole number of digits only (no sign, no spaces) that fits 64 bits.
bool ParseUnsigned(const std::string& text, int base, uint64_t& value) {
    if (text.empty() || text.size() > 20) return false;
    for (char c : text)
        if (!(base == 16 ? std::isxdigit(static_cast<unsigned char>(c)) : std::isdigit(static_cast<unsigned char>(c)))) return false;
    errno = 0;
    value = std::strtoull(text.c_str(), nullptr, base);
    return errno == 0;
}

// A tick: 1 to a billion billion.
bool ParseTick(const std::string& text, int64_t& tick) {
    uint64_t v = 0;
    if (!ParseUnsigned(text, 10, v) || v < 1 || v > 1000000000000000000ULL) return false;
    tick = static_cast<int64_t>(v);
    return true;
}

}  // namespace

int64_t TReplay::LastTick() const {
    int64_t last = End;
    if (!Events.empty()) last = std::max(last, Events.back().Tick);
    if (!Checks.empty()) last = std::max(last, Checks.rbegin()->first);
    return last;
}

TReplay ParseReplay(const std::string& text, const std::string& fileName) {
    TReplay replay;
    std::istringstream in(text);
    std::string line;
    int number = 0;
    bool header = false, seed = false, end = false;
    int hallLines = 0;
    THallOfFame hall{};
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        auto bad = [&](const std::string& why) {
            return EUsageError(Format("%s:%d: %s", fileName.c_str(), number, why.c_str()));
        };
        const std::vector<std::string> w = SplitWords(line);
        if (w.empty()) continue;
        if (!header) {
            if (w.size() != 3 || w[0] != "#" || w[1] != "tibo-replay") throw bad("not a replay: the first line must be '# tibo-replay 1'");
            if (w[2] != "1") throw bad("replay version " + w[2] + " is not known (this game reads 1)");
            header = true;
            continue;
        }
        if (w[0] != "#" || w.size() < 2) continue;  // events are read below, other "#" lines are comments
        const std::string& key = w[1];
        if (key == "seed") {
            if (seed || w.size() != 3 || !ParseUnsigned(w[2], 10, replay.Seed)) throw bad("expected '# seed N' once, N a whole number");
            seed = true;
        } else if (key == "rate") {
            if (replay.Rate || w.size() != 3) throw bad("expected '# rate N' at most once");
            replay.Rate = w[2];
        } else if (key == "check") {
            int64_t tick = 0;
            uint64_t sum = 0;
            if (w.size() != 4 || !ParseTick(w[2], tick) || w[3].size() > 16 || !ParseUnsigned(w[3], 16, sum))
                throw bad("expected '# check TICK HEX'");
            if (!replay.Checks.emplace(tick, sum).second) throw bad("a second check for tick " + w[2]);
        } else if (key == "end") {
            if (end || w.size() != 3 || !ParseTick(w[2], replay.End)) throw bad("expected '# end TICK' once");
            end = true;
        } else if (key == "hall") {
            // "# hall PLACE POINTS LEVEL NAME", the name a JSON string (it may hold spaces).
            std::istringstream fields(line);
            std::string hash, word;
            long long place = 0, points = 0, level = 0;
            fields >> hash >> word >> place >> points >> level;
            std::string name;
            std::getline(fields, name);
            const nlohmann::json parsed = nlohmann::json::parse(name, nullptr, false);
            if (!fields.eof() || place < 1 || place > static_cast<long long>(hall.size()) || points < INT32_MIN || points > INT32_MAX ||
                level < INT8_MIN || level > INT8_MAX || !parsed.is_string() || place != hallLines + 1)
                throw bad(Format("expected '# hall %d POINTS LEVEL \"NAME\"'", hallLines + 1));
            HallEntry& e = hall[static_cast<size_t>(place - 1)];
            e.Nome = parsed.get<std::string>();
            e.Punti = static_cast<int32_t>(points);
            e.Livello = static_cast<int8_t>(level);
            ++hallLines;
        }
    }
    auto missing = [&](const std::string& what) { return EUsageError(fileName + ": " + what); };
    if (!header) throw missing("not a replay: the file is empty");
    if (!seed) throw missing("the replay has no '# seed N' line");
    if (hallLines != 0 && hallLines != static_cast<int>(hall.size()))
        throw missing(Format("the replay's hall of fame has %d places of %d", hallLines, static_cast<int>(hall.size())));
    if (hallLines != 0) replay.Hall = hall;
    replay.Events = ParseInputScript(text, fileName);
    return replay;
}

std::string ScriptEventLine(const TScriptEvent& e) {
    using A = TScriptEvent::Action;
    const long long tick = e.Tick;
    switch (e.What) {
        case A::Down: return Format("%lld down %s", tick, KeyNameFromVirtualKey(e.Key).c_str());
        case A::Up: return Format("%lld up %s", tick, KeyNameFromVirtualKey(e.Key).c_str());
        case A::Press: return Format("%lld press %s", tick, KeyNameFromVirtualKey(e.Key).c_str());
        case A::Click: return Format("%lld click %d %d", tick, e.X, e.Y);
        case A::Move: return Format("%lld move %d %d", tick, e.X, e.Y);
        case A::PadDown:
        case A::PadUp:
        case A::PadPress: {
            const char* what = e.What == A::PadDown ? "down" : e.What == A::PadUp ? "up" : "press";
            return Format("%lld pad %s %s", tick, what, std::string(PadButtonName(static_cast<TPadButton>(e.Key))).c_str());
        }
        case A::PadStick: return Format("%lld pad stick %d %d", tick, e.X, e.Y);
    }
    return {};
}

std::string ReplayText(const TReplay& replay) {
    std::string text = "# tibo-replay 1\n";
    text += Format("# seed %llu\n", static_cast<unsigned long long>(replay.Seed));
    if (replay.Rate) text += "# rate " + *replay.Rate + "\n";
    if (replay.Hall) {
        int place = 0;
        for (const HallEntry& e : *replay.Hall)
            text += Format("# hall %d %d %d ", ++place, static_cast<int>(e.Punti), static_cast<int>(e.Livello)) +
                    nlohmann::json(e.Nome).dump(-1, ' ', true, nlohmann::json::error_handler_t::replace) + "\n";
    }
    // Events and checks in tick order; a check follows the events of its tick.
    auto check = replay.Checks.begin();
    for (const TScriptEvent& e : replay.Events) {
        for (; check != replay.Checks.end() && check->first < e.Tick; ++check)
            text += Format("# check %lld %016llX\n", static_cast<long long>(check->first), static_cast<unsigned long long>(check->second));
        text += ScriptEventLine(e) + "\n";
    }
    for (; check != replay.Checks.end(); ++check)
        text += Format("# check %lld %016llX\n", static_cast<long long>(check->first), static_cast<unsigned long long>(check->second));
    // A replay read without an end line has none to write (a tick is never 0).
    if (replay.End > 0) text += Format("# end %lld\n", static_cast<long long>(replay.End));
    return text;
}

}  // namespace tibo
