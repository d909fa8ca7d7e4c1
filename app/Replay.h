#pragma once
// Replays: a game's seed, frame rate, starting hall of fame and every input
// event by tick, with checksums of the game's state along the way. A replay is
// also an input script: everything but the events is on lines starting with "#".
//
//   # tibo-replay 1
//   # seed 1234
//   # rate 50                       (the first plain argument, when there was one)
//   # hall 1 10000 1 "Tibo"        (place, points, level, name as a JSON string; ten lines)
//   5 press A                      (the events, as --input reads them)
//   # check 50 8C3F0A1B2D4E5F60    (StateChecksum after that tick, hexadecimal)
//   # end 812 0123456789ABCDEF     (the last tick the recorded game ran, and
//                                   StateChecksum as it closed)
//
// A recording is written as the game runs and flushed at every check; only a
// replay with its end line is whole. One without it (a recording killed part
// way, a file cut short) plays back to its last tick and is reported as cut short.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/CommandLine.h"
#include "shell/HallOfFame.h"

namespace tibo {

// A check every this many ticks, from the first multiple to the end.
constexpr int64_t ReplayCheckEvery = 50;
// The longest header line (a frame rate, a hall-of-fame name) a replay holds.
constexpr size_t MaxReplayHeaderLine = 4096;
// The longest frame rate a recording writes: one word, no spaces, no controls.
constexpr size_t MaxReplayRateLength = 64;

struct TReplay {
    uint64_t Seed = 0;
    std::optional<std::string> Rate;
    std::optional<THallOfFame> Hall;
    std::vector<TScriptEvent> Events;
    std::map<int64_t, uint64_t> Checks;  // tick -> checksum after it
    // "# end": the last tick the game ran (0 when it closed before the first),
    // and the checksum of the game as it closed (absent in replays written
    // before it was; their check at the end tick stands for it).
    std::optional<int64_t> End;
    std::optional<uint64_t> EndSum;
    bool CutShort() const { return !End; }
    // The last tick that plays a part: the end, an event or a check.
    int64_t LastTick() const;
};

// Whether a frame rate can be written into a replay and read back as it is.
bool ReplayRateWritable(const std::string& rate);

// Raises EUsageError naming the line for anything that is no replay.
TReplay ParseReplay(const std::string& text, const std::string& fileName);
std::string ReplayText(const TReplay& replay);
// The parts of a replay's text as a recording writes them while the game runs:
// the header (up to the hall of fame), then event lines, check lines and the end line.
std::string ReplayHeaderText(const TReplay& replay);
std::string ReplayCheckLine(int64_t tick, uint64_t sum);
std::string ReplayEndLine(int64_t tick, std::optional<uint64_t> sum);
// An event as an input script line, without the line break.
std::string ScriptEventLine(const TScriptEvent& e);

}  // namespace tibo
