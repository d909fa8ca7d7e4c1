#include "app/CommandLine.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <map>

#include "app/Replay.h"
#include "framework/Gamepad.h"
#include "framework/platform/KeyMap.h"

namespace tibo {
namespace {

// A line of a script as a message shows it: bytes that are no printable ASCII
// as \xNN, at most about 60 characters.
std::string Shown(std::string_view line) {
    constexpr size_t Longest = 60;
    std::string out;
    for (unsigned char c : line) {
        if (out.size() >= Longest) {
            out += "...";
            break;
        }
        if (c >= 0x20 && c < 0x7F && c != '\\') out += static_cast<char>(c);
        else out += Format("\\x%02X", c);
    }
    return out;
}

bool ParseInt64(const std::string& text, int64_t& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || end == text.c_str() || *end != '\0') return false;
    value = v;
    return true;
}

// "T:FILE" of --screenshot and --dump-state.
std::pair<int64_t, std::string> TickAndFile(const std::string& option, const std::string& value) {
    const auto colon = value.find(':');
    int64_t tick = 0;
    if (colon == std::string::npos || !ParseInt64(value.substr(0, colon), tick) || tick < 1 || colon + 1 >= value.size())
        throw EUsageError(option + ": expected TICK:FILE, got '" + value + "'");
    return {tick, value.substr(colon + 1)};
}

}  // namespace

std::vector<std::string_view> LineWords(std::string_view line, size_t maxWords) {
    // The white space of the C locale, as a stream reads words.
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; };
    std::vector<std::string_view> words;
    size_t at = 0;
    while (words.size() < maxWords) {
        while (at < line.size() && blank(line[at])) ++at;
        if (at == line.size()) break;
        const size_t start = at;
        while (at < line.size() && !blank(line[at])) ++at;
        words.push_back(line.substr(start, at - start));
    }
    return words;
}

void ForEachLine(std::string_view text, const std::function<void(int, std::string_view)>& each) {
    constexpr std::string_view Bom = "\xEF\xBB\xBF";
    if (text.starts_with(Bom)) text.remove_prefix(Bom.size());
    int number = 0;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        each(++number, line);
    }
}

std::vector<TScriptEvent> ParseInputScript(const std::string& text, const std::string& fileName) {
    std::vector<TScriptEvent> events;
    ForEachLine(text, [&](int number, std::string_view line) {
        // At most one word more than the longest event has, so that a line
        // of many words is refused without splitting it all.
        const std::vector<std::string_view> words = LineWords(line, 6);
        if (words.empty() || words[0][0] == '#') return;
        const std::vector<std::string> w(words.begin(), words.end());
        auto bad = [&](const std::string& why) {
            return EUsageError(Format("%s:%d: %s: '%s'", fileName.c_str(), number, why.c_str(), Shown(line).c_str()));
        };
        TScriptEvent e;
        if (!ParseInt64(w[0], e.Tick) || e.Tick < 1) throw bad("the tick must be a whole number from 1");
        if (w.size() < 2) throw bad("missing action");
        const std::string& action = w[1];
        if (action == "down" || action == "up" || action == "press") {
            if (w.size() != 3) throw bad("expected one key");
            e.What = action == "down" ? TScriptEvent::Action::Down : action == "up" ? TScriptEvent::Action::Up : TScriptEvent::Action::Press;
            e.Key = VirtualKeyFromName(w[2]);
            if (e.Key == 0) throw bad("unknown key (the keys are " + KeyNames() + ")");
        } else if (action == "click" || action == "move") {
            int64_t x = 0, y = 0;
            if (w.size() != 4 || !ParseInt64(w[2], x) || !ParseInt64(w[3], y) || x < -100000 || x > 100000 || y < -100000 || y > 100000)
                throw bad("expected X Y");
            e.What = action == "click" ? TScriptEvent::Action::Click : TScriptEvent::Action::Move;
            e.X = static_cast<int>(x);
            e.Y = static_cast<int>(y);
        } else if (action == "pad") {
            const std::string what = w.size() >= 3 ? w[2] : "";
            if (what == "down" || what == "up" || what == "press") {
                TPadButton button{};
                if (w.size() != 4 || !PadButtonFromName(w[3], button))
                    throw bad("expected one pad button (" + PadButtonNames() + ")");
                e.What = what == "down" ? TScriptEvent::Action::PadDown
                         : what == "up" ? TScriptEvent::Action::PadUp
                                        : TScriptEvent::Action::PadPress;
                e.Key = static_cast<int>(button);
            } else if (what == "stick") {
                int64_t x = 0, y = 0;
                if (w.size() != 5 || !ParseInt64(w[3], x) || !ParseInt64(w[4], y) || x < -32768 || x > 32767 || y < -32768 ||
                    y > 32767)
                    throw bad("expected the stick's X Y, each from -32768 to 32767");
                e.What = TScriptEvent::Action::PadStick;
                e.X = static_cast<int>(x);
                e.Y = static_cast<int>(y);
            } else {
                throw bad("expected 'pad down|up|press BUTTON' or 'pad stick X Y'");
            }
        } else {
            throw bad("unknown action '" + action + "'");
        }
        events.push_back(e);
    });
    std::stable_sort(events.begin(), events.end(), [](const TScriptEvent& a, const TScriptEvent& b) { return a.Tick < b.Tick; });
    return events;
}

