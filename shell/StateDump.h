#pragma once
// The game's variables under their own names, as one JSON object, written
// from the lists of fields kept beside them (TFormFields and the structures'
// Fields).
#include <nlohmann/json.hpp>

namespace tibo {

class TMainForm;
class TSprite;

// Every listed field; takes the sounds requested since the previous dump out
// of the sound list.
nlohmann::json DumpState(TMainForm& form);

// A 64-bit FNV-1a hash of the game as replays check it: the fields of the
// state dump that the lists mark Checked, which are all but what follows the
// window rather than the game ("TickBusy", the frame timer's and the blink
// timer's enabled flags and the blink itself: the blink timer runs on the
// wall clock in a window and only changes what the texts look like), the
// sound device's "Muted" and the sounds requested (the dump takes them away).
// Changes nothing.
uint64_t StateChecksum(TMainForm& form);
nlohmann::json DumpSprite(const TSprite& sprite);

}  // namespace tibo
