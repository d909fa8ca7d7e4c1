#include "framework/Files.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/TempDir.h"

namespace tibo {
namespace {

namespace fs = std::filesystem;

std::string Text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// The file a recording is written to while the game runs.
TEST(PartialFileTest, TheFileIsItsPathOnlyWhenWholeAndAPartOneIsKept) {
    const testing_support::TempDir dir("tibo-partial");
    const std::string folder = dir.Path();
    const std::string path = folder + "/game.replay", partial = path + ".partial";
    std::ofstream(path) << "old";
    ::chmod(path.c_str(), 0600);
    {
        TPartialFile file(path);
        file.Append("one\n");
        EXPECT_EQ(Text(partial), "") << "kept in memory until flushed";
        file.Flush();
        file.Append("two\n");
        file.Flush();
        EXPECT_EQ(Text(partial), "one\ntwo\n");
        EXPECT_EQ(Text(path), "old");
        // Another program writing the same path is told so at once.
        try {
            TPartialFile second(path);
            ADD_FAILURE() << "a second writer";
        } catch (const EFileError& e) {
            EXPECT_NE(std::string(e.what()).find("in use"), std::string::npos) << e.what();
        }
        file.Finish();
    }
    EXPECT_EQ(Text(path), "one\ntwo\n");
    EXPECT_FALSE(fs::exists(partial));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << "the old file's permissions";

    // Unfinished: what there is stays under the partial name, the file untouched.
    {
        TPartialFile file(path);
        file.Append("cut\n");
    }
    EXPECT_EQ(Text(partial), "cut\n");
    EXPECT_EQ(Text(path), "one\ntwo\n");
    // A leftover one is replaced; one never written to is no recording.
    {
        TPartialFile file(path);
    }
    EXPECT_FALSE(fs::exists(partial));
    // A link at the partial name is not followed.
    fs::create_symlink(folder + "/target", partial);
    {
        TPartialFile file(path);
        file.Append("new\n");
        file.Finish();
    }
    EXPECT_FALSE(fs::exists(folder + "/target"));
    EXPECT_EQ(Text(path), "new\n");
    // A folder, or a folder that is not there.
    for (const std::string& bad : {folder, folder + "/none/x.replay"}) EXPECT_THROW(TPartialFile{bad}, EFileError) << bad;
}

}  // namespace
}  // namespace tibo
