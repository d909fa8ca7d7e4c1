#include "shell/StateDump.h"

#include "framework/FieldWriter.h"
#include "shell/Main.h"

namespace tibo {
namespace {

class TJsonFieldWriter final : public TFieldWriter {
public:
    explicit TJsonFieldWriter(nlohmann::json& out) : Out_(out) {}
    using TFieldWriter::Field;
    void Field(std::string_view name, int64_t value) override { Out_[std::string(name)] = value; }
    void Field(std::string_view name, double value) override { Out_[std::string(name)] = value; }
    void Field(std::string_view name, bool value) override { Out_[std::string(name)] = value; }
    void Field(std::string_view name, std::string_view value) override { Out_[std::string(name)] = std::string(value); }

private:
    nlohmann::json& Out_;
};

void DumpTree(const TSprite& sprite, nlohmann::json& list) {
    for (int32_t i = 0; i < sprite.Count(); ++i) {
        const TSprite& child = *sprite.Items(i);
        list.push_back(DumpSprite(child));
        DumpTree(child, list);
    }
}

}  // namespace

nlohmann::json DumpSprite(const TSprite& sprite) {
    nlohmann::json out = nlohmann::json::object();
    out["Class"] = sprite.ClassName();
    TJsonFieldWriter writer(out);
    sprite.Describe(writer);
    return out;
}

nlohmann::json DumpState(TMainForm& form) {
    nlohmann::json out = GameVariables(form);
    std::vector<std::string>& requests = form.Suoni.Items.PlayRequests;
    out["Sounds"] = requests;
    requests.clear();
    out["Muted"] = form.SoundDevice.Muted();
    return out;
}

uint64_t StateChecksum(TMainForm& form) {
    nlohmann::json state = GameVariables(form);
    for (const char* windowBound : {"TickBusy", "TimerEnabled", "BlinkTimerEnabled", "Blink"}) state.erase(windowBound);
    // Whether the last screenshot could be written depends on the disk, not on the game.
    state.erase("ScreenshotFailed");
    // A name need not be valid UTF-8: such bytes count as U+FFFD.
    const std::string text = state.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    uint64_t hash = 0xcbf29ce484222325ULL;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

nlohmann::json GameVariables(TMainForm& form) {
    const TGameVariables& g = form.Vars;
    // Between games the play variables are those of the game that ended last;
    // before the first game, their starting values.
    static const TPlayVariables NoPlay{};
    const TPlayVariables& v = form.Play() ? form.Play()->Vars : form.FinishedPlay() ? *form.FinishedPlay() : NoPlay;
    nlohmann::json out = nlohmann::json::object();
    out["GameState"] = g.GameState;
    out["GameStateName"] = std::string(GameStateName(g.GameState));
    out["FrameCounter"] = g.FrameCounter;
    out["AnyKey"] = g.AnyKey;
    out["NameDone"] = g.NameDone;
    out["StartRequested"] = g.StartRequested;
    out["NewEntryRank"] = g.NewEntryRank;
    out["ChosenLevel"] = g.ChosenLevel;
    out["ChosenSetting"] = g.ChosenSetting;
    out["Blink"] = g.Blink;
    out["Score"] = v.Score;
    out["BestScore"] = v.BestScore;
    out["ScrollFirstLine"] = g.ScrollFirstLine;
    out["ScrollOffset"] = g.ScrollOffset;
    out["HelpShown"] = g.HelpShown;
    out["HelpClosingKey"] = g.HelpClosingKey;
    out["ScreenshotNoticeFrames"] = g.ScreenshotNoticeFrames;
    out["ScreenshotFailed"] = g.ScreenshotFailed;
    out["QuitQuestion"] = g.QuitQuestion;
    out["QuitReturnState"] = g.QuitReturnState;
    out["SkipEnd"] = g.SkipEnd;
    out["FieldOriginX"] = v.FieldOriginX;
    out["FieldOriginY"] = v.FieldOriginY;
    out["ShakeX"] = v.ShakeX;
    out["ShakeY"] = v.ShakeY;
    out["PreviewPhase"] = v.PreviewPhase;
    out["PreviewSkip"] = v.PreviewSkip;
    out["TickBusy"] = form.TickBusy;
    out["Interval"] = form.EngineTimer.Interval();
    out["TimerEnabled"] = form.EngineTimer.Enabled();
    out["BlinkTimerEnabled"] = form.TimerScritteLampeggianti.Enabled();
    out["MouseMoveHooked"] = form.MouseMoveHooked();
    // The labyrinth, the view, the hero and the player's resources.
    const TMaze& m = v.Maze;
    out["MazeWidth"] = m.MazeWidth;
    out["MazeHeight"] = m.MazeHeight;
    out["ExitColumn"] = m.ExitColumn;
    out["ExitRow"] = m.ExitRow;
    out["ItemDivisor"] = m.ItemDivisor;
    out["MummyCount"] = v.MummyCount;
    out["GhostCount"] = v.GhostCount;
    out["ViewColumn"] = v.ViewColumn;
    out["ViewRow"] = v.ViewRow;
    out["ViewOffsetX"] = v.ViewOffsetX;
    out["ViewOffsetY"] = v.ViewOffsetY;
    out["ExplosionCount"] = v.ExplosionCount;
    out["ViewDirty"] = v.ViewDirty;
    out["CellDirty"] = v.CellDirty;
    out["DirtyColumn"] = v.DirtyColumn;
    out["DirtyRow"] = v.DirtyRow;
    out["DrawnViewColumn"] = v.DrawnViewColumn;
    out["DrawnViewRow"] = v.DrawnViewRow;
    out["SavedViewColumn"] = v.SavedViewColumn;
    out["SavedViewRow"] = v.SavedViewRow;
    out["MapSteps"] = v.MapSteps;
    out["MapColumn"] = v.MapColumn;
    out["MapRow"] = v.MapRow;
    out["TorchSteps"] = v.TorchSteps;
    out["TorchColumn"] = v.TorchColumn;
    out["TorchRow"] = v.TorchRow;
    out["Health"] = v.Health;
    out["Oxygen"] = v.Oxygen;
    out["Shots"] = v.Shots;
    out["Bombs"] = v.Bombs;
    out["ShotsInFlight"] = v.ShotsInFlight;
    out["BombsLive"] = v.BombsLive;
    out["LastBombColumn"] = v.LastBombColumn;
    out["LastBombRow"] = v.LastBombRow;
    out["FireLatch"] = form.Latches.FireLatch;
    out["BombLatch"] = form.Latches.BombLatch;
    out["HeroColumn"] = v.HeroColumn;
    out["HeroRow"] = v.HeroRow;
    out["HeroScreenColumn"] = v.HeroScreenColumn;
    out["HeroScreenRow"] = v.HeroScreenRow;
    out["HeroOffsetX"] = v.HeroOffsetX;
    out["HeroOffsetY"] = v.HeroOffsetY;
    out["StepX"] = v.StepX;
    out["StepY"] = v.StepY;
    out["StepLimit"] = v.StepLimit;
    out["MoveState"] = v.MoveState;
    out["Facing"] = v.Facing;
    out["StepToggle"] = v.StepToggle;
    out["Escaped"] = v.Escaped;
    out["EscapeBonus"] = v.EscapeBonus;
    nlohmann::json grid = nlohmann::json::array(), path = nlohmann::json::array();
    for (int y = 1; y <= m.MazeHeight; ++y) {
        std::vector<int> gridRow, pathRow;
        for (int x = 1; x <= m.MazeWidth; ++x) {
            gridRow.push_back(m.Cell(x, y));
            pathRow.push_back(m.Path(x, y));
        }
        grid.push_back(gridRow);
        path.push_back(pathRow);
    }
    out["MazeGrid"] = grid;
    out["PathMap"] = path;
    nlohmann::json hall = nlohmann::json::array();
    for (const HallEntry& e : g.HallOfFame) hall.push_back({{"Nome", e.Nome}, {"Punti", e.Punti}, {"Livello", e.Livello}});
    out["HallOfFame"] = hall;
    nlohmann::json sprites = nlohmann::json::array();
    DumpTree(form.Engine(), sprites);
    out["Sprites"] = sprites;
    out["SpriteCount"] = form.Engine().SpriteCount();
    return out;
}

}  // namespace tibo
