#pragma once
// The game's key codes: every key is known by its virtual-key code, the number
// the key-assignment table, scripts, replays and the state dump use. Letters
// and digits are their own capital characters ('A', '7').
namespace tibo {

constexpr int VkBackspace = 8, VkTab = 9, VkEnter = 13, VkShift = 16, VkCtrl = 17, VkAlt = 18, VkPause = 19,
              VkCapsLock = 20, VkEscape = 27, VkSpace = 32, VkPageUp = 33, VkPageDown = 34, VkEnd = 35, VkHome = 36,
              VkLeft = 37, VkUp = 38, VkRight = 39, VkDown = 40, VkInsert = 45, VkDelete = 46, VkLeftSystem = 91, VkRightSystem = 92,
              VkMenu = 93, VkNumLock = 144, VkScrollLock = 145;
// The keypad's digits 0 to 9, then its operators.
constexpr int VkPad0 = 96, VkPad2 = 98, VkPad4 = 100, VkPad6 = 102, VkPad8 = 104, VkPad9 = 105;
// F1 to F12 in a row.
constexpr int VkF1 = 112, VkF2 = 113, VkF11 = 122, VkF12 = 123;
// The letters the game gives a meaning of their own.
constexpr int VkH = 'H', VkJ = 'J', VkK = 'K', VkL = 'L', VkM = 'M', VkP = 'P', VkX = 'X', VkZ = 'Z';

}  // namespace tibo
