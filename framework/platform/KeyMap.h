#pragma once
// Keys as the game knows them: the virtual-key codes of the key table
// (letters and digits their characters' codes, Enter 13, Escape 27, arrows 37 to
// 40, Delete 46, keypad digits 96 to 105, F1 to F12 112 to 123, punctuation on
// 186 to 192 and 219 to 222, where it meets nothing the game reads).
#include <string>
#include <string_view>

namespace tibo {

// The virtual-key code of an SDL scancode (a USB keyboard usage); 0 for keys
// the game has no code for.
int VirtualKeyFromScancode(int sdlScancode);

// The code of a key by name, for scripted input: "A".."Z", "0".."9", "Space",
// "Enter", "Escape", "Delete", "Backspace", "Tab", "Up", "Down", "Left", "Right",
// "Shift", "Ctrl", "Alt", "Home", "End", "PageUp", "PageDown", "Insert",
// "F1".."F12", "KP0".."KP9", or a decimal code "10".."255", in any letter
// case; 0 when unknown.
int VirtualKeyFromName(std::string_view name);
// The name VirtualKeyFromName reads back as `vk` (8..255, every code a key
// gives): the key's own name where it has one, its decimal code otherwise.
// Codes 1 to 7 have none ("1".."7" are the digit keys).
std::string KeyNameFromVirtualKey(int vk);
// The names above, in a line for messages and the help.
std::string KeyNames();

}  // namespace tibo
