#include "shell/Settings.h"

#include <limits>

#include "framework/Files.h"

namespace tibo {
namespace {

constexpr std::string_view RecordSection = "Record";
constexpr std::string_view Bom = "\xEF\xBB\xBF";
// The longest value the reading service hands back, and the longest name kept.
constexpr size_t MaxValueLength = 2047;
constexpr size_t MaxNameLength = 255;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

// What one line of the file is.
struct TLine {
    enum class TKind { Other, Section, Key };
    TKind Kind = TKind::Other;
    std::string_view Name;   // section or key name, trimmed
    std::string_view Value;  // key value, trimmed
};

TLine ClassifyLine(std::string_view raw) {
    TLine line;
    const std::string_view text = Trim(raw);
    if (text.empty()) return line;
    if (text.front() == '[') {
        // A header without its closing bracket still opens a section, so that
        // the keys after it never count as keys of the section before.
        std::string_view name = text.substr(1);
        const auto close = name.rfind(']');
        if (close != std::string_view::npos) name = name.substr(0, close);
        line.Kind = TLine::TKind::Section;
        line.Name = Trim(name);
        return line;
    }
    const auto eq = text.find('=');
    if (eq == std::string_view::npos) return line;  // no "=": not a key
    const std::string_view key = Trim(text.substr(0, eq));
    if (key.empty()) return line;
    line.Kind = TLine::TKind::Key;
    line.Name = key;
    line.Value = Trim(text.substr(eq + 1));
    return line;
}

// A value as it is read back: enclosing double quotes removed, ended at a NUL
// byte, cut to what the reading service returns.
std::string DecodeValue(std::string_view v) {
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
    const auto nul = v.find('\0');
    if (nul != std::string_view::npos) v = v.substr(0, nul);
    if (v.size() > MaxValueLength) v = v.substr(0, MaxValueLength);
    return std::string(v);
}

// A value as it is stored: a line break or a NUL cannot live inside an INI
// line and becomes a space; a value that would lose its outer blanks or
// quotes on reading is put in double quotes.
std::string EncodeValue(std::string_view v) {
    std::string out(v);
    for (char& c : out)
        if (c == '\r' || c == '\n' || c == '\0') c = ' ';
    const bool needsQuotes = !out.empty() &&
        (IsBlank(out.front()) || IsBlank(out.back()) ||
         (out.size() >= 2 && out.front() == '"' && out.back() == '"'));
    if (needsQuotes) return "\"" + out + "\"";
    return out;
}

std::string EncodeName(std::string_view v) {
    std::string out(Trim(v));
    for (char& c : out)
        if (c == '\r' || c == '\n' || c == '\0' || c == '=') c = ' ';
    return out;
}

bool IsHexDigit(char c, uint32_t& digit) {
    if (c >= '0' && c <= '9') { digit = static_cast<uint32_t>(c - '0'); return true; }
    const char l = LowerAscii(c);
    if (l >= 'a' && l <= 'f') { digit = static_cast<uint32_t>(l - 'a' + 10); return true; }
    return false;
}

// "Unable to write to <file>: <reason>", the reason taken from a file error
// without repeating the file name it already carries.
[[noreturn]] void FailWrite(const std::string& path, const std::string& detail) {
    std::string reason = detail;
    const std::string marker = path + ": ";
    const auto at = reason.find(marker);
    if (at != std::string::npos) reason = reason.substr(at + marker.size());
    throw ESettingsError(Format("Unable to write to %s: %s", path.c_str(), reason.c_str()));
}

// The 30 keys of the table, in their order.
void WriteHallKeys(TIniFile& ini, const THallOfFame& hall) {
    for (int n = 1; n <= 10; ++n) {
        const HallEntry& entry = hall[static_cast<size_t>(n - 1)];
        const std::string suffix = std::to_string(n);
        ini.WriteString(RecordSection, "Nome" + suffix, entry.Nome);
        ini.WriteInteger(RecordSection, "Punti" + suffix, entry.Punti);
        ini.WriteInteger(RecordSection, "Livello" + suffix, entry.Livello);
    }
}

}  // namespace

bool ParseSettingsInteger(std::string_view text, int32_t& value) {
    std::string_view s = Trim(text);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    bool hex = false;
    if (s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        hex = true;
        s.remove_prefix(2);
    } else if (!s.empty() && s.front() == '$') {
        hex = true;
        s.remove_prefix(1);
    }
    if (s.empty()) return false;

    if (hex) {
        // Up to 32 bits, taken as the bit pattern: 0xFFFFFFFF is -1.
        uint64_t magnitude = 0;
        for (char c : s) {
            uint32_t digit = 0;
            if (!IsHexDigit(c, digit)) return false;
            magnitude = magnitude * 16 + digit;
            if (magnitude > 0xFFFFFFFFu) return false;
        }
        const uint32_t bits = static_cast<uint32_t>(magnitude);
        value = static_cast<int32_t>(negative ? 0u - bits : bits);
        return true;
    }

    const int64_t limit = negative ? -static_cast<int64_t>(std::numeric_limits<int32_t>::min())
                                   : std::numeric_limits<int32_t>::max();
    int64_t magnitude = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > limit) return false;
    }
    value = static_cast<int32_t>(negative ? -magnitude : magnitude);
    return true;
}

