#pragma once
// The game's variables under their own names, as one JSON object.
#include <nlohmann/json.hpp>

namespace tibo {

class TMainForm;
class TSprite;

// Takes the sounds requested since the previous dump out of the sound list.
nlohmann::json DumpState(TMainForm& form);
// The same variables without the "Sounds" entry; the sound list is left alone.
nlohmann::json GameVariables(TMainForm& form);

// A 64-bit FNV-1a hash of the game as replays check it: every game variable,
// the play's variables, the labyrinth's grids, the hall of fame and every
// sprite's fields, as GameVariables lists them. Left out are the sounds
// requested (the dump takes them away) and what follows the window rather
// than the game: "TickBusy", the frame timer's and the blink timer's
// enabled flags and the blink itself (the blink timer runs on the wall clock
// in a window and only changes what the texts look like). Changes nothing.
uint64_t StateChecksum(TMainForm& form);
nlohmann::json DumpSprite(const TSprite& sprite);

}  // namespace tibo
