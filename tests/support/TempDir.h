#pragma once
// A folder of the test's own, removed with everything in it.
#include <cstdlib>
#include <filesystem>
#include <string>

namespace tibo::testing_support {

class TempDir {
public:
    TempDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "tibo-test-XXXXXX").string();
        Path_ = ::mkdtemp(tmpl.data());
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(Path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string File(const std::string& name) const { return (std::filesystem::path(Path_) / name).string(); }
    const std::string& Path() const { return Path_; }

private:
    std::string Path_;
};

}  // namespace tibo::testing_support
