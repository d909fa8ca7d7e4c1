// Recordings and replays through the real program: a recording is on disk as
// the game runs and never destroys an older one; a replay cut short, changed
// after its last tick, interrupted or with a header no recording writes never
// passes as whole; options that would come to nothing are refused.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "app/Replay.h"
#include "tests/support/ProgramRun.h"

namespace tibo {
namespace {

namespace fs = std::filesystem;
using namespace testing_support;

struct RecordingTest : ProgramTest {
    // Records `script` (seed 1) into `file`; the replay's text.
    std::string Record(const std::string& script, const std::string& more, const std::string& file) {
        Script(script);
        const RunResult r = RunTibo(Headless() + " --input " + dir.File("input.txt") + " --record " + file + more);
        EXPECT_EQ(r.Status, 0) << r.Output;
        return ReadText(file);
    }
    // Plays `text` back headless in a folder of its own.
    RunResult Play(const std::string& text, const std::string& more = "") {
        std::ofstream(other.File("played.replay"), std::ios::binary) << text;
        return RunTibo("--headless --config-dir " + other.Path() + " --replay " + other.File("played.replay") + more);
    }
    TempDir other;
};

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find("\n" + from + "\n");
    if (at == std::string::npos) return "";
    return text.replace(at + 1, from.size(), to);
}

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST_F(RecordingTest, AnOldReplayOutlivesAFullDiskAndKillsAndWhatWasRecordedIsKept) {
    const std::string replay = dir.File("game.replay"), partial = replay + ".partial";
    const std::string older = "# an older replay\n";
    auto keepOld = [&] { std::ofstream(replay) << older; };

    // A disk that fills part way (no file may grow past 512 bytes): the old
    // replay stays, nothing half-written is left, and the game still closes.
    keepOld();
    RunResult r = RunTibo(Headless() + " --frames 1000 --record " + replay, "trap '' XFSZ; ulimit -f 1;");
    EXPECT_EQ(r.Status, 1) << r.Output;
    EXPECT_NE(r.Output.find("Cannot write " + replay), std::string::npos) << r.Output;
    EXPECT_EQ(ReadText(replay), older);
    EXPECT_FALSE(fs::exists(partial));
    EXPECT_TRUE(fs::exists(dir.File("Tibo.Ini"))) << r.Output;

    // Killed at its first write: no empty replay in place of the old one or of none.
    for (const bool hadOne : {true, false}) {
        if (hadOne) keepOld();
        else fs::remove(replay);
        r = RunTibo(Headless() + " --frames 100 --record " + replay, "ulimit -f 0;");
        EXPECT_NE(r.Status, 0) << r.Output;
        if (hadOne) EXPECT_EQ(ReadText(replay), older);
        else EXPECT_FALSE(fs::exists(replay));
    }

    // Killed part way: what was recorded up to the last check is there, under
    // a name that says it is no whole replay, and plays back as cut short.
    keepOld();
    const pid_t pid = SpawnTibo({"--headless", "--seed", "1", "--config-dir", dir.Path(), "--record", replay});
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(WaitUntil([&] { return Count(ReadText(partial), "# check ") >= 3; }));
    // Meanwhile no second game records to the same path.
    r = RunTibo("--headless --frames 1 --config-dir " + other.Path() + " --record " + replay);
    EXPECT_EQ(r.Status, 2) << r.Output;
    EXPECT_NE(r.Output.find("in use"), std::string::npos) << r.Output;
    ::kill(pid, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_EQ(ReadText(replay), older);
    const std::string cut = ReadText(partial);
    EXPECT_TRUE(cut.starts_with("# tibo-replay 1\n# seed 1\n# hall 1 10000 1 \"Tibo\"\n")) << cut;
    EXPECT_EQ(cut.find("# end"), std::string::npos) << cut;
    r = RunTibo("--headless --config-dir " + other.Path() + " --replay " + partial);
    EXPECT_EQ(r.Status, 3) << r.Output;
    EXPECT_NE(r.Output.find("replay cut short"), std::string::npos) << r.Output;
    EXPECT_EQ(r.Output.find("differs"), std::string::npos) << r.Output;

    // A path that cannot be written is found before the game starts.
    for (const std::string& bad : {dir.File("missing/x.replay"), dir.Path()}) {
        fs::remove(dir.File("Tibo.Ini"));
        r = RunTibo(Headless() + " --frames 5 --record " + bad);
        EXPECT_EQ(r.Status, 2) << r.Output;
        EXPECT_NE(r.Output.find("--record: Cannot write " + bad), std::string::npos) << r.Output;
        EXPECT_FALSE(fs::exists(dir.File("Tibo.Ini"))) << bad;
    }
}

TEST_F(RecordingTest, TheCloseIsCheckedAndAReplayWithoutItsEndNeverPasses) {
    // The level chosen with a key in the same tick as Escape, after the last
    // tick that ran: only the state at the close shows it (as the last letters
    // of a name typed before Escape).
    const std::string recorded =
        Record("5 press A\n8 press Down\n130 press Down\n130 press Escape\n", "", dir.File("game.replay"));
    EXPECT_NE(recorded.find("\n# check 100 "), std::string::npos) << recorded;
    EXPECT_NE(recorded.find("\n130 press Down\n130 press Escape\n# end 129 "), std::string::npos) << recorded;
    RunResult r = Play(recorded);
    EXPECT_EQ(r.Status, 0) << r.Output;
    r = Play(Replaced(recorded, "130 press Down", "130 press Up"));
    EXPECT_EQ(r.Status, 3) << r.Output;
    EXPECT_NE(r.Output.find("replay differs at its end, after tick 129"), std::string::npos) << r.Output;

    // Without its end line, or cut short as `head` cuts it: played to its last
    // tick, and reported.
    for (const std::string& cut : {recorded.substr(0, recorded.find("# end ")), recorded.substr(0, recorded.find("# check 100"))}) {
        r = Play(cut);
        EXPECT_EQ(r.Status, 3) << cut << r.Output;
        EXPECT_NE(r.Output.find("replay cut short"), std::string::npos) << r.Output;
    }
    // A byte-order mark, as scripts take one.
    r = Play("\xEF\xBB\xBF" + recorded);
    EXPECT_EQ(r.Status, 0) << r.Output;
}

TEST_F(RecordingTest, AnInterruptedPlaybackSaysSo) {
    const std::string replay = TIBO_TEST_DATA "/victory.replay";
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        const std::string started = other.File("started" + std::to_string(signal) + ".json");
        const std::string errors = other.File("errors.txt");
        const pid_t pid = SpawnTibo({"--headless", "--config-dir", other.Path(), "--replay", replay, "--dump-state", "1:" + started}, errors);
        ASSERT_GT(pid, 0);
        // Held still as soon as it runs, so that the signal comes long before the end.
        EXPECT_TRUE(WaitUntil([&] { return fs::exists(started); }));
        ::kill(pid, SIGSTOP);
        ::kill(pid, signal);
        ::kill(pid, SIGCONT);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + signal) << "signal " << signal << ", status " << status;
        const std::string said = ReadText(errors);
        EXPECT_NE(said.find("replay interrupted by SIG"), std::string::npos) << said;
        EXPECT_EQ(said.find("differs"), std::string::npos) << said;
    }
}

