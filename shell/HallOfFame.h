#pragma once
// The ten best results: place 1 (best) first.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "framework/FieldList.h"

namespace tibo {

struct HallEntry {
    std::string Nome;     // the player's name (at most 255 characters; 10 when typed)
    int32_t Punti = 0;    // points
    int8_t Livello = 1;   // level the game was played at

    // The same name, points and level.
    bool operator==(const HallEntry&) const = default;
    static constexpr auto Fields = std::tuple{
        Field("Nome", &HallEntry::Nome),
        Field("Punti", &HallEntry::Punti),
        Field("Livello", &HallEntry::Livello),
    };
};
static_assert(ListsEveryMember<HallEntry>(), "each field of an entry has its line in HallEntry::Fields");

using THallOfFame = std::array<HallEntry, 10>;

// Ten entries "Tibo" with 10000 down to 1000 points, level 1.
THallOfFame DefaultHallOfFame();

// The first place 1..10 whose points `score` beats; -1 when there is none.
int FindHallPlace(const THallOfFame& hall, int32_t score);

// Moves the entries from `place` on one place down (the tenth is dropped) and
// puts an empty name with `score` and `level` at `place` (1..10).
void InsertHallEntry(THallOfFame& hall, int place, int32_t score, int level);

// The entries of `now` that `before` does not hold, counting repeats (two
// equal entries in `now` against one in `before` give one): what games added
// to the table they started from. Place for place, from the best.
std::vector<HallEntry> EntriesAdded(std::span<const HallEntry> now, std::span<const HallEntry> before);

// `table` with `added` put in, one after the other, where a game would put
// them (FindHallPlace, so below any entry of equal points): the best ten.
THallOfFame MergeHallEntries(THallOfFame table, std::span<const HallEntry> added);

}  // namespace tibo
