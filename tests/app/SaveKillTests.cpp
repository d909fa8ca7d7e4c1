// The hall of fame survives the program being killed while it writes it: the
// real program is stopped with SIGKILL at many points of writing Tibo.Ini, and
// the file is each time either the old one or the new one, whole.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "labyrinth/Random.h"
#include "shell/Settings.h"
#include "tests/support/TempDir.h"

extern char** environ;

namespace tibo {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// An old file in a form of its own (other settings around the table, CR LF,
// spaces, hexadecimal points, a level beyond a byte): the program rewrites
// every key of the table in its form, so the new file differs from the old
// one throughout. The other settings make it long enough to take a while.
std::string OldFile() {
    std::string text = "; kept by hand\r\n[Window]\r\n";
    for (int i = 0; i < 2000; ++i) text += "Setting" + std::to_string(i) + " = " + std::string(40, 'v') + "\r\n";
    text += "[Record]\r\n nome1 = \" Ann \" \r\nPUNTI1=$2710\r\nLivello1=300\r\n";
    for (int n = 2; n <= 10; ++n) text += "Nome" + std::to_string(n) + "=Player" + std::to_string(n) + "\r\n";
    return text;
}

bool SameTable(const THallOfFame& a, const THallOfFame& b) {
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].Nome != b[i].Nome || a[i].Punti != b[i].Punti || a[i].Livello != b[i].Livello) return false;
    return true;
}

// One run of the program on `dir`; with `killAfterUs` >= 0 it is killed that
// many microseconds after it makes its new file. Returns the microseconds from
// making the new file to putting it in place (-1 when that was not seen).
int64_t RunAndMaybeKill(const std::string& binary, const std::string& dir, int64_t killAfterUs, bool& killed) {
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch < 0) return -1;
    ::inotify_add_watch(watch, dir.c_str(), IN_CREATE | IN_MOVED_TO);
    std::vector<std::string> args = {binary, "--headless", "--seed", "1", "--config-dir", dir, "--frames", "2"};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, binary.c_str(), &files, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    if (spawned != 0) {
        ::close(watch);
        return -1;
    }
    killed = false;
    Clock::time_point created{}, renamed{};
    bool exited = false;
    int status = 0;
    while (!exited) {
        pollfd p{watch, POLLIN, 0};
        ::poll(&p, 1, 1);
        alignas(inotify_event) char buf[4096];
        for (ssize_t n; (n = ::read(watch, buf, sizeof buf)) > 0;) {
            for (ssize_t at = 0; at < n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(buf + at);
                const std::string name = e->len ? e->name : "";
                if ((e->mask & IN_CREATE) && name.starts_with(std::string(SettingsFileName) + ".new")) created = Clock::now();
                if ((e->mask & IN_MOVED_TO) && name == SettingsFileName) renamed = Clock::now();
                at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
            }
        }
        if (killAfterUs >= 0 && created != Clock::time_point{} && !killed) {
            std::this_thread::sleep_until(created + std::chrono::microseconds(killAfterUs));
            killed = ::kill(pid, SIGKILL) == 0;
        }
        exited = ::waitpid(pid, &status, WNOHANG) == pid;
    }
    ::close(watch);
    if (created == Clock::time_point{} || renamed == Clock::time_point{}) return -1;
    return std::chrono::duration_cast<std::chrono::microseconds>(renamed - created).count();
}

TEST(SaveKillTest, AKillWhileWritingLeavesTheWholeOldFileOrTheWholeNewOne) {
    const char* binaryEnv = std::getenv("TIBO_BINARY");
    if (!binaryEnv) GTEST_SKIP() << "TIBO_BINARY is not set";
    const std::string binary = binaryEnv;
    const testing_support::TempDir folder("tibo-kill");
    const std::string dir = folder.Path();
    const std::string file = dir + "/" + SettingsFileName;
    const std::string oldText = OldFile();

    // What a whole run writes, and how long the writing takes.
    WriteText(file, oldText);
    bool killed = false;
    const int64_t windowUs = RunAndMaybeKill(binary, dir, -1, killed);
    const std::string newText = ReadText(file);
    ASSERT_NE(newText, oldText);
    const THallOfFame table = HallOfFameFromText(oldText);
    ASSERT_TRUE(SameTable(HallOfFameFromText(newText), table));
    ASSERT_EQ(table[0].Nome, " Ann ");
    ASSERT_EQ(table[0].Punti, 10000);
    ASSERT_EQ(table[0].Livello, 44);

    // Kills spread over the writing and a little beyond it.
    TRandom random;
    random.Seed(10);
    const int32_t spreadUs = static_cast<int32_t>(std::max<int64_t>(windowUs, 1000) * 3 / 2);
    constexpr int Tries = 50;
    int sawOld = 0, sawNew = 0, leftovers = 0;
    for (int i = 0; i < Tries; ++i) {
        WriteText(file, oldText);
        const int64_t delay = random.Random(spreadUs);
        RunAndMaybeKill(binary, dir, delay, killed);
        const std::string text = ReadText(file);
        ASSERT_TRUE(text == oldText || text == newText)
            << "try " << i << ", killed " << delay << " us after the new file was made: " << text.size() << " bytes";
        // The table read back is the one either file holds; what the killed
        // program left beside it is not read.
        EXPECT_TRUE(SameTable(ReadHallOfFame(file), table));
        (text == oldText ? sawOld : sawNew) += 1;
        for (const auto& entry : fs::directory_iterator(dir))
            if (entry.path().filename() != SettingsFileName) {
                leftovers += entry.path().filename() != SettingsLockPath(SettingsFileName);
                fs::remove(entry.path());
            }
    }
    std::printf("writing takes %lld us; %d tries: %d old files, %d new ones, %d left-over new files\n",
                static_cast<long long>(windowUs), Tries, sawOld, sawNew, leftovers);
}

}  // namespace
}  // namespace tibo
