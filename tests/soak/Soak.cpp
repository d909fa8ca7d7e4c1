// The soak player: `tibo_soak TICKS SEED` drives the real main form headless,
// tick after tick with no pacing, pressing keys and clicking at random across
// every screen, and checks after each tick that the game's counters stay in
// their ranges, that the sprite tree is sound and that memory stays bounded.
// A close (by Escape or the Exit buttons) writes the hall of fame and the game
// starts again with a new form. Exit status 0 when every check held.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <unordered_set>
#include <vector>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TIBO_SOAK_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define TIBO_SOAK_ASAN 1
#endif
#ifdef TIBO_SOAK_ASAN
// The sanitizer's count of live heap bytes (its header ships with clang only).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

#include "assets/AssetStore.h"
#include "framework/FrameTimer.h"
#include "framework/KeyCodes.h"
#include "framework/platform/Process.h"
#include "labyrinth/Random.h"
#include "shell/Main.h"
#include "shell/Settings.h"
#include "tests/support/FormInsides.h"
#include "tests/support/TempDir.h"

namespace tibo {
namespace {

constexpr int PlayKeys[] = {VkLeft, VkUp, VkRight, VkDown, VkH, VkJ, VkK, VkL, VkPad4, VkPad6, VkPad8, VkPad2,
                            VkSpace, VkZ, VkEnter, VkX, VkP};

// Far more sprites than any labyrinth holds: more means sprites are leaking.
constexpr int32_t MaxSprites = 4000;
// Heap that may still grow once the game has been through its screens a few times.
constexpr long long MaxHeapGrowthBytes = 64LL << 20;

long long HeapBytes() {
#ifdef TIBO_SOAK_ASAN
    return static_cast<long long>(__sanitizer_get_current_allocated_bytes());
#else
    return ProcessPeakRssKb() * 1024;
#endif
}

struct TFailure {
    std::string What;
};

[[noreturn]] void Fail(int64_t tick, const std::string& what) { throw TFailure{"tick " + std::to_string(tick) + ": " + what}; }

// Every sprite once, each child's parent the sprite it hangs from; the number
// found is the engine's count.
void CheckTree(TSpriteEngine& engine, int64_t tick) {
    std::unordered_set<const TSprite*> seen;
    std::vector<const TSprite*> stack{&engine};
    seen.insert(&engine);
    while (!stack.empty()) {
        const TSprite* s = stack.back();
        stack.pop_back();
        for (int32_t i = 0; i < s->Count(); ++i) {
            const TSprite* child = s->Items(i);
            if (child == nullptr) Fail(tick, "a sprite has a missing child");
            if (!seen.insert(child).second) Fail(tick, std::string("a sprite is twice in the tree: ") + child->ClassName());
            if (child->Parent() != s) Fail(tick, std::string("a sprite's parent is not its parent: ") + child->ClassName());
            if (child->Engine() != &engine) Fail(tick, std::string("a sprite belongs to another engine: ") + child->ClassName());
            stack.push_back(child);
        }
    }
    const auto found = static_cast<int32_t>(seen.size() - 1);
    if (found != engine.SpriteCount())
        Fail(tick, "the engine counts " + std::to_string(engine.SpriteCount()) + " sprites, the tree holds " +
                       std::to_string(found));
    if (found > MaxSprites) Fail(tick, std::to_string(found) + " sprites");
}

void CheckForm(TFormInsides& inside, int64_t tick) {
    const TGameVariables& v = inside.Vars;
    if (v.GameState > gsPaused) Fail(tick, "game state " + std::to_string(v.GameState));
    if (v.ChosenLevel > 5) Fail(tick, "chosen level " + std::to_string(v.ChosenLevel));
    if (v.ChosenSetting > 1) Fail(tick, "chosen setting " + std::to_string(v.ChosenSetting));
    if (v.NewEntryRank < -1 || v.NewEntryRank > 10) Fail(tick, "new entry rank " + std::to_string(v.NewEntryRank));
    for (size_t i = 0; i < v.HallOfFame.size(); ++i) {
        if (v.HallOfFame[i].Nome.size() > 255) Fail(tick, "a name of the hall of fame is too long");
        if (i > 0 && v.HallOfFame[i].Punti > v.HallOfFame[i - 1].Punti) Fail(tick, "the hall of fame is out of order");
    }
    const bool inGame = v.GameState == gsExitPreview || v.GameState == gsPlaying || v.GameState == gsLevelWon ||
                        v.GameState == gsGameOver || v.GameState == gsPaused;
    const TPlay* play = inside.Play();
    if (inGame && play == nullptr) Fail(tick, "a game state without a play");
    // The question whether to quit: up only in a game, which it pauses, and for three seconds at most.
    if (v.QuitQuestion < 0 || v.QuitQuestion > QuitQuestionFrames) Fail(tick, "quit question " + std::to_string(v.QuitQuestion));
    if (v.QuitQuestion > 0 && (v.GameState != gsPaused || v.QuitReturnState < gsExitPreview || v.QuitReturnState > gsPaused))
        Fail(tick, "a quit question in state " + std::to_string(v.GameState) + ", back to " + std::to_string(v.QuitReturnState));
    if (play != nullptr) {
        const TPlayVariables& p = play->Vars;
        auto range = [&](const char* name, int64_t value, int64_t low, int64_t high) {
            if (value < low || value > high) Fail(tick, std::string(name) + " is " + std::to_string(value));
        };
        range("Shots", p.Shots, 0, 7);
        range("Bombs", p.Bombs, 0, 7);
        range("ShotsInFlight", p.ShotsInFlight, 0, 3);
        range("BombsLive", p.BombsLive, 0, 5);
        range("ExplosionCount", p.ExplosionCount, 0, 127);
        range("MoveState", p.MoveState, 0, 4);
        range("Health", p.Health, INT32_MIN, FullGauge);
        range("Oxygen", p.Oxygen, INT32_MIN, FullGauge);
        if (!p.Maze.Inside(p.HeroColumn, p.HeroRow))
            Fail(tick, "the hero is outside the maze at " + std::to_string(p.HeroColumn) + "," +
                           std::to_string(p.HeroRow));
    }
    CheckTree(inside.Engine(), tick);
}

// A hall of fame anyone beats, so that every game over leads to the name entry.
void WriteLowTable(const std::string& dir) {
    THallOfFame hall = DefaultHallOfFame();
    for (HallEntry& e : hall) e.Punti = -1;
    WriteHallOfFame(dir + "/" + SettingsFileName, hall);
}

class TSoak {
public:
    TSoak(uint64_t seed, std::string dir) : Dir_(std::move(dir)) {
        Rng_.Seed(seed);
        WriteLowTable(Dir_);
        Options_.ConfigDir = Dir_;
        Options_.Seed = seed;
        NewForm();
    }

