#pragma once
// The ten best results: place 1 (best) first.
#include <array>
#include <cstdint>
#include <string>
#include <tuple>

#include "framework/FieldList.h"

namespace tibo {

struct HallEntry {
    std::string Nome;     // the player's name (at most 255 characters; 10 when typed)
    int32_t Punti = 0;    // points
    int8_t Livello = 1;   // level the game was played at

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

}  // namespace tibo
