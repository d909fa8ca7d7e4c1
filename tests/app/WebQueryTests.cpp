// The page's address as the command line: what the browser's page reads from
// its query string.
#include <gtest/gtest.h>

#include "app/CommandLine.h"
#include "app/WebQuery.h"

namespace tibo {
namespace {

TProgramOptions Options(const std::string& query) { return ParseCommandLine(QueryArguments(query).Arguments); }

TEST(WebQueryTest, TheAddressGivesTheCommandLinesOptions) {
    const TQueryArguments all = QueryArguments(
        "?seed=12&input=scripts/my+walk%2B%C3%A9.txt&frames=400&dump-state=100&utm_source=x&dump-state=250&timing-report&headless");
    EXPECT_EQ(all.Warnings, std::vector<std::string>{"?utm_source is no option of the page: it is ignored"});
    const TProgramOptions o = ParseCommandLine(all.Arguments);
    EXPECT_EQ(o.Seed, 12u);
    EXPECT_EQ(o.InputFile, "scripts/my walk+\xC3\xA9.txt") << "decoded as the browser's URLSearchParams, which fetched it";
    EXPECT_EQ(o.Frames, 400);
    ASSERT_EQ(o.Dumps.size(), 2u);
    EXPECT_EQ(o.Dumps.begin()->first, 100);
    EXPECT_EQ(o.Dumps.rbegin()->first, 250);
    EXPECT_FALSE(o.TimingReport.empty());
    EXPECT_TRUE(o.Headless);
    EXPECT_TRUE(o.Warnings.empty());

    // With or without "?"; empty pairs and a stray "%" are no harm.
    const TProgramOptions replay = Options("replay=data/victory.replay&&timing-report=yes&name=%zz");
    EXPECT_EQ(replay.ReplayFile, "data/victory.replay");
    EXPECT_FALSE(replay.Headless);
    EXPECT_EQ(QueryArguments("?a%zz=1").Warnings, std::vector<std::string>{"?a%zz is no option of the page: it is ignored"});
    EXPECT_TRUE(QueryArguments("").Arguments.empty());
}

TEST(WebQueryTest, WhatTheCommandLineRefusesTheAddressCannotSlipPast) {
    // Each a bad command line (exit status 2), as its desktop words are.
    for (const char* query : {"?seed", "?seed=", "?seed=-3", "?frames=0", "?dump-state=ten", "?dump-state=0", "?dump-state",
                              "?replay=a.replay&seed=4", "?replay=a.replay&input=b.txt", "?frames=50&dump-state=60"}) {
        EXPECT_THROW(Options(query), EUsageError) << query;
    }
}

}  // namespace
}  // namespace tibo
