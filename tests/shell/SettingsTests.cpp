#include "shell/Settings.h"

#include "framework/Files.h"
#include "framework/ImageCodec.h"
#include "shell/Main.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <thread>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/FileSizeLimit.h"
#include "tests/support/TempDir.h"

namespace tibo {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

// A fresh folder for each test, removed with everything in it afterwards.
class SettingsFileTest : public ::testing::Test {
protected:
    void Put(const std::string& text) const {
        std::ofstream out(Path_, std::ios::binary);
        out << text;
    }
    std::string Get() const {
        std::ifstream in(Path_, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    testing_support::TempDir Folder_{"tibo-settings"};
    fs::path Dir_ = Folder_.Path();
    std::string Path_ = Folder_.File(SettingsFileName);
};

void ExpectDefaultEntry(const THallOfFame& hall, int n) {
    const HallEntry& e = hall[static_cast<size_t>(n - 1)];
    EXPECT_EQ(e.Nome, "Tibo") << "entry " << n;
    EXPECT_EQ(e.Punti, 11000 - 1000 * n) << "entry " << n;
    EXPECT_EQ(e.Livello, 1) << "entry " << n;
}

// --- integers --------------------------------------------------------------

TEST(SettingsInteger, DecimalWithSignAndSpaces) {
    int32_t v = 0;
    EXPECT_TRUE(ParseSettingsInteger("42", v));
    EXPECT_EQ(v, 42);
    EXPECT_TRUE(ParseSettingsInteger("  -7 \t", v));
    EXPECT_EQ(v, -7);
    EXPECT_TRUE(ParseSettingsInteger("+0009", v));
    EXPECT_EQ(v, 9);
    EXPECT_TRUE(ParseSettingsInteger("2147483647", v));
    EXPECT_EQ(v, 2147483647);
    EXPECT_TRUE(ParseSettingsInteger("-2147483648", v));
    EXPECT_EQ(v, std::numeric_limits<int32_t>::min());
}

TEST(SettingsInteger, Hexadecimal) {
    int32_t v = 0;
    EXPECT_TRUE(ParseSettingsInteger("0x10", v));
    EXPECT_EQ(v, 16);
    EXPECT_TRUE(ParseSettingsInteger("0X1f", v));
    EXPECT_EQ(v, 31);
    EXPECT_TRUE(ParseSettingsInteger("$20", v));
    EXPECT_EQ(v, 32);
    EXPECT_TRUE(ParseSettingsInteger(" $aBc ", v));
    EXPECT_EQ(v, 0xABC);
    EXPECT_TRUE(ParseSettingsInteger("0xFFFFFFFF", v));
    EXPECT_EQ(v, -1);
    EXPECT_TRUE(ParseSettingsInteger("-$10", v));
    EXPECT_EQ(v, -16);
}

TEST(SettingsInteger, JunkAndOverflowDoNotConvert) {
    for (const char* text : {"", "   ", "12a", "1 2", "0x", "$", "0x1G", "$-1", "--1", "+-1", "1.5",
                             "2147483648", "-2147483649", "99999999999999999999", "0x100000000",
                             "$000000001FFFFFFFF", "x10", "ten"}) {
        int32_t v = 1234;
        EXPECT_FALSE(ParseSettingsInteger(text, v)) << '"' << text << '"';
        EXPECT_EQ(v, 1234) << '"' << text << '"';
    }
    int32_t v = 1234;
    EXPECT_FALSE(ParseSettingsInteger("1\0"s "2", v));
}

// --- the document ----------------------------------------------------------

TEST(IniDocument, NamesInAnyCaseAndBlanksAroundValues) {
    const TIniFile ini = TIniFile::Parse("  [ rEcOrD ]  \nnOmE1   =   Anna Bo  \n\tpunti1\t=\t0x10\n");
    EXPECT_TRUE(ini.HasKey("Record", "Nome1"));
    EXPECT_EQ(ini.ReadString("Record", "Nome1", "x"), "Anna Bo");
    EXPECT_EQ(ini.ReadInteger("RECORD", "PUNTI1", 0), 16);
    EXPECT_FALSE(ini.HasKey("Record", "Nome2"));
    EXPECT_EQ(ini.ReadString("Record", "Nome2", "dflt"), "dflt");
    EXPECT_FALSE(ini.HasKey("Other", "Nome1"));
}

TEST(IniDocument, LineEndsOfEveryKindAndByteOrderMark) {
    const TIniFile crlf = TIniFile::Parse("\xEF\xBB\xBF[Record]\r\nNome1=A\r\nNome2=B\r\n");
    EXPECT_EQ(crlf.ReadString("Record", "Nome1", ""), "A");
    EXPECT_EQ(crlf.ReadString("Record", "Nome2", ""), "B");
    const TIniFile cr = TIniFile::Parse("[Record]\rNome1=A\rNome2=B");
    EXPECT_EQ(cr.ReadString("Record", "Nome1", ""), "A");
    EXPECT_EQ(cr.ReadString("Record", "Nome2", ""), "B");
    const TIniFile mixed = TIniFile::Parse("[Record]\nNome1=A\r\r\nNome2=B\n\rNome3=C");
    EXPECT_EQ(mixed.ReadString("Record", "Nome1", ""), "A");
    EXPECT_EQ(mixed.ReadString("Record", "Nome2", ""), "B");
    EXPECT_EQ(mixed.ReadString("Record", "Nome3", ""), "C");
}

TEST(IniDocument, FirstDuplicateWinsAndStrayKeysBelongNowhere) {
    const TIniFile ini = TIniFile::Parse(
        "Nome1=Stray\n[Record]\nNome1=First\nNome1=Second\n[Other]\nNome2=Elsewhere\n[Record]\nNome1=Third\nNome2=Later\n");
    EXPECT_EQ(ini.ReadString("Record", "Nome1", ""), "First");
    EXPECT_EQ(ini.ReadString("Record", "Nome2", ""), "Later");
    EXPECT_EQ(ini.ReadString("Other", "Nome2", ""), "Elsewhere");
}

TEST(IniDocument, LinesWithoutEqualsAndBrokenHeaders) {
    const TIniFile ini = TIniFile::Parse(
        "[Record]\nNome1\n=orphan\nNome2=B\n[Broken\nNome3=C\n[Record]]\nNome4=D\n");
    EXPECT_FALSE(ini.HasKey("Record", "Nome1"));
    EXPECT_EQ(ini.ReadString("Record", "Nome2", ""), "B");
    // A header without its bracket opens its own section: Nome3 is not a Record key.
    EXPECT_FALSE(ini.HasKey("Record", "Nome3"));
    EXPECT_EQ(ini.ReadString("Broken", "Nome3", ""), "C");
    EXPECT_EQ(ini.ReadString("Record]", "Nome4", ""), "D");
}

TEST(IniDocument, ValuesKeepEqualsAndLoseOnlyOuterQuotes) {
    const TIniFile ini = TIniFile::Parse(
        "[S]\na=x=y\nb=\"  padded \"\nc=\"\nd=\"\"\"\ne=say \"hi\"\nf=\n");
    EXPECT_EQ(ini.ReadString("S", "a", ""), "x=y");
    EXPECT_EQ(ini.ReadString("S", "b", ""), "  padded ");
    EXPECT_EQ(ini.ReadString("S", "c", ""), "\"");
    EXPECT_EQ(ini.ReadString("S", "d", ""), "\"");
    EXPECT_EQ(ini.ReadString("S", "e", ""), "say \"hi\"");
    EXPECT_TRUE(ini.HasKey("S", "f"));
    EXPECT_EQ(ini.ReadString("S", "f", "dflt"), "");
    EXPECT_EQ(ini.ReadInteger("S", "f", 5), 5);
}

TEST(IniDocument, ValuesAreCutAtTheReadingLimitAndAtNul) {
    const std::string longValue(5000, 'v');
    const TIniFile ini = TIniFile::Parse("[S]\nlong=" + longValue + "\nnul=ab\0cd\n"s);
    EXPECT_EQ(ini.ReadString("S", "long", ""), std::string(2047, 'v'));
    EXPECT_EQ(ini.ReadString("S", "nul", ""), "ab");
}

TEST(IniDocument, TextKeepsEveryLineAndTheByteOrderMark) {
    const std::string text = "\xEF\xBB\xBF; comment\n\n[A]\nx = 1\ngarbage\n";
    EXPECT_EQ(TIniFile::Parse(text).Text(), text);
    EXPECT_EQ(TIniFile::Parse("[A]\r\nx=1").Text(), "[A]\nx=1\n");
    EXPECT_EQ(TIniFile::Parse("").Text(), "");
}

TEST(IniDocument, WriteRewritesInPlaceAndAppendsToTheSection) {
    TIniFile ini = TIniFile::Parse("top=1\n[Record]\n  nome1 = Old\n; note\n\n[Other]\nk=v\n");
    ini.WriteString("Record", "Nome1", "New");
    ini.WriteInteger("Record", "Punti1", -56);
    ini.WriteString("Fresh", "a", "b");
    EXPECT_EQ(ini.Text(),
              "top=1\n[Record]\nnome1=New\n; note\nPunti1=-56\n\n[Other]\nk=v\n\n[Fresh]\na=b\n");
}

TEST(IniDocument, WrittenValuesReadBackUnchanged) {
    TIniFile ini;
    const std::vector<std::string> values = {
        "plain", "  lead", "trail  ", "\"quoted\"", "\"", "a=b", "[x]", "; not a comment", "", "\t"};
    for (size_t i = 0; i < values.size(); ++i) ini.WriteString("S", "k" + std::to_string(i), values[i]);
    const TIniFile back = TIniFile::Parse(ini.Text());
    for (size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(back.ReadString("S", "k" + std::to_string(i), "?"), values[i]) << i;
}

TEST(IniDocument, LineBreaksAndNulInAValueBecomeSpaces) {
    TIniFile ini = TIniFile::Parse("[Record]\nPunti1=5\n");
    ini.WriteString("Record", "Nome1", "Bob\nPunti1=999\r[Evil]\0x"s);
    const TIniFile back = TIniFile::Parse(ini.Text());
    EXPECT_EQ(back.ReadString("Record", "Nome1", ""), "Bob Punti1=999 [Evil] x");
    EXPECT_EQ(back.ReadInteger("Record", "Punti1", 0), 5);
    EXPECT_FALSE(back.HasKey("Evil", "x"));
}

// --- reading the table -----------------------------------------------------

TEST_F(SettingsFileTest, MissingFileGivesTheDefaults) {
    const THallOfFame hall = ReadHallOfFame(Path_);
    for (int n = 1; n <= 10; ++n) ExpectDefaultEntry(hall, n);
    EXPECT_FALSE(fs::exists(Path_));
}

TEST_F(SettingsFileTest, AFolderInPlaceOfTheFileGivesTheDefaults) {
    fs::create_directory(Path_);
    const THallOfFame hall = ReadHallOfFame(Path_);
    for (int n = 1; n <= 10; ++n) ExpectDefaultEntry(hall, n);
}

TEST_F(SettingsFileTest, NumbersInEveryForm) {
    Put("[Record]\nPunti1=0x10\nPunti2=$20\nPunti3= -12 \nLivello1=300\nLivello2=200\nLivello3=0x1FF\n"
        "Livello4=-3\nPunti4=12abc\nLivello5=99999999999\nPunti5=\n");
    const THallOfFame hall = ReadHallOfFame(Path_);
    EXPECT_EQ(hall[0].Punti, 16);
    EXPECT_EQ(hall[1].Punti, 32);
    EXPECT_EQ(hall[2].Punti, -12);
    EXPECT_EQ(hall[0].Livello, 44);
    EXPECT_EQ(hall[1].Livello, -56);
    EXPECT_EQ(hall[2].Livello, -1);
    EXPECT_EQ(hall[3].Livello, -3);
    EXPECT_EQ(hall[3].Punti, 7000);   // junk: default
    EXPECT_EQ(hall[4].Livello, 1);    // overflow: default
    EXPECT_EQ(hall[4].Punti, 6000);   // empty: default
    EXPECT_EQ(hall[0].Nome, "Tibo");  // missing keys: defaults
}

TEST_F(SettingsFileTest, LongNamesAreCutTo255) {
    Put("[Record]\nNome1=" + std::string(300, 'a') + "\nNome2=" + std::string(10000, 'b') +
        "\nNome3=Twelve chars\nNome4=\n");
    const THallOfFame hall = ReadHallOfFame(Path_);
    EXPECT_EQ(hall[0].Nome, std::string(255, 'a'));
    EXPECT_EQ(hall[1].Nome, std::string(255, 'b'));
    EXPECT_EQ(hall[2].Nome, "Twelve chars");
    EXPECT_EQ(hall[3].Nome, "");  // present but empty is kept empty
}

TEST_F(SettingsFileTest, DamagedFileStillGivesWhatCanBeRead) {
    std::string garbage;
    for (int i = 0; i < 256; ++i) garbage += static_cast<char>((i * 37) % 256);
    Put("\xEF\xBB\xBF" "Nome1=BeforeAnySection\r\n" + garbage + "\r\n\0\0\0=\0\r\n"s +
        "[record]\r\n" + std::string(100000, 'z') + "\r\nno equals here\r\n"
        "NOME2 = Second \r\nnome2=Duplicate\rPUNTI2=\t$FF\r\n" + garbage + "\nLivello2=3\n");
    const THallOfFame hall = ReadHallOfFame(Path_);
    EXPECT_EQ(hall[0].Nome, "Tibo");
    EXPECT_EQ(hall[1].Nome, "Second");
    EXPECT_EQ(hall[1].Punti, 255);
    EXPECT_EQ(hall[1].Livello, 3);
    for (int n = 3; n <= 10; ++n) ExpectDefaultEntry(hall, n);
}

TEST_F(SettingsFileTest, OnlyGarbageGivesTheDefaults) {
    std::string junk;
    for (int i = 0; i < 70000; ++i) junk += static_cast<char>((i * 131 + 7) % 256);
    Put(junk);
    const THallOfFame hall = ReadHallOfFame(Path_);
    for (int n = 1; n <= 10; ++n) ExpectDefaultEntry(hall, n);
}

// --- writing the table -----------------------------------------------------

TEST_F(SettingsFileTest, FirstWriteHoldsTheThirtyKeysInOrder) {
    WriteHallOfFame(Path_, ReadHallOfFame(Path_));
    const std::string text = Get();
    EXPECT_EQ(text.substr(0, 55), "[Record]\nNome1=Tibo\nPunti1=10000\nLivello1=1\nNome2=Tibo\n");
    std::string expected = "[Record]\n";
    for (int n = 1; n <= 10; ++n) {
        expected += "Nome" + std::to_string(n) + "=Tibo\n";
        expected += "Punti" + std::to_string(n) + "=" + std::to_string(11000 - 1000 * n) + "\n";
        expected += "Livello" + std::to_string(n) + "=1\n";
    }
    EXPECT_EQ(text, expected);
    EXPECT_NE(text.find("Livello10=1\n"), std::string::npos);
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_FALSE(fs::exists(Path_ + ".new"));
}

TEST_F(SettingsFileTest, RoundTrip) {
    THallOfFame hall = DefaultHallOfFame();
    hall[0] = {"ANNA", 123456, 5};
    hall[1] = {"", 0, 1};
    hall[2] = {" SPACED ", -42, -56};
    hall[3] = {"\"Q\"", std::numeric_limits<int32_t>::max(), 127};
    hall[4] = {"A=B;[C]", std::numeric_limits<int32_t>::min(), -128};
    hall[5] = {std::string(255, 'n'), 7, 0};
    WriteHallOfFame(Path_, hall);
    const THallOfFame back = ReadHallOfFame(Path_);
    for (size_t i = 0; i < hall.size(); ++i) {
        EXPECT_EQ(back[i].Nome, hall[i].Nome) << i;
        EXPECT_EQ(back[i].Punti, hall[i].Punti) << i;
        EXPECT_EQ(back[i].Livello, hall[i].Livello) << i;
    }
    EXPECT_NE(Get().find("Livello3=-56\n"), std::string::npos);
    // Writing the same table again changes nothing.
    const std::string first = Get();
    WriteHallOfFame(Path_, back);
    EXPECT_EQ(Get(), first);
}

TEST_F(SettingsFileTest, NameWithLineBreaksCannotInjectKeys) {
    THallOfFame hall = DefaultHallOfFame();
    hall[0].Nome = "X\nPunti1=99999\r\n[Record]\0"s;
    WriteHallOfFame(Path_, hall);
    const THallOfFame back = ReadHallOfFame(Path_);
    EXPECT_EQ(back[0].Punti, 10000);
    EXPECT_EQ(back[0].Nome, "X Punti1=99999  [Record] ");
}

TEST_F(SettingsFileTest, OtherContentOfTheFileIsKept) {
    Put("; Tibo settings\r\n[Video]\r\nMode=Window\r\n\r\n[RECORD]\r\nlivello1 = 3\r\nExtra=keep me\r\n"
        "Nome1=Old\r\n\r\n[Sound]\r\nVolume=7\r\n");
    THallOfFame hall = DefaultHallOfFame();
    hall[0].Nome = "New";
    WriteHallOfFame(Path_, hall);

    std::string expected =
        "; Tibo settings\n[Video]\nMode=Window\n\n[RECORD]\nlivello1=1\nExtra=keep me\nNome1=New\nPunti1=10000\n";
    for (int n = 2; n <= 10; ++n) {
        expected += "Nome" + std::to_string(n) + "=Tibo\n";
        expected += "Punti" + std::to_string(n) + "=" + std::to_string(11000 - 1000 * n) + "\n";
        expected += "Livello" + std::to_string(n) + "=1\n";
    }
    expected += "\n[Sound]\nVolume=7\n";
    EXPECT_EQ(Get(), expected);
}

TEST_F(SettingsFileTest, ByteOrderMarkIsKept) {
    Put("\xEF\xBB\xBF[Record]\nNome1=Old\n");
    WriteHallOfFame(Path_, DefaultHallOfFame());
    EXPECT_EQ(Get().substr(0, 23), "\xEF\xBB\xBF[Record]\nNome1=Tibo\n");
}

// --- failures --------------------------------------------------------------

void ExpectWriteError(const std::string& path, const THallOfFame& hall) {
    try {
        WriteHallOfFame(path, hall);
        ADD_FAILURE() << "no error for " << path;
    } catch (const ESettingsError& e) {
        const std::string message = e.what();
        EXPECT_EQ(message.rfind("Unable to write to " + path + ": ", 0), 0u) << message;
        EXPECT_GT(message.size(), ("Unable to write to " + path + ": ").size()) << "no reason given";
    }
}

TEST_F(SettingsFileTest, FolderThatDoesNotExist) {
    const std::string path = (Dir_ / "missing" / SettingsFileName).string();
    ExpectWriteError(path, DefaultHallOfFame());
    EXPECT_FALSE(fs::exists(Dir_ / "missing"));
}

TEST_F(SettingsFileTest, AFolderInPlaceOfTheFileIsNotReplaced) {
    fs::create_directory(Path_);
    std::ofstream(Path_ + "/inside") << "x";
    ExpectWriteError(Path_, DefaultHallOfFame());
    EXPECT_TRUE(fs::is_directory(Path_));
    EXPECT_TRUE(fs::exists(Path_ + "/inside"));
}

using testing_support::TFileSizeLimit;

TEST_F(SettingsFileTest, FullDiskLeavesTheOldFileIntact) {
    const std::string old = "[Record]\nNome1=Keeper\nPunti1=77\n[Mine]\nx=y\n";
    Put(old);
    THallOfFame hall = DefaultHallOfFame();
    hall[0].Nome = "Newcomer";
    {
        TFileSizeLimit limit(64);
        ASSERT_TRUE(limit.Active());
        ExpectWriteError(Path_, hall);
    }
    EXPECT_EQ(Get(), old);
    EXPECT_EQ(ReadHallOfFame(Path_)[0].Nome, "Keeper");
    // Once there is room again the table is written.
    WriteHallOfFame(Path_, hall);
    EXPECT_EQ(ReadHallOfFame(Path_)[0].Nome, "Newcomer");
    EXPECT_NE(Get().find("[Mine]\nx=y\n"), std::string::npos);
}

TEST_F(SettingsFileTest, FullDiskLeavesNoHalfWrittenFileBehind) {
    Put("[Record]\nNome1=Keeper\n");
    {
        TFileSizeLimit limit(16);
        ASSERT_TRUE(limit.Active());
        EXPECT_THROW(WriteHallOfFame(Path_, DefaultHallOfFame()), ESettingsError);
    }
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(Dir_)) names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{SettingsFileName});
}

TEST_F(SettingsFileTest, UnreadableFileIsNotOverwritten) {
    // A file whose reading fails with an I/O error, for every user, root too:
    // the process's own memory read from address 0.
    fs::create_symlink("/proc/self/mem", Path_);
    ExpectWriteError(Path_, DefaultHallOfFame());
    EXPECT_TRUE(fs::is_symlink(Path_));
    EXPECT_EQ(fs::read_symlink(Path_), "/proc/self/mem");
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(Dir_)) names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{SettingsFileName});

