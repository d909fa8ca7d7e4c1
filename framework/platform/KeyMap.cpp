#include "framework/platform/KeyMap.h"

#include <SDL_scancode.h>

#include <array>
#include <charconv>
#include <string>

#include "framework/KeyCodes.h"

namespace tibo {

namespace {

struct TKeyPair {
    SDL_Scancode Scancode;
    int Key;
};

// Keys that are not letters, digits, function keys or keypad digits.
constexpr TKeyPair OtherKeys[] = {
    {SDL_SCANCODE_BACKSPACE, VkBackspace},
    {SDL_SCANCODE_TAB, VkTab},
    {SDL_SCANCODE_RETURN, VkEnter},
    {SDL_SCANCODE_KP_ENTER, VkEnter},
    {SDL_SCANCODE_RETURN2, VkEnter},
    {SDL_SCANCODE_LSHIFT, VkShift},
    {SDL_SCANCODE_RSHIFT, VkShift},
    {SDL_SCANCODE_LCTRL, VkCtrl},
    {SDL_SCANCODE_RCTRL, VkCtrl},
    {SDL_SCANCODE_LALT, VkAlt},
    {SDL_SCANCODE_RALT, VkAlt},
    {SDL_SCANCODE_PAUSE, VkPause},
    {SDL_SCANCODE_CAPSLOCK, VkCapsLock},
    {SDL_SCANCODE_ESCAPE, VkEscape},
    {SDL_SCANCODE_SPACE, VkSpace},
    {SDL_SCANCODE_PAGEUP, VkPageUp},
    {SDL_SCANCODE_PAGEDOWN, VkPageDown},
    {SDL_SCANCODE_END, VkEnd},
    {SDL_SCANCODE_HOME, VkHome},
    {SDL_SCANCODE_LEFT, VkLeft},
    {SDL_SCANCODE_UP, VkUp},
    {SDL_SCANCODE_RIGHT, VkRight},
    {SDL_SCANCODE_DOWN, VkDown},
    {SDL_SCANCODE_INSERT, VkInsert},
    {SDL_SCANCODE_DELETE, VkDelete},
    {SDL_SCANCODE_LGUI, VkLeftSystem},
    {SDL_SCANCODE_RGUI, VkRightSystem},
    {SDL_SCANCODE_APPLICATION, VkMenu},
    {SDL_SCANCODE_KP_MULTIPLY, 106},
    {SDL_SCANCODE_KP_PLUS, 107},
    {SDL_SCANCODE_KP_MINUS, 109},
    {SDL_SCANCODE_KP_PERIOD, 110},
    {SDL_SCANCODE_KP_DECIMAL, 110},
    {SDL_SCANCODE_KP_DIVIDE, 111},
    {SDL_SCANCODE_NUMLOCKCLEAR, VkNumLock},
    {SDL_SCANCODE_SCROLLLOCK, VkScrollLock},
    // Punctuation on the codes of common desktop systems, clear of the arrows,
    // Delete and the characters the name entry types.
    {SDL_SCANCODE_SEMICOLON, 186},
    {SDL_SCANCODE_EQUALS, 187},
    {SDL_SCANCODE_COMMA, 188},
    {SDL_SCANCODE_MINUS, 189},
    {SDL_SCANCODE_PERIOD, 190},
    {SDL_SCANCODE_SLASH, 191},
    {SDL_SCANCODE_GRAVE, 192},
    {SDL_SCANCODE_LEFTBRACKET, 219},
    {SDL_SCANCODE_BACKSLASH, 220},
    {SDL_SCANCODE_NONUSHASH, 220},
    {SDL_SCANCODE_RIGHTBRACKET, 221},
    {SDL_SCANCODE_APOSTROPHE, 222},
    {SDL_SCANCODE_NONUSBACKSLASH, 226},
};

constexpr std::array<uint8_t, SDL_NUM_SCANCODES> BuildTable() {
    std::array<uint8_t, SDL_NUM_SCANCODES> t{};
    for (int i = 0; i < 26; ++i) t[static_cast<size_t>(SDL_SCANCODE_A + i)] = static_cast<uint8_t>('A' + i);
    // Scancodes run 1..9 then 0.
    for (int i = 0; i < 9; ++i) t[static_cast<size_t>(SDL_SCANCODE_1 + i)] = static_cast<uint8_t>('1' + i);
    t[SDL_SCANCODE_0] = '0';
    for (int i = 0; i < 12; ++i) t[static_cast<size_t>(SDL_SCANCODE_F1 + i)] = static_cast<uint8_t>(VkF1 + i);
    for (int i = 0; i < 9; ++i) t[static_cast<size_t>(SDL_SCANCODE_KP_1 + i)] = static_cast<uint8_t>(VkPad0 + 1 + i);
    t[SDL_SCANCODE_KP_0] = VkPad0;
    for (const TKeyPair& p : OtherKeys) t[static_cast<size_t>(p.Scancode)] = static_cast<uint8_t>(p.Key);
    return t;
}

constexpr std::array<uint8_t, SDL_NUM_SCANCODES> ScancodeTable = BuildTable();

struct TNamedKey {
    std::string_view Name;
    int Key;
};

constexpr TNamedKey NamedKeys[] = {
    {"Space", VkSpace},   {"Enter", VkEnter},       {"Escape", VkEscape}, {"Delete", VkDelete}, {"Backspace", VkBackspace},
    {"Tab", VkTab},       {"Up", VkUp},             {"Down", VkDown},     {"Left", VkLeft},     {"Right", VkRight},
    {"Shift", VkShift},   {"Ctrl", VkCtrl},         {"Alt", VkAlt},       {"Home", VkHome},     {"End", VkEnd},
    {"PageUp", VkPageUp}, {"PageDown", VkPageDown}, {"Insert", VkInsert},
};

}  // namespace

int VirtualKeyFromScancode(int sdlScancode) {
    if (sdlScancode < 0 || sdlScancode >= SDL_NUM_SCANCODES) return 0;
    return ScancodeTable[static_cast<size_t>(sdlScancode)];
}

int VirtualKeyFromName(std::string_view name) {
    // Any letter case: "enter", "ENTER" and "Enter" are one key.
    std::string upper(name);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    name = upper;
    if (name.size() == 1) {
        const char c = name[0];
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return c;
        return 0;
    }
    for (const TNamedKey& k : NamedKeys) {
        if (k.Name.size() != name.size()) continue;
        bool same = true;
        for (size_t i = 0; i < name.size() && same; ++i) {
            const char c = k.Name[i];
            same = (c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c) == name[i];
        }
        if (same) return k.Key;
    }
    const auto number = [](std::string_view digits, int& value) {
        if (digits.empty() || digits[0] == '0' || digits[0] == '+' || digits[0] == '-') return false;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        return ec == std::errc{} && end == digits.data() + digits.size();
    };
    int n = 0;
    if (name.size() >= 2 && name[0] == 'F' && number(name.substr(1), n) && n >= 1 && n <= 12) return VkF1 - 1 + n;
    if (name.size() == 3 && name.substr(0, 2) == "KP" && name[2] >= '0' && name[2] <= '9') return VkPad0 + (name[2] - '0');
    if (number(name, n) && n >= 1 && n <= 255) return n;
    return 0;
}

std::string KeyNameFromVirtualKey(int vk) {
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return std::string(1, static_cast<char>(vk));
    for (const TNamedKey& k : NamedKeys)
        if (k.Key == vk) return std::string(k.Name);
    if (vk >= VkF1 && vk <= VkF12) return "F" + std::to_string(vk - VkF1 + 1);
    if (vk >= VkPad0 && vk <= VkPad9) return "KP" + std::to_string(vk - VkPad0);
    return std::to_string(vk);
}

std::string KeyNames() {
    std::string names = "A to Z, 0 to 9";
    for (const TNamedKey& k : NamedKeys) names += ", " + std::string(k.Name);
    return names + ", F1 to F12, KP0 to KP9 (keypad), or a code from 1 to 255; in any letter case";
}

}  // namespace tibo