TEST_F(RecordingTest, OptionsThatWouldComeToNothingAreRefused) {
    const std::string replay = dir.File("short.replay");
    const std::string recorded = Record("5 press A\n", " --frames 60", replay);
    ASSERT_NE(recorded.find("\n# end 60"), std::string::npos) << recorded;
    // Pictures and dumps after a replay's last tick would never be made.
    const std::string play = "--headless --config-dir " + other.Path() + " --replay " + replay;
    RunResult r = RunTibo(play + " --screenshot 61:" + other.File("late.png"));
    EXPECT_EQ(r.Status, 2) << r.Output;
    EXPECT_NE(r.Output.find("--screenshot at tick 61 comes after the replay's last tick, 60"), std::string::npos) << r.Output;
    EXPECT_EQ(RunTibo(play + " --dump-state 70:" + other.File("late.json")).Status, 2);
    EXPECT_EQ(RunTibo(play + " --frames 30 --dump-state 40:" + other.File("late.json")).Status, 2);
    r = RunTibo(play + " --dump-state 60:" + other.File("last.json"));
    EXPECT_EQ(r.Status, 0) << r.Output;
    EXPECT_TRUE(fs::exists(other.File("last.json")));
    EXPECT_FALSE(fs::exists(other.File("late.png")));

    // An empty value is no value.
    for (const char* option : {"--replay", "--record", "--input", "--timing-report", "--assets", "--export-assets", "--seed", "--frames",
                               "--screenshot", "--dump-state"}) {
        r = RunTibo(Headless() + " --frames 1 " + option + " ''");
        EXPECT_EQ(r.Status, 2) << option << r.Output;
        EXPECT_NE(r.Output.find(std::string(option) + ": the value is empty"), std::string::npos) << r.Output;
    }
    EXPECT_EQ(RunTibo("--headless --frames 1 --config-dir ''").Status, 2);

    // A recorded frame rate must read back; without a recording the game
    // takes any (one it cannot read as 50).
    for (const std::string rate : {"''", "'50 1'", "'5\n0'", "'5\t'"}) {
        r = RunTibo(Headless() + " --frames 1 " + rate + " --record " + dir.File("rate.replay"));
        EXPECT_EQ(r.Status, 2) << rate << r.Output;
        EXPECT_NE(r.Output.find("a recorded frame rate is one word"), std::string::npos) << r.Output;
        EXPECT_FALSE(fs::exists(dir.File("rate.replay")));
        EXPECT_FALSE(fs::exists(dir.File("rate.replay.partial")));
    }
    EXPECT_EQ(RunTibo(Headless() + " --frames 1 ''").Status, 0);

    // A repeated --record or --replay: the last one counts, and it is said.
    r = RunTibo(Headless() + " --frames 1 --record " + dir.File("a.replay") + " --record " + dir.File("b.replay"));
    EXPECT_EQ(r.Status, 0) << r.Output;
    EXPECT_NE(r.Output.find("warning: --record is given more than once: the last one counts"), std::string::npos) << r.Output;
    EXPECT_FALSE(fs::exists(dir.File("a.replay")));
    EXPECT_TRUE(fs::exists(dir.File("b.replay")));
    r = RunTibo(play + " --replay " + replay);
    EXPECT_EQ(r.Status, 0) << r.Output;
    EXPECT_NE(r.Output.find("warning: --replay is given more than once"), std::string::npos) << r.Output;
    // Exporting plays no game.
    r = RunTibo(play + " --export-assets " + dir.File("exported"));
    EXPECT_EQ(r.Status, 2) << r.Output;
    EXPECT_NE(r.Output.find("--replay and --export-assets"), std::string::npos) << r.Output;
    EXPECT_FALSE(fs::exists(dir.File("exported")));
}

