#pragma once
// The program's command line and its input scripts.
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/Errors.h"

namespace tibo {

constexpr const char* GameTitle = "Tibo v4.0";

// A bad command line or input script: exit status 2.
class EUsageError : public EFrameworkError { public: using EFrameworkError::EFrameworkError; };

struct TScriptEvent {
    // Keys and the mouse, then a game controller's buttons and its stick.
    enum class Action { Down, Up, Press, Click, Move, PadDown, PadUp, PadPress, PadStick };
    int64_t Tick = 0;
    Action What = Action::Down;
    int Key = 0;       // a virtual key, or a TPadButton for the pad's buttons
    int X = 0, Y = 0;  // the pointer, or the stick (-32768..32767, y downwards)
};

// The first words of a line (at most `maxWords`), split at white space, as
// views into it: the rest of the line is not looked at, so a long line costs
// nothing more.
std::vector<std::string_view> LineWords(std::string_view line, size_t maxWords);
// Calls `each(number, line)` for every line of `text`, numbered from 1, without
// its line break (LF or CR LF); a UTF-8 byte-order mark some editors put
// first is no part of the first line.
void ForEachLine(std::string_view text, const std::function<void(int, std::string_view)>& each);

// Reads an input script: one event a line, "TICK ACTION ARGS"; blank lines and
// lines starting with "#" (after blanks) are skipped unread. Raises EUsageError naming the line.
std::vector<TScriptEvent> ParseInputScript(const std::string& text, const std::string& fileName);

struct TProgramOptions {
    bool Headless = false;
    bool Windowed = false;
    std::optional<uint64_t> Seed;
    std::string InputFile;
    std::optional<int64_t> Frames;
    std::multimap<int64_t, std::string> Screenshots;  // tick -> PNG file
    std::multimap<int64_t, std::string> Dumps;        // tick -> JSON file
    std::optional<std::string> ConfigDir;
    std::optional<std::string> AssetsDir;
    std::optional<std::string> ExportDir;
    std::string TimingReport;
    std::string RecordFile;   // --record: the replay to write
    std::string ReplayFile;   // --replay: the replay to play back and check
    std::vector<std::string> Arguments;  // positional: the first is the frame rate
    std::vector<std::string> Warnings;   // for standard error: arguments that are ignored
    bool Help = false;
    bool Version = false;
};

// Raises EUsageError naming the bad argument.
TProgramOptions ParseCommandLine(const std::vector<std::string>& args);
std::string UsageText();

}  // namespace tibo