    void Run(int64_t ticks) {
        const int64_t warmUp = std::min<int64_t>(ticks / 10, 20000);
        long long heapAfterWarmUp = 0;
        for (Tick = 1; Tick <= ticks; ++Tick) {
            Step();
            CheckForm(*Inside_, Tick);
            ++Seen_[Inside_->Vars.GameState];
            if (Tick == warmUp) heapAfterWarmUp = HeapBytes();
            if (Tick > warmUp && Tick % 1000 == 0 && HeapBytes() - heapAfterWarmUp > MaxHeapGrowthBytes)
                Fail(Tick, "the heap grew by " + std::to_string((HeapBytes() - heapAfterWarmUp) >> 20) +
                               " MB since tick " + std::to_string(warmUp));
        }
        HeapGrowth = HeapBytes() - heapAfterWarmUp;
    }

    int64_t Tick = 0;
    int64_t Restarts = 0;
    long long HeapGrowth = 0;
    const int64_t* Seen() const { return Seen_; }

private:
    void NewForm() {
        if (Form_) {
            Form_->FormClose();  // writes the table, as closing the window does
            Inside_.reset();
            Form_.reset();
            ++Restarts;
        }
        Form_ = std::make_unique<TMainForm>(Options_, Store_, Clock_, nullptr, nullptr, Host_);
        Inside_ = std::make_unique<TFormInsides>(*Form_);
        Form_->FormCreate();
        Form_->Show();
    }

