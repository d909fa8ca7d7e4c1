#pragma once
// The game's variables under their own names, as one JSON object.
#include <nlohmann/json.hpp>

namespace tibo {

class TMainForm;
class TSprite;

// Takes the sounds requested since the previous dump out of the sound list.
nlohmann::json DumpState(TMainForm& form);
nlohmann::json DumpSprite(const TSprite& sprite);

}  // namespace tibo
