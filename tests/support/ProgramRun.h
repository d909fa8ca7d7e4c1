#pragma once
// The real program run from tests: a temporary folder of its own, the program
// run through the shell (its output and exit status), or started in the
// background to be signalled. The program is named by $TIBO_BINARY; tests of
// the ProgramTest fixture are skipped without it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/TempDir.h"

extern char** environ;

namespace tibo::testing_support {

inline std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

struct RunResult {
    int Status = -1;  // the exit status; -1 when the program did not exit by itself
    std::string Output;
};

// `prefix` goes before the command in the shell: "cd DIR &&", "VAR=value".
inline RunResult RunTibo(const std::string& args, const std::string& prefix = "") {
    const char* binary = std::getenv("TIBO_BINARY");
    RunResult r;
    if (!binary) return r;
    const std::string command = prefix + " " + std::string(binary) + " " + args + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return r;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) r.Output.append(buf, n);
    const int status = ::pclose(pipe);
    r.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

// Starts the program in the background, its standard error into `errors`
// (when named); 0 when it cannot be started.
inline pid_t SpawnTibo(const std::vector<std::string>& args, const std::string& errors = "") {
    const char* binary = std::getenv("TIBO_BINARY");
    if (!binary) return 0;
    std::vector<std::string> all{binary};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!errors.empty()) posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    if (::posix_spawn(&pid, binary, &actions, nullptr, argv.data(), environ) != 0) pid = 0;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// Waits up to a minute for `done`, looking every few milliseconds.
inline bool WaitUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 12000; ++i) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return done();
}

struct ProgramTest : ::testing::Test {
    void SetUp() override {
        if (!std::getenv("TIBO_BINARY")) GTEST_SKIP() << "TIBO_BINARY is not set";
    }
    std::string Headless() const { return "--headless --seed 1 --config-dir " + dir.Path(); }
    nlohmann::json State(const std::string& file) const { return nlohmann::json::parse(ReadText(dir.File(file))); }
    void Script(const std::string& text) const { std::ofstream(dir.File("input.txt")) << text; }
    TempDir dir;
};

}  // namespace tibo::testing_support