    // A file without read permission, where that stops the reader (not root).
    if (::geteuid() != 0) {
        fs::remove(Path_);
        const std::string old = "[Record]\nNome1=Keeper\n[Mine]\nx=y\n";
        Put(old);
        ::chmod(Path_.c_str(), 0200);
        ExpectWriteError(Path_, DefaultHallOfFame());
        ::chmod(Path_.c_str(), 0600);
        EXPECT_EQ(Get(), old);
    }
}

// --- hostile files ---------------------------------------------------------

TEST_F(SettingsFileTest, TheNewFileIsMadeOfItsOwnNeverThroughALinkOrOverAFolder) {
    const std::string victim = (Dir_ / "victim.txt").string();
    {
        std::ofstream(victim) << "precious\n";
    }
    fs::create_symlink(victim, Path_ + ".new");
    Put("[Record]\nNome1=Old\n");
    THallOfFame hall = DefaultHallOfFame();
    hall[0].Nome = "Linked";
    WriteHallOfFame(Path_, hall);
    std::ifstream in(victim);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "precious") << "the file behind the link was overwritten";
    EXPECT_FALSE(fs::is_symlink(Path_));
    EXPECT_TRUE(fs::is_symlink(Path_ + ".new"));
    EXPECT_EQ(ReadHallOfFame(Path_)[0].Nome, "Linked");

    // A folder of that name is in no one's way either.
    fs::remove(Path_ + ".new");
    fs::create_directory(Path_ + ".new");
    hall[0].Nome = "Beside";
    WriteHallOfFame(Path_, hall);
    EXPECT_EQ(ReadHallOfFame(Path_)[0].Nome, "Beside");
    // Nothing but the file, the victim and that folder is left.
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(Dir_)) ++entries;
    EXPECT_EQ(entries, 3);
}

