#include "shell/HallOfFame.h"

#include <utility>

namespace tibo {

THallOfFame DefaultHallOfFame() {
    THallOfFame hall;
    for (int n = 1; n <= 10; ++n) {
        HallEntry& entry = hall[static_cast<size_t>(n - 1)];
        entry.Nome = "Tibo";
        entry.Punti = 11000 - 1000 * n;
        entry.Livello = 1;
    }
    return hall;
}

int FindHallPlace(const THallOfFame& hall, int32_t score) {
    // Strictly greater: a score equal to an entry's points goes below it.
    for (int n = 1; n <= 10; ++n)
        if (score > hall[static_cast<size_t>(n - 1)].Punti) return n;
    return -1;
}

void InsertHallEntry(THallOfFame& hall, int place, int32_t score, int level) {
    if (place < 1 || place > 10) return;
    // 9 to 10 first, then 8 to 9, ... down to `place`; the old tenth is dropped.
    for (int n = 9; n >= place; --n)
        hall[static_cast<size_t>(n)] = std::move(hall[static_cast<size_t>(n - 1)]);
    HallEntry& entry = hall[static_cast<size_t>(place - 1)];
    entry.Nome.clear();
    entry.Punti = score;
    entry.Livello = static_cast<int8_t>(static_cast<uint8_t>(static_cast<unsigned>(level) & 0xFFu));
}

}  // namespace tibo
