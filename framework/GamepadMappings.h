#pragma once
// Mappings for more game controllers, in the format of SDL's community file
// gamecontrollerdb.txt: one controller a line, "GUID,NAME,MAPPING,...,platform:NAME,",
// "#" comments. Read by the game's own reader and checked before the platform
// gets them: a FIFO, a device or a huge file never holds up the start, and
// the work stays linear in the file's size whatever it holds.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tibo {

// A larger file is not read (the community file is about a tenth of this).
inline constexpr size_t MaxGamepadMappingsFileBytes = size_t{4} << 20;
// A longer line is passed over (real ones are a few hundred characters).
inline constexpr size_t MaxGamepadMappingLine = 1024;
// Mappings for the platform beyond this many are passed over: adding each one
// costs the platform a search of those before it.
inline constexpr size_t MaxGamepadMappings = 1500;

struct TGamepadMappings {
    std::string Text;                   // the lines kept, each ending in a line break
    size_t Count = 0;                   // how many
    std::vector<std::string> Warnings;  // what was passed over, for standard error
};

// The lines of `text` that map a controller on `platform` (the value of their
// "platform:" field, in any letter case, as SDL_GetPlatform() names it): a
// GUID of 32 hexadecimal digits, a name and the mapping, printable characters
// only, at most MaxGamepadMappingLine long; at most MaxGamepadMappings of them.
// Lines for other platforms, comments and blank lines are passed over quietly.
TGamepadMappings ParseGamepadMappings(std::string_view text, std::string_view platform, const std::string& fileName);

// Reads the file (a missing one gives no mappings and no warning; one that is
// no regular file or is too large gives none and a warning) and parses it.
TGamepadMappings ReadGamepadMappings(const std::string& path, std::string_view platform);

}  // namespace tibo