TEST_F(RecordingTest, AHugeCommentCostsNoMoreThanItsBytes) {
    // 24 MB of two-letter words on one comment line, in a script and in a replay.
    const std::string comment = [] {
        std::string c = "# ";
        c.reserve(24000004);
        for (int i = 0; i < 12000000; ++i) c += "a ";
        return c + "\n";
    }();
    const std::string recorded = Record("5 press A\n", " --frames 10", dir.File("short.replay"));
    const std::string withComment = Replaced(recorded, "5 press A", comment + "5 press A");
    ASSERT_FALSE(withComment.empty());
    std::ofstream(dir.File("commented.replay"), std::ios::binary) << withComment;
    std::ofstream(dir.File("commented.txt"), std::ios::binary) << comment << "5 press A\n";
    for (const std::string& how : {" --replay " + dir.File("commented.replay"), " --seed 1 --frames 10 --input " + dir.File("commented.txt")}) {
        const RunResult r = RunTibo("--headless --config-dir " + other.Path() + how + " --timing-report " + other.File("t.json"));
        ASSERT_EQ(r.Status, 0) << how << r.Output;
        // The file and a copy of it, and the game with its sanitizers: about
        // 170 MB; split into words it took more than 900 MB.
        const auto peak = nlohmann::json::parse(ReadText(other.File("t.json")))["peak_rss_kb"].get<long>();
        EXPECT_LT(peak, 400 * 1024) << how;
    }
}