TEST_F(SettingsFileTest, PermissionsAreKeptAndAReadOnlyFileIsLeftAlone) {
    Put("[Record]\nNome1=Old\n");
    for (mode_t mode : {0600, 0640, 0664}) {
        ::chmod(Path_.c_str(), mode);
        WriteHallOfFame(Path_, DefaultHallOfFame());
        struct stat st {};
        ASSERT_EQ(::stat(Path_.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, mode);
    }
    const std::string old = "[Record]\nNome1=Frozen\n";
    Put(old);
    ::chmod(Path_.c_str(), 0444);
    ExpectWriteError(Path_, DefaultHallOfFame());
    try {
        WriteHallOfFame(Path_, DefaultHallOfFame());
    } catch (const ESettingsError& e) {
        EXPECT_NE(std::string(e.what()).find("read-only"), std::string::npos) << e.what();
    }
    EXPECT_EQ(Get(), old);
    EXPECT_EQ(ReadHallOfFame(Path_)[0].Nome, "Frozen") << "a read-only file is still read";
}

TEST_F(SettingsFileTest, TwoGamesClosingAtOnceEachLeaveAWholeTable) {
    THallOfFame a = DefaultHallOfFame(), b = DefaultHallOfFame();
    a[0].Nome = "Anna";
    b[0].Nome = "Bruno";
    b[9].Punti = 12;
    std::atomic<int> failures{0}, torn{0};
    std::atomic<bool> writing{true};
    auto writer = [&](const THallOfFame& hall) {
        for (int i = 0; i < 60; ++i) {
            try {
                WriteHallOfFame(Path_, hall);
            } catch (const std::exception&) {
                ++failures;
            }
        }
    };
    std::thread reader([&] {
        while (writing) {
            const std::string text = Get();
            if (!text.empty() && !text.ends_with("Livello10=1\n")) ++torn;
        }
    });
    std::thread first(writer, std::cref(a)), second(writer, std::cref(b));
    first.join();
    second.join();
    writing = false;
    reader.join();
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(torn, 0);
    const std::string name = ReadHallOfFame(Path_)[0].Nome;
    EXPECT_TRUE(name == "Anna" || name == "Bruno") << name;
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(Dir_)) names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{SettingsFileName}) << "a temporary file was left behind";
}

