#include "app/Replay.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <sstream>

#include "framework/Files.h"
#include "framework/Gamepad.h"
#include "framework/platform/KeyMap.h"
#include "shell/Settings.h"

namespace tibo {
namespace {

// A whole number of digits only (no sign, no spaces) that fits 64 bits.
bool ParseUnsigned(std::string_view text, int base, uint64_t& value) {
    if (text.empty() || text.size() > 20) return false;
    for (char c : text)
        if (!(base == 16 ? std::isxdigit(static_cast<unsigned char>(c)) : std::isdigit(static_cast<unsigned char>(c)))) return false;
    errno = 0;
    value = std::strtoull(std::string(text).c_str(), nullptr, base);
    return errno == 0;
}

// A tick: `lowest` (1, or 0 for the end) to a billion billion.
bool ParseTick(std::string_view text, int64_t& tick, uint64_t lowest = 1) {
    uint64_t v = 0;
    if (!ParseUnsigned(text, 10, v) || v < lowest || v > 1000000000000000000ULL) return false;
    tick = static_cast<int64_t>(v);
    return true;
}

bool ParseSum(std::string_view text, uint64_t& sum) { return text.size() <= 16 && ParseUnsigned(text, 16, sum); }

constexpr std::string_view HeaderKeys[] = {"seed", "rate", "check", "end", "hall"};

}  // namespace

int64_t TReplay::LastTick() const {
    int64_t last = End.value_or(0);
    if (!Events.empty()) last = std::max(last, Events.back().Tick);
    if (!Checks.empty()) last = std::max(last, Checks.rbegin()->first);
    return last;
}

bool ReplayRateWritable(const std::string& rate) {
    if (rate.empty() || rate.size() > MaxReplayRateLength) return false;
    for (unsigned char c : rate)
        if (c <= 0x20 || c == 0x7F) return false;
    return true;
}

TReplay ParseReplay(const std::string& text, const std::string& fileName) {
    TReplay replay;
    bool header = false, seed = false;
    int hallLines = 0;
    THallOfFame hall{};
    int hallLineNumbers[std::tuple_size_v<THallOfFame>] = {};
    ForEachLine(text, [&](int number, std::string_view line) {
        auto bad = [&](const std::string& why) {
            return EUsageError(Format("%s:%d: %s", fileName.c_str(), number, why.c_str()));
        };
        if (!header) {
            const std::vector<std::string_view> w = LineWords(line, 4);
            if (w.empty()) return;
            if (w.size() != 3 || w[0] != "#" || w[1] != "tibo-replay") throw bad("not a replay: the first line must be '# tibo-replay 1'");
            if (w[2] != "1") throw bad("replay version " + std::string(w[2].substr(0, 20)) + " is not known (this game reads 1)");
            header = true;
            return;
        }
        // Events are read below; "#" lines other than the header's keys are
        // comments, passed over whatever their length.
        const std::vector<std::string_view> first = LineWords(line, 2);
        if (first.size() < 2 || first[0] != "#" || std::find(std::begin(HeaderKeys), std::end(HeaderKeys), first[1]) == std::end(HeaderKeys))
            return;
        if (line.size() > MaxReplayHeaderLine) throw bad(Format("the line is longer than %zu characters", MaxReplayHeaderLine));
        const std::vector<std::string_view> w = LineWords(line, 6);
        const std::string_view key = w[1];
        if (key == "seed") {
            if (seed || w.size() != 3 || !ParseUnsigned(w[2], 10, replay.Seed)) throw bad("expected '# seed N' once, N a whole number");
            seed = true;
        } else if (key == "rate") {
            if (replay.Rate || w.size() != 3 || !ReplayRateWritable(std::string(w[2]))) throw bad("expected '# rate N' at most once");
            replay.Rate = std::string(w[2]);
        } else if (key == "check") {
            int64_t tick = 0;
            uint64_t sum = 0;
            if (w.size() != 4 || !ParseTick(w[2], tick) || !ParseSum(w[3], sum)) throw bad("expected '# check TICK HEX'");
            if (!replay.Checks.emplace(tick, sum).second) throw bad("a second check for tick " + std::string(w[2]));
        } else if (key == "end") {
            int64_t tick = 0;
            uint64_t sum = 0;
            if (replay.End || w.size() < 3 || w.size() > 4 || !ParseTick(w[2], tick, 0) || (w.size() == 4 && !ParseSum(w[3], sum)))
                throw bad("expected '# end TICK HEX' once");
            replay.End = tick;
            if (w.size() == 4) replay.EndSum = sum;
        } else {
            // "# hall PLACE POINTS LEVEL NAME", the name a JSON string (it may hold spaces).
            std::istringstream fields{std::string(line)};
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
            hallLineNumbers[hallLines++] = number;
        }
    });
    auto missing = [&](const std::string& what) { return EUsageError(fileName + ": " + what); };
    if (!header) throw missing("not a replay: the file is empty");
    if (!seed) throw missing("the replay has no '# seed N' line");
    if (hallLines != 0 && hallLines != static_cast<int>(hall.size()))
        throw missing(Format("the replay's hall of fame has %d places of %d", hallLines, static_cast<int>(hall.size())));
    if (hallLines != 0) {
        // The table a game started from is one Tibo.Ini gave it.
        if (const int place = FirstHallEntryNotKept(hall))
            throw EUsageError(Format("%s:%d: place %d of the hall of fame cannot come from Tibo.Ini (a name of at most 255 characters, "
                                     "without line breaks or NUL bytes)",
                                     fileName.c_str(), hallLineNumbers[place - 1], place));
        replay.Hall = hall;
    }
    replay.Events = ParseInputScript(text, fileName);

    // What a recording writes: a check every ReplayCheckEvery ticks up to its
    // end (or, cut short, up to its last tick), nothing after the tick that
    // closed the game, and the state it closed in.
    if (replay.End) {
        const int64_t end = *replay.End;
        if (!replay.Checks.empty() && replay.Checks.rbegin()->first > end)
            throw missing(Format("the check of tick %lld comes after the end, tick %lld", static_cast<long long>(replay.Checks.rbegin()->first),
                                 static_cast<long long>(end)));
        if (!replay.Events.empty() && replay.Events.back().Tick > end + 1)
            throw missing(Format("an event at tick %lld comes after the end, tick %lld (the game closed before tick %lld)",
                                 static_cast<long long>(replay.Events.back().Tick), static_cast<long long>(end),
                                 static_cast<long long>(end + 1)));
        // Written before the end line had its sum: the check of the end tick
        // stands for it, when nothing came after that tick.
        if (!replay.EndSum && (!replay.Checks.contains(end) || (!replay.Events.empty() && replay.Events.back().Tick > end)))
            throw missing("the end line has no checksum: expected '# end TICK HEX'");
    }
    const int64_t checkedTo = replay.End ? *replay.End : replay.LastTick() - 1;
    const int64_t due = std::max<int64_t>(checkedTo, 0) / ReplayCheckEvery;
    int64_t have = 0;
    for (const auto& [tick, sum] : replay.Checks)
        if (tick % ReplayCheckEvery == 0 && tick <= checkedTo) ++have;
    if (have != due) {
        int64_t tick = ReplayCheckEvery;
        while (replay.Checks.contains(tick)) tick += ReplayCheckEvery;
        throw missing(Format("the replay has no check of tick %lld (a recording checks the game every %lld ticks up to its end)",
                             static_cast<long long>(tick), static_cast<long long>(ReplayCheckEvery)));
    }
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

std::string ReplayHeaderText(const TReplay& replay) {
    std::string text = "# tibo-replay 1\n";
    text += Format("# seed %llu\n", static_cast<unsigned long long>(replay.Seed));
    if (replay.Rate) text += "# rate " + *replay.Rate + "\n";
    if (replay.Hall) {
        int place = 0;
        for (const HallEntry& e : *replay.Hall)
            text += Format("# hall %d %d %d ", ++place, static_cast<int>(e.Punti), static_cast<int>(e.Livello)) +
                    nlohmann::json(e.Nome).dump(-1, ' ', true, nlohmann::json::error_handler_t::replace) + "\n";
    }
    return text;
}

std::string ReplayCheckLine(int64_t tick, uint64_t sum) {
    return Format("# check %lld %016llX\n", static_cast<long long>(tick), static_cast<unsigned long long>(sum));
}

std::string ReplayEndLine(int64_t tick, std::optional<uint64_t> sum) {
    if (!sum) return Format("# end %lld\n", static_cast<long long>(tick));
    return Format("# end %lld %016llX\n", static_cast<long long>(tick), static_cast<unsigned long long>(*sum));
}

std::string ReplayText(const TReplay& replay) {
    std::string text = ReplayHeaderText(replay);
    // Events and checks in tick order; a check follows the events of its tick.
    auto check = replay.Checks.begin();
    for (const TScriptEvent& e : replay.Events) {
        for (; check != replay.Checks.end() && check->first < e.Tick; ++check) text += ReplayCheckLine(check->first, check->second);
        text += ScriptEventLine(e) + "\n";
    }
    for (; check != replay.Checks.end(); ++check) text += ReplayCheckLine(check->first, check->second);
    // A replay cut short has no end line to write.
    if (replay.End) text += ReplayEndLine(*replay.End, replay.EndSum);
    return text;
}

TRecorder::TRecorder(const std::string& path) {
    try {
        File_ = std::make_unique<TPartialFile>(path);
    } catch (const EFileError& e) {
        throw EUsageError(std::string("--record: ") + e.what());
    }
}

TRecorder::~TRecorder() = default;

void TRecorder::Begin(const TReplay& header) {
    File_->Append(ReplayHeaderText(header));
    File_->Flush();
}

void TRecorder::Event(const TScriptEvent& e) { File_->Append(ScriptEventLine(e) + "\n"); }

void TRecorder::AfterTick(int64_t tick, const std::function<uint64_t()>& sum) {
    if (tick % ReplayCheckEvery != 0) return;
    // On disk at every check: a kill or a crash loses at most the ticks since.
    File_->Append(ReplayCheckLine(tick, sum()));
    File_->Flush();
}

void TRecorder::Finish(int64_t tick, uint64_t sum) {
    File_->Append(ReplayEndLine(tick, sum));
    File_->Finish();
}

void TRecorder::KeepCutShort() noexcept {
    if (!File_->InProgress()) return;
    try {
        File_->Flush();
        std::fprintf(stderr, "tibo: the recording is cut short; what it has is kept in %s\n", File_->PartialPath().c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tibo: %s\n", e.what());
    }
}

void TPlaybackChecks::AfterTick(int64_t tick, const std::function<uint64_t()>& sum) const {
    const auto it = Replay_.Checks.find(tick);
    if (it != Replay_.Checks.end() && it->second != sum())
        throw EReplayDiffers(Format("replay differs at tick %lld", static_cast<long long>(tick)));
}

void TPlaybackChecks::AtClose(int64_t tick, const std::function<uint64_t()>& sum, bool windowClosed) const {
    if (windowClosed && tick < LastTick_) {
        std::fprintf(stderr, "tibo: replay stopped after tick %lld, when its window was closed: it played back the same up to there\n",
                     static_cast<long long>(tick));
        return;
    }
    const TReplay& r = Replay_;
    const auto after = r.Checks.upper_bound(tick);
    if (after != r.Checks.end() && after->first <= LastTick_)
        throw EReplayDiffers(Format("replay differs at tick %lld: the game closed after tick %lld", static_cast<long long>(after->first),
                                    static_cast<long long>(tick)));
    // A replay without its end line never passes as whole.
    if (r.CutShort())
        throw EReplayDiffers(Format("replay cut short: it has no '# end' line; it played back the same to its last tick, %lld",
                                    static_cast<long long>(tick)));
    if (LastTick_ < r.LastTick()) return;  // --frames stopped it before its end: the same so far
    const int64_t end = *r.End;
    if (tick != end)
        throw EReplayDiffers(Format("replay differs at its end: the game closed after tick %lld, the recorded one after tick %lld",
                                    static_cast<long long>(tick), static_cast<long long>(end)));
    if (r.EndSum && *r.EndSum != sum())
        throw EReplayDiffers(Format("replay differs at its end, after tick %lld: the game closed in another state", static_cast<long long>(end)));
}

}  // namespace tibo