std::string UsageText() {
    return std::string(R"(Usage: tibo [FRAMES-PER-SECOND] [OPTIONS]

Tibo is trapped at the bottom of a labyrinth: help him climb out.

Options:
  --windowed             open in a window instead of full screen
  --help                 print this help and exit
  --version              print the game's name and version and exit
  --config-dir DIR       folder of the hall of fame file Tibo.Ini
                         (default: the per-user data folder of the game)
  --assets DIR           use the pictures and sounds found in DIR instead of
                         the built-in ones (files named as --export-assets names them)
  --export-assets DIR    write every built-in picture and sound to DIR, plus
                         contact-sheet.png, and exit
  --headless             run without a window or sound, ticks back to back
  --seed N               fixed seed for the labyrinths (repeatable games)
  --input FILE           scripted input: lines "TICK down|up|press KEY",
                         "TICK click|move X Y", "TICK pad down|up|press BUTTON"
                         or "TICK pad stick X Y" (-32768 to 32767, y downwards)
  --frames N             close the game after tick N
  --screenshot T:FILE    save the picture shown by tick T as a PNG (repeatable)
  --dump-state T:FILE    save the game's variables after tick T as JSON (repeatable)
  --timing-report FILE   save tick timing, CPU and memory figures as JSON,
                         counted from the first tick
  --record FILE          write the game as a replay: its seed (one is picked
                         without --seed), frame rate, starting hall of fame,
                         every input event by tick, a checksum of the game
                         every 50 ticks and one as it closes; a replay is also
                         an --input script. It is written as the game runs, as
                         FILE.partial, which becomes FILE when the game closes:
                         a recording cut short (a kill, a crash) stays there
  --replay FILE          play a replay back (headless or in a window) and check
                         every checksum: 0 when it matches to its end, 3 when
                         it differs (naming the first tick) or is cut short,
                         128+N when signal N stops it (130 for Ctrl+C), 0 and
                         the tick it reached when its window is closed; not
                         with --input, --seed, --record, --export-assets or a
                         frame rate

Keys in input scripts: )") + KeyNames() + R"(.
Pad buttons in input scripts: )" + PadButtonNames() + R"(.

Controls:
  Arrow keys (or H J K L, keypad 8 4 6 2)   move and climb
  Space (or Z)                               fire
  Enter (or X)                               lay a bomb; start the game
  P                                          pause and resume
  Escape                                     quit (the hall of fame is saved)
  Alt+Enter or F11                           full screen on or off
  M                                          sound off and on (in the name
                                             entry of the hall of fame M types an M)
  F12                                        save a screenshot, tibo-DATE-TIME-N.png,
                                             in the folder of Tibo.Ini (the path is printed)
  F1                                         the help page, over any screen (the game
                                             waits behind it; any key goes back)
  Up and Down, Left and Right, Enter, mouse  choose the level, PYRAMID or MINE, start
  Letters, digits, space, Delete or          a hall-of-fame name: type it, take back
  Backspace, Enter                           the last character, end it

Gamepad (plugged in at any time; a gamecontrollerdb.txt in the folder of
Tibo.Ini adds mappings for more controllers):
  D-pad or left stick                        move and climb; choose the level
  South button (A)                           fire; start the game
  East button (B)                            lay a bomb
  Left and Right on the level choice         PYRAMID and MINE
  Start                                      start the game; pause and resume
  Back                                       the help page
  Any button                                 leave the intro and the hall of fame
  Hall-of-fame name: Up and Down choose a letter, South adds it, West
  deletes, Start ends
)";
}