TIniFile TIniFile::Parse(std::string_view text) {
    TIniFile ini;
    if (text.substr(0, Bom.size()) == Bom) {
        ini.Bom_ = true;
        text.remove_prefix(Bom.size());
    }
    // Lines end in LF, CR LF or a lone CR.
    size_t start = 0;
    while (start < text.size()) {
        size_t end = start;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r') ++end;
        ini.Lines_.emplace_back(text.substr(start, end - start));
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    return ini;
}

TIniFile TIniFile::Load(const std::string& path) {
    try {
        const std::vector<uint8_t> bytes = ReadFileBytes(path);
        return Parse(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    } catch (const EFileError&) {
        return TIniFile();
    }
}

std::ptrdiff_t TIniFile::FindKeyLine(std::string_view section, std::string_view key) const {
    // Keys before the first section belong to none. A section named twice is
    // searched in both places; the first line with the key wins.
    bool inSection = false;
    for (size_t i = 0; i < Lines_.size(); ++i) {
        const TLine line = ClassifyLine(Lines_[i]);
        if (line.Kind == TLine::TKind::Section)
            inSection = SameName(line.Name, section);
        else if (inSection && line.Kind == TLine::TKind::Key && SameName(line.Name, key))
            return static_cast<std::ptrdiff_t>(i);
    }
    return -1;
}

bool TIniFile::HasKey(std::string_view section, std::string_view key) const {
    return FindKeyLine(section, key) >= 0;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key, const std::string& def) const {
    const std::ptrdiff_t at = FindKeyLine(section, key);
    if (at < 0) return def;
    return DecodeValue(ClassifyLine(Lines_[static_cast<size_t>(at)]).Value);
}

int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key, int32_t def) const {
    const std::ptrdiff_t at = FindKeyLine(section, key);
    if (at < 0) return def;
    int32_t value = 0;
    const std::string text = DecodeValue(ClassifyLine(Lines_[static_cast<size_t>(at)]).Value);
    return ParseSettingsInteger(text, value) ? value : def;
}

void TIniFile::WriteString(std::string_view section, std::string_view key, const std::string& value) {
    const std::string stored = EncodeValue(value);
    const std::ptrdiff_t at = FindKeyLine(section, key);
    if (at >= 0) {
        // Rewritten in its own line, under the name as the file spells it.
        std::string& line = Lines_[static_cast<size_t>(at)];
        line = std::string(ClassifyLine(line).Name) + "=" + stored;
        return;
    }
    const std::string newLine = EncodeName(key) + "=" + stored;

    // Append to the first section of that name, after its last non-blank line.
    for (size_t i = 0; i < Lines_.size(); ++i) {
        const TLine header = ClassifyLine(Lines_[i]);
        if (header.Kind != TLine::TKind::Section || !SameName(header.Name, section)) continue;
        size_t insertAt = i + 1;
        for (size_t j = i + 1; j < Lines_.size(); ++j) {
            if (ClassifyLine(Lines_[j]).Kind == TLine::TKind::Section) break;
            if (!Trim(Lines_[j]).empty()) insertAt = j + 1;
        }
        Lines_.insert(Lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), newLine);
        return;
    }

    // No such section yet: a new one at the end of the file.
    if (!Lines_.empty() && !Trim(Lines_.back()).empty()) Lines_.emplace_back();
    Lines_.push_back("[" + EncodeName(section) + "]");
    Lines_.push_back(newLine);
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
    WriteString(section, key, std::to_string(value));
}

std::string TIniFile::Text() const {
    std::string text;
    if (Bom_) text += Bom;
    for (const std::string& line : Lines_) {
        text += line;
        text += '\n';
    }
    return text;
}