TEST_F(SettingsFileTest, SpecialAndHugeFilesAreRefusedNamingThemAndLeftAlone) {
    auto expectRefused = [&](const char* what) {
        try {
            ReadHallOfFame(Path_);
            ADD_FAILURE() << what << " was read";
        } catch (const ESettingsError& e) {
            EXPECT_NE(std::string(e.what()).find(Path_), std::string::npos) << e.what();
        }
        ExpectWriteError(Path_, DefaultHallOfFame());
    };
    ASSERT_EQ(::mkfifo(Path_.c_str(), 0600), 0);
    expectRefused("a FIFO");
    EXPECT_TRUE(fs::is_fifo(Path_));
    fs::remove(Path_);
    fs::create_symlink("/dev/zero", Path_);
    expectRefused("/dev/zero");
    EXPECT_TRUE(fs::is_symlink(Path_));
    fs::remove(Path_);

    // Blank lines by the million: refused, unread, and never rewritten.
    Put(std::string(MaxSettingsFileBytes + 1, '\n'));
    expectRefused("a huge file");
    EXPECT_EQ(fs::file_size(Path_), MaxSettingsFileBytes + 1);
    // Up to the limit, read as usual.
    Put(std::string(MaxSettingsFileBytes - 40, '\n') + "[Record]\nNome1=Far\n");
    EXPECT_EQ(ReadHallOfFame(Path_)[0].Nome, "Far");
    // ... but never written beyond it, so that the file can always be read back.
    ExpectWriteError(Path_, DefaultHallOfFame());
    Put(std::string(MaxSettingsFileBytes - 4096, '\n') + "[Record]\nNome1=Far\n");
    WriteHallOfFame(Path_, DefaultHallOfFame());
    EXPECT_EQ(ReadHallOfFame(Path_)[0].Nome, "Tibo");
}

