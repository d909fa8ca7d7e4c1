#include "shell/HallOfFame.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

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

// Two games started from one table: what each added, and the file both end in.
TEST(MergeHallEntries, EachGameKeepsItsOwnEntriesOnceAndEqualEntriesOfTwoGamesTwice) {
    const THallOfFame start = DefaultHallOfFame();
    auto play = [](THallOfFame hall, const std::vector<HallEntry>& games) {
        for (const HallEntry& e : games) hall = MergeHallEntries(hall, std::vector<HallEntry>{e});
        return hall;
    };
    // Game A: two entries, one of them equal to a default one (Tibo, 5000, 1),
    // which goes below it. Game B: a third entry, and one just like A's first.
    const HallEntry ann{"ANN", 9500, 2}, tibo{"Tibo", 5000, 1}, bob{"BOB", 12000, 5};
    const THallOfFame a = play(start, {ann, tibo});
    const THallOfFame b = play(start, {bob, ann});
    EXPECT_EQ(EntriesAdded(a, start), (std::vector<HallEntry>{ann, tibo})) << "the second Tibo of 5000 is new";
    EXPECT_EQ(EntriesAdded(b, start), (std::vector<HallEntry>{bob, ann}));
    EXPECT_TRUE(EntriesAdded(start, start).empty());

    // A closes first; then B, whose table never saw A's entries.
    const THallOfFame afterA = MergeHallEntries(start, EntriesAdded(a, start));
    EXPECT_EQ(afterA, a);
    const THallOfFame afterB = MergeHallEntries(afterA, EntriesAdded(b, start));
    const std::vector<HallEntry> expected = {bob, {"Tibo", 10000, 1}, ann, ann, {"Tibo", 9000, 1}, {"Tibo", 8000, 1},
                                             {"Tibo", 7000, 1}, {"Tibo", 6000, 1}, tibo, tibo};
    EXPECT_EQ(std::vector<HallEntry>(afterB.begin(), afterB.end()), expected)
        << "both games' ANN of 9500 at level 2 are two results, kept twice";
    // Saving again adds nothing: what a game has stored is taken out first.
    EXPECT_TRUE(EntriesAdded(EntriesAdded(b, start), EntriesAdded(b, start)).empty());
    EXPECT_EQ(MergeHallEntries(afterB, {}), afterB);

    // An entry below the ten best of the file stays out; a table out of order
    // (edited by hand) keeps its order and takes entries where a game would.
    EXPECT_EQ(MergeHallEntries(afterB, std::vector<HallEntry>{{"LOW", 4000, 1}}), afterB);
    THallOfFame unsorted = start;
    std::swap(unsorted[1], unsorted[9]);
    const THallOfFame merged = MergeHallEntries(unsorted, std::vector<HallEntry>{{"MID", 1500, 1}});
    EXPECT_EQ(merged[1].Nome, "MID");
    EXPECT_EQ(merged[2].Punti, 1000);
    EXPECT_EQ(merged[9].Punti, 2000) << "the last place dropped";
}

}  // namespace
}  // namespace tibo