TProgramOptions ParseCommandLine(const std::vector<std::string>& args) {
    TProgramOptions o;
    std::map<std::string, int> given;  // options taking one value, by how often they came
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) throw EUsageError(a + " needs a value");
            if (args[i + 1].empty()) throw EUsageError(a + ": the value is empty");
            return args[++i];
        };
        // A second one replaces the first: said, so that it is no surprise.
        auto once = [&]() -> const std::string& {
            const std::string& v = value();
            if (++given[a] == 2) o.Warnings.push_back(a + " is given more than once: the last one counts");
            return v;
        };
        if (a == "--headless") o.Headless = true;
        else if (a == "--windowed") o.Windowed = true;
        else if (a == "--help" || a == "-h") o.Help = true;
        else if (a == "--version") o.Version = true;
        else if (a == "--seed") {
            const std::string& v = once();
            int64_t seed = 0;
            if (!ParseInt64(v, seed) || seed < 0) throw EUsageError("--seed: expected a whole number from 0, got '" + v + "'");
            o.Seed = static_cast<uint64_t>(seed);
        } else if (a == "--input") o.InputFile = once();
        else if (a == "--frames") {
            const std::string& v = once();
            int64_t n = 0;
            if (!ParseInt64(v, n) || n < 1) throw EUsageError("--frames: expected a whole number from 1, got '" + v + "'");
            o.Frames = n;
        } else if (a == "--screenshot") o.Screenshots.insert(TickAndFile(a, value()));
        else if (a == "--dump-state") o.Dumps.insert(TickAndFile(a, value()));
        else if (a == "--config-dir") o.ConfigDir = once();
        else if (a == "--assets") o.AssetsDir = once();
        else if (a == "--export-assets") o.ExportDir = once();
        else if (a == "--timing-report") o.TimingReport = once();
        else if (a == "--record") o.RecordFile = once();
        else if (a == "--replay") o.ReplayFile = once();
        else if (a.size() > 1 && a[0] == '-' && (a[1] == '-' || std::isalpha(static_cast<unsigned char>(a[1]))))
            throw EUsageError("unknown option '" + a + "'");
        else {
            // A negative number is a frame rate as any other.
            if (!o.Arguments.empty())
                o.Warnings.push_back("the argument '" + a + "' is ignored: only the first plain argument counts (the frame rate)");
            o.Arguments.push_back(a);
        }
    }
    // A recording must be read back: its frame rate is one word.
    if (!o.RecordFile.empty() && !o.Arguments.empty() && !ReplayRateWritable(o.Arguments[0]))
        throw EUsageError(Format("--record and a frame rate '%s': a recorded frame rate is one word of 1 to %zu characters, "
                                 "without spaces or control characters",
                                 Shown(o.Arguments[0]).c_str(), MaxReplayRateLength));
    // A replay brings its own seed, frame rate and input.
    if (!o.ReplayFile.empty()) {
        if (!o.InputFile.empty()) throw EUsageError("--replay and --input: the replay brings its own input");
        if (o.Seed) throw EUsageError("--replay and --seed: the replay brings its own seed");
        if (!o.RecordFile.empty()) throw EUsageError("--replay and --record: a replay is not recorded again");
        if (!o.Arguments.empty()) throw EUsageError("--replay and a frame rate '" + Shown(o.Arguments[0]) + "': the replay brings its own");
        if (o.ExportDir) throw EUsageError("--replay and --export-assets: exporting the assets plays no game");
    }
    // A picture or a dump after the last tick would silently never be made.
    if (o.Frames) {
        for (const auto* list : {&o.Screenshots, &o.Dumps}) {
            if (!list->empty() && list->rbegin()->first > *o.Frames)
                throw EUsageError(Format("%s at tick %lld comes after --frames %lld: it would never be made",
                                         list == &o.Screenshots ? "--screenshot" : "--dump-state",
                                         static_cast<long long>(list->rbegin()->first), static_cast<long long>(*o.Frames)));
        }
    }
    return o;
}

}  // namespace tibo