    // Held keys stay down for a while; presses come and go within the tick.
    void Step() {
        TMainForm& form = *Form_;
        for (size_t i = 0; i < Held_.size();) {
            if (Rng_.Random(8) == 0) {
                form.KeyUpEvent(Held_[i]);
                Held_.erase(Held_.begin() + static_cast<std::ptrdiff_t>(i));
            } else {
                ++i;
            }
        }
        const int roll = Rng_.Random(1000);
        if (roll < 120) {
            const int key = PlayKeys[Rng_.Random(static_cast<int32_t>(std::size(PlayKeys)))];
            form.KeyDownEvent(key);
            Held_.push_back(key);
        } else if (roll < 160) {
            // Letters, digits and anything else a keyboard sends.
            const int key = Rng_.Random(5) == 0 ? VkDelete : 32 + Rng_.Random(100);
            form.KeyDownEvent(key);
            form.KeyUpEvent(key);
        } else if (roll < 175) {
            const int x = Rng_.Random(640);
            const int y = Rng_.Random(480);
            form.MainScreenMouseDown(1, x, y);
        } else if (roll < 200) {
            const int x = Rng_.Random(700) - 30;
            const int y = Rng_.Random(540) - 30;
            form.DeliverMouseMove(x, y);
        } else if (roll == 200) {
            form.KeyDownEvent(VkF11);
            form.KeyUpEvent(VkF11);
        } else if ((roll == 201 && Rng_.Random(20) == 0) || (Inside_->Vars.QuitQuestion > 0 && roll < 250)) {
            // Escape, and now and then a second one while the game asks.
            form.KeyDownEvent(VkEscape);
            form.KeyUpEvent(VkEscape);
        }
        // A click on a button under the panel may close the form as well.
        if (form.CloseRequested()) {
            Held_.clear();
            NewForm();
            return;
        }
        Clock_.Now += 20;
        if (!form.RunDue()) Fail(Tick, "no tick ran: the frame timer keeps still");
    }

    std::string Dir_;
    TRandom Rng_;
    TFormOptions Options_;
    const assets::AssetStore Store_;
    TManualClock Clock_;
    TNullFormHost Host_;
    std::unique_ptr<TMainForm> Form_;
    std::unique_ptr<TFormInsides> Inside_;
    std::vector<int> Held_;
    int64_t Seen_[gsPaused + 1] = {};
};

}  // namespace
}  // namespace tibo

int main(int argc, char** argv) {
    using namespace tibo;
    if (argc != 3) {
        std::fprintf(stderr, "usage: tibo_soak TICKS SEED\n");
        return 2;
    }
    const int64_t ticks = std::atoll(argv[1]);
    const uint64_t seed = std::strtoull(argv[2], nullptr, 10);
    const auto start = std::chrono::steady_clock::now();
    int status = 0;
    try {
        const testing_support::TempDir configDir("tibo-soak");
        TSoak soak(seed, configDir.Path());
        soak.Run(ticks);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("%lld ticks, seed %llu: %.1f s, %lld restarts, peak RSS %lld MB, heap growth after warm-up %lld KB\n",
                    static_cast<long long>(ticks), static_cast<unsigned long long>(seed), seconds,
                    static_cast<long long>(soak.Restarts), static_cast<long long>(ProcessPeakRssKb() / 1024),
                    soak.HeapGrowth / 1024);
        std::printf("ticks by game state:");
        for (int s = 0; s <= gsPaused; ++s)
            std::printf(" %s %lld", std::string(GameStateName(static_cast<uint8_t>(s))).c_str(),
                        static_cast<long long>(soak.Seen()[s]));
        std::printf("\n");
        // Every screen must have been seen for the soak to mean anything; a
        // random player climbs out of no labyrinth, so a won level is not asked for.
        for (int s = 0; s <= gsPaused; ++s)
            if (ticks >= 20000 && s != gsLevelWon && soak.Seen()[s] == 0) {
                std::fprintf(stderr, "tibo_soak: never reached %s\n", std::string(GameStateName(static_cast<uint8_t>(s))).c_str());
                status = 1;
            }
    } catch (const TFailure& f) {
        std::fprintf(stderr, "tibo_soak: seed %llu: %s\n", static_cast<unsigned long long>(seed), f.What.c_str());
        status = 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tibo_soak: seed %llu: %s\n", static_cast<unsigned long long>(seed), e.what());
        status = 1;
    }
    return status;
}
