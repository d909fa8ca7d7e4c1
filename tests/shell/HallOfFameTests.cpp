#include "shell/HallOfFame.h"

#include <gtest/gtest.h>

#include <limits>

namespace tibo {
namespace {

TEST(HallOfFameDefaults, TenTiboEntriesFromTenThousandDown) {
    const THallOfFame hall = DefaultHallOfFame();
    for (size_t i = 0; i < hall.size(); ++i) {
        EXPECT_EQ(hall[i].Nome, "Tibo");
        EXPECT_EQ(hall[i].Punti, 10000 - 1000 * static_cast<int32_t>(i));
        EXPECT_EQ(hall[i].Livello, 1);
    }
}

TEST(FindHallPlace, AgainstTheDefaultTable) {
    const THallOfFame hall = DefaultHallOfFame();
    EXPECT_EQ(FindHallPlace(hall, 10001), 1);
    EXPECT_EQ(FindHallPlace(hall, 10000), 2);  // equal to place 1 is not enough
    EXPECT_EQ(FindHallPlace(hall, 9999), 2);
    EXPECT_EQ(FindHallPlace(hall, 5500), 6);
    EXPECT_EQ(FindHallPlace(hall, 1001), 10);
    EXPECT_EQ(FindHallPlace(hall, 1000), -1);
    EXPECT_EQ(FindHallPlace(hall, 0), -1);
    EXPECT_EQ(FindHallPlace(hall, std::numeric_limits<int32_t>::min()), -1);
    EXPECT_EQ(FindHallPlace(hall, std::numeric_limits<int32_t>::max()), 1);
}

TEST(FindHallPlace, ZeroOnlyBeatsNegativeEntries) {
    THallOfFame hall = DefaultHallOfFame();
    hall[9].Punti = 0;
    EXPECT_EQ(FindHallPlace(hall, 0), -1);
    hall[9].Punti = -1;
    EXPECT_EQ(FindHallPlace(hall, 0), 10);
    hall[6].Punti = -5;  // a damaged file need not be sorted: the first beaten place wins
    EXPECT_EQ(FindHallPlace(hall, 0), 7);
}

TEST(InsertHallEntry, AtThreeShiftsTheRestAndDropsTheTenth) {
    THallOfFame hall = DefaultHallOfFame();
    for (size_t i = 0; i < hall.size(); ++i) hall[i].Nome = "P" + std::to_string(i + 1);
    const THallOfFame before = hall;

    InsertHallEntry(hall, 3, 8500, 4);

    EXPECT_EQ(hall[0].Nome, before[0].Nome);
    EXPECT_EQ(hall[1].Nome, before[1].Nome);
    EXPECT_EQ(hall[2].Nome, "");
    EXPECT_EQ(hall[2].Punti, 8500);
    EXPECT_EQ(hall[2].Livello, 4);
    for (size_t i = 3; i < 10; ++i) {
        EXPECT_EQ(hall[i].Nome, before[i - 1].Nome) << "place " << i + 1;
        EXPECT_EQ(hall[i].Punti, before[i - 1].Punti) << "place " << i + 1;
    }
    for (const HallEntry& e : hall) EXPECT_NE(e.Nome, "P10");
}

TEST(InsertHallEntry, AtTheEndsOfTheTable) {
    THallOfFame hall = DefaultHallOfFame();
    hall[9].Nome = "Last";
    InsertHallEntry(hall, 10, 1500, 2);
    EXPECT_EQ(hall[9].Nome, "");
    EXPECT_EQ(hall[9].Punti, 1500);
    EXPECT_EQ(hall[8].Punti, 2000);

    hall = DefaultHallOfFame();
    hall[0].Nome = "First";
    InsertHallEntry(hall, 1, 20000, 5);
    EXPECT_EQ(hall[0].Punti, 20000);
    EXPECT_EQ(hall[0].Livello, 5);
    EXPECT_EQ(hall[1].Nome, "First");
    EXPECT_EQ(hall[1].Punti, 10000);
    EXPECT_EQ(hall[9].Punti, 2000);
}

TEST(InsertHallEntry, PlaceOutsideTheTableChangesNothing) {
    THallOfFame hall = DefaultHallOfFame();
    InsertHallEntry(hall, -1, 50000, 1);
    InsertHallEntry(hall, 0, 50000, 1);
    InsertHallEntry(hall, 11, 50000, 1);
    const THallOfFame defaults = DefaultHallOfFame();
    for (size_t i = 0; i < hall.size(); ++i) {
        EXPECT_EQ(hall[i].Nome, defaults[i].Nome);
        EXPECT_EQ(hall[i].Punti, defaults[i].Punti);
    }
}

TEST(InsertHallEntry, FoundPlacesKeepTheTableDescending) {
    THallOfFame hall = DefaultHallOfFame();
    for (int32_t score : {10000, 1001, 5000, 12000, 5000, 999, 7000, 7000}) {
        const int place = FindHallPlace(hall, score);
        if (place > 0) InsertHallEntry(hall, place, score, 1);
    }
    for (size_t i = 1; i < hall.size(); ++i) EXPECT_GE(hall[i - 1].Punti, hall[i].Punti);
    EXPECT_EQ(hall[0].Punti, 12000);
    EXPECT_EQ(hall[1].Punti, 10000);
    EXPECT_EQ(hall[1].Nome, "Tibo");  // the new 10000 went below the old one
    EXPECT_EQ(hall[2].Nome, "");
}

}  // namespace
}  // namespace tibo
