#pragma once
// Replays: a game's seed, frame rate, starting hall of fame and every input
// event by tick, with checksums of the game's state along the way. A replay is
// also an input script: everything but the events is on lines starting with "#".
//
//   # tibo-replay 1
//   # seed 1234
//   # rate 50                       (the first plain argument, when there was one)
//   # hall 1 10000 1 "Tibo"        (place, points, level, name as a JSON string; ten lines)
//   5 press A                      (the events, as --input reads them)
//   # check 50 8C3F0A1B2D4E5F60    (StateChecksum after that tick, hexadecimal)
//   # end 812 0123456789ABCDEF     (the last tick the recorded game ran, and
//                                   StateChecksum as it closed)
//
// A recording is written as the game runs and flushed at every check; only a
// replay with its end line is whole. One without it (a recording killed part
// way, a file cut short) plays back to its last tick and is reported as cut short.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/CommandLine.h"
#include "shell/HallOfFame.h"

namespace tibo {

// A check every this many ticks, from the first multiple to the end.
constexpr int64_t ReplayCheckEvery = 50;
// The longest header line (a frame rate, a hall-of-fame name) a replay holds.
constexpr size_t MaxReplayHeaderLine = 4096;
// The longest frame rate a recording writes: one word, no spaces, no controls.
constexpr size_t MaxReplayRateLength = 64;

struct TReplay {
    uint64_t Seed = 0;
    std::optional<std::string> Rate;
    std::optional<THallOfFame> Hall;
    std::vector<TScriptEvent> Events;
    std::map<int64_t, uint64_t> Checks;  // tick -> checksum after it
    // "# end": the last tick the game ran (0 when it closed before the first),
    // and the checksum of the game as it closed (absent in replays written
    // before it was; their check at the end tick stands for it).
    std::optional<int64_t> End;
    std::optional<uint64_t> EndSum;
    bool CutShort() const { return !End; }
    // The last tick that plays a part: the end, an event or a check.
    int64_t LastTick() const;
};

// Whether a frame rate can be written into a replay and read back as it is.
bool ReplayRateWritable(const std::string& rate);

// Raises EUsageError naming the line for anything that is no replay.
TReplay ParseReplay(const std::string& text, const std::string& fileName);
std::string ReplayText(const TReplay& replay);
// The parts of a replay's text as a recording writes them while the game runs:
// the header (up to the hall of fame), then event lines, check lines and the end line.
std::string ReplayHeaderText(const TReplay& replay);
std::string ReplayCheckLine(int64_t tick, uint64_t sum);
std::string ReplayEndLine(int64_t tick, std::optional<uint64_t> sum);
// An event as an input script line, without the line break.
std::string ScriptEventLine(const TScriptEvent& e);

// A replay whose game went another way, or that is cut short: exit status 3.
class EReplayDiffers : public EFrameworkError { public: using EFrameworkError::EFrameworkError; };
// A playback stopped by a signal before its end: exit status 128 + the signal.
class EInterrupted : public EFrameworkError {
public:
    EInterrupted(const std::string& message, int signal) : EFrameworkError(message), Signal(signal) {}
    int Signal;
};

class TPartialFile;

// A recording as the game runs: the header, every event the game gets, a
// check every ReplayCheckEvery ticks, and the end line when the game closes,
// each on disk as it comes (see TPartialFile).
class TRecorder {
public:
    // Makes `path`'s partial file at once: a path that cannot be written is a
    // bad command line (EUsageError), found before the game starts.
    explicit TRecorder(const std::string& path);
    ~TRecorder();
    TRecorder(const TRecorder&) = delete;
    TRecorder& operator=(const TRecorder&) = delete;

    // The seed, the frame rate and the starting hall of fame, once known.
    void Begin(const TReplay& header);
    void Event(const TScriptEvent& e);
    // After each tick; `sum` is asked for only at a check.
    void AfterTick(int64_t tick, const std::function<uint64_t()>& sum);
    // The last tick that ran and the state the game closed in; the replay is whole.
    void Finish(int64_t tick, uint64_t sum);
    // A recording the game did not close keeps what it has, cut short, and
    // says where on standard error.
    void KeepCutShort() noexcept;

private:
    std::unique_ptr<TPartialFile> File_;
};

// The checks of a replay played back, against the game's state.
class TPlaybackChecks {
public:
    // `lastTick`: the last tick the game runs (the replay's, or --frames when sooner).
    TPlaybackChecks(const TReplay& replay, int64_t lastTick) : Replay_(replay), LastTick_(lastTick) {}
    // The check of the tick that has just run, if the replay has one; `sum`
    // is asked for only then. Raises EReplayDiffers.
    void AfterTick(int64_t tick, const std::function<uint64_t()>& sum) const;
    // At the close, after the tick `tick`: a check the game never came to is a
    // difference too, and so are another last tick and another state. A
    // player who closed the window (`windowClosed`) before the last tick
    // stopped watching, as --frames stops a playback: what ran was checked,
    // what did not is no difference, and that is said.
    void AtClose(int64_t tick, const std::function<uint64_t()>& sum, bool windowClosed) const;

private:
    const TReplay& Replay_;
    int64_t LastTick_;
};

}  // namespace tibo
