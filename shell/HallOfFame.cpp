#include "shell/HallOfFame.h"

#include <utility>
#include <vector>

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

std::vector<HallEntry> EntriesAdded(std::span<const HallEntry> now, std::span<const HallEntry> before) {
    std::vector<HallEntry> added;
    std::vector<bool> matched(before.size(), false);
    for (const HallEntry& entry : now) {
        bool found = false;
        for (size_t i = 0; i < before.size() && !found; ++i) {
            if (!matched[i] && before[i] == entry) matched[i] = found = true;
        }
        if (!found) added.push_back(entry);
    }
    return added;
}

THallOfFame MergeHallEntries(THallOfFame table, std::span<const HallEntry> added) {
    for (const HallEntry& entry : added) {
        const int place = FindHallPlace(table, entry.Punti);
        if (place < 0) continue;
        InsertHallEntry(table, place, entry.Punti, entry.Livello);
        table[static_cast<size_t>(place - 1)].Nome = entry.Nome;
    }
    return table;
}

}  // namespace tibo
