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
    const TGameVariables& v = form.Vars;
    nlohmann::json out = nlohmann::json::object();
    out["GameState"] = v.GameState;
    out["GameStateName"] = std::string(GameStateName(v.GameState));
    out["FrameCounter"] = v.FrameCounter;
    out["AnyKey"] = v.AnyKey;
    out["NameDone"] = v.NameDone;
    out["StartRequested"] = v.StartRequested;
    out["NewEntryRank"] = v.NewEntryRank;
    out["ChosenLevel"] = v.ChosenLevel;
    out["ChosenSetting"] = v.ChosenSetting;
    out["Blink"] = v.Blink;
    out["Score"] = v.Score;
    out["BestScore"] = v.BestScore;
    out["ScrollFirstLine"] = v.ScrollFirstLine;
    out["ScrollOffset"] = v.ScrollOffset;
    out["FieldOriginX"] = v.FieldOriginX;
    out["FieldOriginY"] = v.FieldOriginY;
    out["ShakeX"] = v.ShakeX;
    out["ShakeY"] = v.ShakeY;
    out["PreviewPhase"] = form.PreviewPhase;
    out["PreviewSkip"] = form.PreviewSkip;
    out["TickBusy"] = form.TickBusy;
    out["Interval"] = form.EngineTimer.Interval();
    out["TimerEnabled"] = form.EngineTimer.Enabled();
    out["BlinkTimerEnabled"] = form.TimerScritteLampeggianti.Enabled();
    out["MouseMoveHooked"] = form.MouseMoveHooked();
    nlohmann::json hall = nlohmann::json::array();
    for (const HallEntry& e : v.HallOfFame) hall.push_back({{"Nome", e.Nome}, {"Punti", e.Punti}, {"Livello", e.Livello}});
    out["HallOfFame"] = hall;
    nlohmann::json sprites = nlohmann::json::array();
    DumpTree(form.Engine(), sprites);
    out["Sprites"] = sprites;
    out["SpriteCount"] = form.Engine().SpriteCount();
    std::vector<std::string>& requests = form.Suoni.Items.PlayRequests;
    out["Sounds"] = requests;
    requests.clear();
    return out;
}

}  // namespace tibo