// --- two games, and saves cut short -----------------------------------------

TEST_F(SettingsFileTest, TwoGamesStoringAtOnceKeepEachOthersEntries) {
    // Each round, two games that started from the same file store an entry of
    // their own at the same moment: both entries are there afterwards, and
    // the file is whole at every moment.
    std::atomic<int> torn{0};
    std::atomic<bool> writing{true};
    std::thread reader([&] {
        while (writing) {
            const std::string text = Get();
            if (!text.empty() && !text.ends_with("Livello10=1\n")) ++torn;
        }
    });
    for (int round = 0; round < 25; ++round) {
        const HallEntry a{"Anna" + std::to_string(round), 9500, 2}, b{"Bruno" + std::to_string(round), 9400, 3};
        std::atomic<int> ready{0};
        auto store = [&](const HallEntry& entry) {
            ++ready;
            while (ready < 2) {
            }
            StoreHallEntries(Path_, std::vector<HallEntry>{entry});
        };
        std::thread first(store, std::cref(a)), second(store, std::cref(b));
        first.join();
        second.join();
        const THallOfFame hall = ReadHallOfFame(Path_);
        const int kept = static_cast<int>(std::count(hall.begin(), hall.end(), a) + std::count(hall.begin(), hall.end(), b));
        ASSERT_EQ(kept, 2) << "round " << round << ": an entry was lost";
        EXPECT_EQ(hall[0], (HallEntry{"Tibo", 10000, 1}));
        fs::remove(Path_);
    }
    writing = false;
    reader.join();
    EXPECT_EQ(torn, 0);
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(Dir_)) names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{SettingsFileName + ".lock"s}) << "only the lock is left";
}