THallOfFame ReadHallOfFame(const std::string& path) {
    std::vector<uint8_t> bytes;
    try {
        bytes = ReadFileBytes(path, MaxSettingsFileBytes);
    } catch (const EFileError& e) {
        // A missing file gives the defaults; so do a folder or a file that may
        // not be read, which the writing then reports. Something that is no
        // file at all, or far too large for a hall of fame, is refused at once.
        using P = EFileError::TProblem;
        if (e.Problem == P::NotRegular || e.Problem == P::TooLarge)
            throw ESettingsError(std::string(e.what()) + "; the hall of fame is left as it is");
    }
    return HallOfFameFromText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

THallOfFame HallOfFameFromText(std::string_view text) {
    const TIniFile ini = TIniFile::Parse(text);
    THallOfFame hall = DefaultHallOfFame();
    for (int n = 1; n <= 10; ++n) {
        HallEntry& entry = hall[static_cast<size_t>(n - 1)];
        const std::string suffix = std::to_string(n);
        entry.Nome = ini.ReadString(RecordSection, "Nome" + suffix, entry.Nome);
        if (entry.Nome.size() > MaxNameLength) entry.Nome.resize(MaxNameLength);
        entry.Punti = ini.ReadInteger(RecordSection, "Punti" + suffix, entry.Punti);
        // Only the low 8 bits are kept, as a signed byte: 300 becomes 44.
        const int32_t level = ini.ReadInteger(RecordSection, "Livello" + suffix, entry.Livello);
        entry.Livello = static_cast<int8_t>(static_cast<uint8_t>(static_cast<uint32_t>(level) & 0xFFu));
    }
    return hall;
}

void WriteHallOfFame(const std::string& path, const THallOfFame& hall) {
    TIniFile ini;
    using K = TFileStatus::TKind;
    const TFileStatus status = FileStatus(path);
    if (status.Kind != K::Missing) {
        if (status.Kind == K::Folder) FailWrite(path, "it is a folder");
        if (status.Kind != K::Regular) FailWrite(path, "it is not a regular file");
        // A file nobody may write to was made so on purpose: it stays as it is.
        if (!status.WriteBits) FailWrite(path, "the file is read-only; it is left as it is");
        if (!status.WriteDenied.empty()) FailWrite(path, status.WriteDenied);
        // The file's other content is kept, so a file that exists but cannot be
        // read is not overwritten: that would throw the rest of it away.
        try {
            const std::vector<uint8_t> bytes = ReadFileBytes(path, MaxSettingsFileBytes);
            ini = TIniFile::Parse(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        } catch (const EFileError& e) {
            FailWrite(path, e.what());
        }
    }
    WriteHallKeys(ini, hall);
    const std::string text = ini.Text();
    // What could not be read back next time is not written.
    if (text.size() > MaxSettingsFileBytes)
        FailWrite(path, Format("the file would grow beyond %zu bytes", MaxSettingsFileBytes));
    try {
        WriteFileAtomic(path, text);
    } catch (const EFileError& e) {
        FailWrite(path, e.what());
    }
}

int FirstHallEntryNotKept(const THallOfFame& hall) {
    TIniFile ini;
    WriteHallKeys(ini, hall);
    const THallOfFame again = HallOfFameFromText(ini.Text());
    for (size_t i = 0; i < hall.size(); ++i)
        if (again[i] != hall[i])
            return static_cast<int>(i) + 1;
    return 0;
}

std::string SettingsLockPath(const std::string& path) { return path + ".lock"; }

THallOfFame StoreHallEntries(const std::string& path, std::span<const HallEntry> added) {
    const TFileLock lock(SettingsLockPath(path));
    const THallOfFame merged = MergeHallEntries(ReadHallOfFame(path), added);
    WriteHallOfFame(path, merged);
    return merged;
}

namespace {

// A settings file as its writer left it: every line ended and the table's
// thirty keys there (a file cut short at a key of the table lacks it or its
// line end). Only then is its table taken.
bool HoldsWholeTable(std::string_view text) {
    if (text.empty() || text.back() != '\n') return false;
    const TIniFile ini = TIniFile::Parse(text);
    for (int n = 1; n <= 10; ++n) {
        const std::string suffix = std::to_string(n);
        for (const char* key : {"Nome", "Punti", "Livello"})
            if (!ini.HasKey(RecordSection, key + suffix)) return false;
    }
    return true;
}

}  // namespace

THallOfFame OpenHallOfFame(const std::string& path) {
    THallOfFame hall = ReadHallOfFame(path);
    if (LeftoverNewFiles(path).empty()) return hall;
    // Every save holds the lock while its new file exists: under it, the
    // files left are no save's under way.
    const TFileLock lock(SettingsLockPath(path));
    if (!lock.Held()) return hall;
    hall = ReadHallOfFame(path);
    THallOfFame merged = hall;
    const std::vector<TLeftoverFile> leftovers = LeftoverNewFiles(path);
    for (const TLeftoverFile& file : leftovers) {
        if (!file.Regular) continue;
        try {
            const std::vector<uint8_t> bytes = ReadFileBytes(file.Path, MaxSettingsFileBytes);
            const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
            if (HoldsWholeTable(text)) merged = MergeHallEntries(merged, EntriesAdded(HallOfFameFromText(text), merged));
        } catch (const EFileError&) {
            // Unreadable: nothing to take from it.
        }
    }
    if (merged != hall) {
        try {
            WriteHallOfFame(path, merged);
        } catch (const ESettingsError&) {
            // The file cannot take them now: the left-over files keep them for
            // another time, and this game plays with them.
            return merged;
        }
    }
    for (const TLeftoverFile& file : leftovers) RemoveFile(file.Path);
    return merged;
}

}  // namespace tibo
