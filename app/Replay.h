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
//   # end 812                      (the last tick the recorded game ran)
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "shell/HallOfFame.h"

namespace tibo {

constexpr int64_t ReplayCheckEvery = 50;

struct TReplay {
    uint64_t Seed = 0;
    std::optional<std::string> Rate;
    std::optional<THallOfFame> Hall;
    std::vector<TScriptEvent> Events;
    std::map<int64_t, uint64_t> Checks;  // tick -> checksum after it
    int64_t End = 0;
    // The last tick that plays a part: the end, an event or a check.
    int64_t LastTick() const;
};

// Raises EUsageError naming the line for anything that is no replay.
TReplay ParseReplay(const std::string& text, const std::string& fileName);
std::string ReplayText(const TReplay& replay);
// An event as an input script line, without the line break.
std::string ScriptEventLine(const TScriptEvent& e);

}  // namespace tibo