TEST_F(SettingsFileTest, ASaveCutShortIsTakenInAtTheStartAndLeftoversOfEndedGamesRemoved) {
    // What a game killed before its rename leaves: "Tibo.Ini.new-<pid>-<n>".
    const THallOfFame keeper = MergeHallEntries(DefaultHallOfFame(), std::vector<HallEntry>{{"Keeper", 20000, 1}});
    // The table of an earlier save, before Keeper's, with an entry of its own.
    auto tableText = [&](const std::string& name, int32_t points) {
        const std::string scratch = (Dir_ / "scratch").string();
        WriteHallOfFame(scratch, MergeHallEntries(DefaultHallOfFame(), std::vector<HallEntry>{{name, points, 4}}));
        std::ifstream in(scratch, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        fs::remove(scratch);
        return text.str();
    };
    auto put = [&](const std::string& suffix, const std::string& text) {
        std::ofstream(Path_ + suffix, std::ios::binary) << text;
    };
    const std::string gone = ".new-999999999-";   // no process has that number
    const std::string running = ".new-" + std::to_string(::getppid()) + "-";
    Put("[Mine]\nx=y\n");
    WriteHallOfFame(Path_, keeper);
    put(gone + "1", tableText("WHOLE", 9500));
    const std::string cut = tableText("CUT", 9600);
    put(gone + "2", cut.substr(0, cut.size() - 3));                                  // in the middle of its last line
    put(gone + "3", cut.substr(0, cut.find("Livello10")));                           // at a line's end, a key short
    put(running + "4", tableText("RUNNING", 9700));                                  // a game still writing it
    const std::string victim = (Dir_ / "victim").string();
    std::ofstream(victim) << "precious";
    fs::create_symlink(victim, Path_ + gone + "5");
    put(".new-x", tableText("ODD", 9800));                                           // not a name of the writer's

    const THallOfFame hall = OpenHallOfFame(Path_);
    EXPECT_EQ(hall, MergeHallEntries(keeper, std::vector<HallEntry>{{"WHOLE", 9500, 4}})) << "the whole file's new entry is taken";
    for (const HallEntry& e : hall) {
        EXPECT_NE(e.Nome, "CUT");
        EXPECT_NE(e.Nome, "RUNNING");
        EXPECT_NE(e.Nome, "ODD");
    }
    EXPECT_EQ(ReadHallOfFame(Path_), hall) << "and kept in the file";
    EXPECT_NE(Get().find("[Mine]\nx=y\n"), std::string::npos) << "whose other settings stay";
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(Dir_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    const std::string ini = SettingsFileName;
    std::vector<std::string> expected = {ini, ini + ".lock", ini + ".new-x", ini + running + "4", "victim"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);
    std::ifstream in(victim);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "precious") << "a link is removed, never followed";

    // Nothing left over: the file is only read, and no lock is made.
    fs::remove(Path_ + ".lock");
    fs::remove(Path_ + running + "4");
    const std::string before = Get();
    EXPECT_EQ(OpenHallOfFame(Path_), hall);
    EXPECT_EQ(Get(), before);
    EXPECT_FALSE(fs::exists(Path_ + ".lock"));
}

TEST_F(SettingsFileTest, NewFilesTakeAFreeNameNeverThroughALinkAndLeaveNothingBehindOnAFullDisk) {
    auto name = [&](int n) { return (Dir_ / ("shot-" + std::to_string(n) + ".png")).string(); };
    const std::vector<uint8_t> data(5000, 7);
    std::ofstream(name(1)) << "taken";
    const std::string target = (Dir_ / "through-the-link").string();
    fs::create_symlink(target, name(2));  // dangling: opening it to write would make the target
    EXPECT_EQ(WriteFileAsNew(name, data), name(3));
    EXPECT_FALSE(fs::exists(target)) << "written through the link";
    EXPECT_EQ(ReadFileBytes(name(3)), data);
    EXPECT_EQ(WriteFileAsNew(name, data), name(4));

    auto entries = [&] {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(Dir_)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    };
    const std::vector<std::string> before = entries();
    // A full disk: the picture is refused, and neither a piece of it nor its
    // name is left; a file written over keeps its old content.
    {
        TFileSizeLimit limit(4096);
        ASSERT_TRUE(limit.Active());
        EXPECT_THROW(WriteFileAsNew(name, data), EFileError);
        EXPECT_THROW(WriteFileBytes(name(3), std::vector<uint8_t>(8000, 1)), EFileError);
    }
    EXPECT_EQ(entries(), before);
    EXPECT_EQ(ReadFileBytes(name(3)), data);
}

// A game killed while F12 wrote its picture leaves it under a name of its own
// writer's ("<name>.new-<pid>-<n>"). The next game names a whole picture
// after its series, without replacing the one that took the name meanwhile,
// removes a picture cut short, and leaves alone what a running game writes
// and what is no screenshot.
TEST_F(SettingsFileTest, ScreenshotsLeftUnnamedByAKilledGameAreNamedOrRemoved) {
    TBitmap picture;
    picture.Resize(64, 48, 0x336699);
    const std::vector<uint8_t> png = EncodePng(picture);
    const std::string folder = Dir_.string();
    auto put = [&](const std::string& name, std::span<const uint8_t> bytes) {
        std::ofstream(Dir_ / name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    };
    const std::string gone = ".new-999999999-";  // no process has that number
    const std::string running = ".new-" + std::to_string(::getppid()) + "-";
    put("tibo-20261208-101010-1.png", std::span(png).first(10));    // a later picture took the name
    put("tibo-20261208-101010-1.png" + gone + "a", png);            // whole
    put("tibo-20261208-101011-1.png" + gone + "b", std::span(png).first(png.size() / 2));  // cut short
    put("tibo-20261208-101012-1.png" + running + "c", png);          // still being written
    put("notes.png" + gone + "d", png);                              // no screenshot
    put(std::string(SettingsFileName) + gone + "e", png);            // the hall of fame's

    EXPECT_EQ(TakeLeftoverScreenshots(folder), std::vector<std::string>{(Dir_ / "tibo-20261208-101010-2.png").string()});
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(Dir_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    std::vector<std::string> expected = {"notes.png" + gone + "d", std::string(SettingsFileName) + gone + "e",
                                         "tibo-20261208-101010-1.png", "tibo-20261208-101010-2.png",
                                         "tibo-20261208-101012-1.png" + running + "c"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);
    EXPECT_EQ(ReadFileBytes((Dir_ / "tibo-20261208-101010-2.png").string()), png);
    EXPECT_EQ(ReadFileBytes((Dir_ / "tibo-20261208-101010-1.png").string()).size(), 10u) << "a name taken is never replaced";
    EXPECT_TRUE(TakeLeftoverScreenshots(folder).empty());
    EXPECT_TRUE(TakeLeftoverScreenshots((Dir_ / "no-such-folder").string()).empty());
}

}  // namespace
}  // namespace tibo
