#include "labyrinth/GameState.h"

namespace tibo {

std::string_view GameStateName(uint8_t state) {
    static constexpr std::string_view names[] = {"gsIntro", "gsHallOfFame", "gsNameEntry", "gsLevelChoice", "gsExitPreview",
                                                 "gsPlaying", "gsLevelWon", "gsGameOver", "gsPaused"};
    return state < 9 ? names[state] : std::string_view("?");
}

}  // namespace tibo
