#pragma once
// The settings file "Tibo.Ini": INI text with the hall of fame in section "Record".
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "framework/Errors.h"
#include "shell/HallOfFame.h"

namespace tibo {

class ESettingsError : public EFrameworkError { public: using EFrameworkError::EFrameworkError; };

inline constexpr const char* SettingsFileName = "Tibo.Ini";
// A hall of fame takes a few hundred bytes; a larger settings file than this
// is refused rather than read, and never rewritten.
inline constexpr size_t MaxSettingsFileBytes = size_t{1} << 20;

// An INI document kept line by line, so that writing a key changes only that
// key's line and keeps everything else of the file as it was.
class TIniFile {
public:
    TIniFile() = default;
    // Never fails: whatever can be read is read (any letter case, spaces around
    // "=" and values, CR LF line ends, a byte-order mark, over-long lines, garbage).
    static TIniFile Parse(std::string_view text);
    // A missing or unreadable file gives an empty document.
    static TIniFile Load(const std::string& path);

    bool HasKey(std::string_view section, std::string_view key) const;
    std::string ReadString(std::string_view section, std::string_view key, const std::string& def) const;
    // Decimal, or hexadecimal after "0x", "0X" or "$"; anything else gives `def`.
    int32_t ReadInteger(std::string_view section, std::string_view key, int32_t def) const;
    void WriteString(std::string_view section, std::string_view key, const std::string& value);
    void WriteInteger(std::string_view section, std::string_view key, int32_t value);
    std::string Text() const;

private:
    // Index of the first line holding `key` in a section named `section`, or -1.
    std::ptrdiff_t FindKeyLine(std::string_view section, std::string_view key) const;

    std::vector<std::string> Lines_;
    bool Bom_ = false;  // the file began with a UTF-8 byte-order mark; kept on writing
};

// Reads the table; a missing file or missing keys give the defaults. Raises
// ESettingsError naming the file when it is no regular file (a FIFO, a device)
// or larger than MaxSettingsFileBytes.
THallOfFame ReadHallOfFame(const std::string& path);
// The table as a settings file's text gives it (what ReadHallOfFame does once
// the bytes are read): missing or unreadable keys give the defaults.
THallOfFame HallOfFameFromText(std::string_view text);
// Writes the 30 keys (Nome1, Punti1, Livello1, ... Livello10) into the file,
// keeping the rest of it; the old file stays intact until the new one is safely
// on disk, and the new one keeps its permission bits. A read-only file is not
// replaced. Raises ESettingsError "Unable to write to <file>: <reason>" on failure.
void WriteHallOfFame(const std::string& path, const THallOfFame& hall);

// The first place (1..10) whose entry Tibo.Ini could not give back as it is
// (written into the file and read again it would change: a name longer than
// 255 characters, or holding a line break or a NUL byte); 0 when there is none.
int FirstHallEntryNotKept(const THallOfFame& hall);

// The lock every save of the table holds: "<file>.lock" beside the file.
std::string SettingsLockPath(const std::string& path);
// Keeps the entries a game added (see EntriesAdded) in the file without
// losing those another game put there meanwhile: under the lock, the table is
// read from the file again, `added` merged into it (MergeHallEntries) and the
// file replaced. Raises as ReadHallOfFame and WriteHallOfFame; returns the
// table written.
THallOfFame StoreHallEntries(const std::string& path, std::span<const HallEntry> added);
// The table at a game's start. A save cut short (its program killed before
// the rename) leaves its new file "<file>.new-<pid>-<n>" beside the file: the
// table of such a file of a program no longer running, when whole (every line
// ended, the thirty keys there), joins the file's (MergeHallEntries of the
// entries the file lacks), the file is written again if that changed it, and
// those files are removed. Raises as ReadHallOfFame.
THallOfFame OpenHallOfFame(const std::string& path);

// Parses an integer the way the settings file does; false when it does not convert.
bool ParseSettingsInteger(std::string_view text, int32_t& value);

}  // namespace tibo