// What a recording writes, and nothing else, is a whole replay.
TEST(ReplayFileTest, OnlyWhatARecordingWritesIsTaken) {
    const std::string head = "# tibo-replay 1\n# seed 7\n";
    const std::string whole = head + "5 press A\n# check 50 00000000000000AB\n# check 100 00000000000000AC\n# end 120 00000000000000AD\n";
    const TReplay replay = ParseReplay(whole, "r.replay");
    EXPECT_EQ(replay.End, 120);
    EXPECT_EQ(replay.EndSum, 0xADu);
    EXPECT_FALSE(replay.CutShort());
    EXPECT_EQ(ReplayText(replay), whole);
    // Cut short: no end line; the checks are there up to its last tick.
    const TReplay cut = ParseReplay(head + "5 press A\n# check 50 00000000000000AB\n60 press B\n", "r.replay");
    EXPECT_TRUE(cut.CutShort());
    EXPECT_EQ(cut.LastTick(), 60);
    // Written before the end line had its sum: the check of its last tick stands for it.
    EXPECT_NO_THROW(ParseReplay(head + "5 press A\n# check 50 00000000000000AB\n# check 60 00000000000000AC\n# end 60\n", "r.replay"));
    // The game closed before any tick ran.
    EXPECT_EQ(ParseReplay(head + "1 press Escape\n# end 0 00000000000000AD\n", "r.replay").End, 0);
    // A byte-order mark, and a comment of any length.
    EXPECT_EQ(ParseReplay("\xEF\xBB\xBF" + head + "# " + std::string(100000, 'x') + "\n# end 3 1\n", "r.replay").End, 3);

    auto refused = [&](const std::string& text) {
        try {
            ParseReplay(text, "r.replay");
        } catch (const EUsageError& e) {
            return std::string(e.what());
        }
        return std::string("accepted");
    };
    struct Case { std::string text, says; };
    const Case cases[] = {
        // An end no game reaches: every 50th tick up to it is checked.
        {head + "# end 1000000000000000000 00000000000000AD\n", "no check of tick 50"},
        {head + "# check 50 1\n# end 160 2\n", "no check of tick 100"},
        {head + "# check 50 1\n1000000000000000000 press A\n", "no check of tick 100"},
        {head + "# end 30 1\n# check 40 2\n", "the check of tick 40 comes after the end, tick 30"},
        {head + "# end 30 1\n32 press A\n", "an event at tick 32 comes after the end"},
        {head + "# check 50 1\n51 press A\n# end 50\n", "no checksum"},
        {head + "# end 30\n", "no checksum"},
        {head + "# end 30 1\n# end 30 1\n", "r.replay:4:"},
        {head + "# end -1 1\n", "r.replay:3:"},
        {head + "# rate " + std::string(5000, '5') + "\n# end 3 1\n", "r.replay:3: the line is longer than 4096"},
        {"# tibo-replay 1\n# seed 7\n# rate 50\n# rate 60\n", "r.replay:4:"},
    };
    for (const Case& c : cases) {
        const std::string said = refused(c.text);
        EXPECT_NE(said.find(c.says), std::string::npos) << c.text.substr(0, 200) << "\n" << said;
    }

    // The hall of fame: what Tibo.Ini's reader can give, and nothing else.
    auto withHall = [&](int place, const std::string& entry) {
        std::string text = head;
        for (int n = 1; n <= 10; ++n) text += "# hall " + std::to_string(n) + " " + (n == place ? entry : "100 1 \"Tibo\"") + "\n";
        return text + "# end 3 1\n";
    };
    const std::string longest = "\"" + std::string(255, 'n') + "\"";
    for (const std::string& taken : {longest, std::string("-5 -1 \"Ada\""), std::string("900000 127 \"  two  words \"")}) {
        const std::string entry = taken.starts_with("\"") ? "100 1 " + taken : taken;
        EXPECT_EQ(refused(withHall(3, entry)), "accepted") << entry.substr(0, 40);
    }
    for (const std::string& name : {"\"" + std::string(256, 'n') + "\"", std::string("\"A\\nB\""), std::string("\"A\\u0000B\"")}) {
        const std::string said = refused(withHall(4, "100 1 " + name));
        EXPECT_NE(said.find("r.replay:6: place 4 of the hall of fame cannot come from Tibo.Ini"), std::string::npos) << said;
    }
    EXPECT_NE(refused(withHall(4, "100 1 \"" + std::string(5000, 'n') + "\"")).find("r.replay:6: the line is longer"), std::string::npos);
    EXPECT_NE(refused(withHall(2, "100 300 \"Ada\"")).find("r.replay:4:"), std::string::npos);
}

}  // namespace
}  // namespace tibo
