#pragma once
// A folder of the test's own under the system's temporary folder, removed with
// everything in it when it goes, even after the test took its write permission
// away.
#include <stdlib.h>  // mkdtemp

#include <cstdint>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <string>
#include <system_error>

#include "framework/Files.h"

namespace tibo::testing_support {

class TempDir {
public:
    // <temporary folder>/<prefix>-XXXXXX, the X made unique.
    explicit TempDir(const std::string& prefix = "tibo-test") {
        std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make the folder " + pattern);
        Path_ = pattern;
    }
    ~TempDir() {
        namespace fs = std::filesystem;
        std::error_code ec;
        fs::permissions(Path_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(Path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return Path_; }
    std::string File(const std::string& name) const { return (std::filesystem::path(Path_) / name).string(); }
    void Write(const std::string& name, std::span<const uint8_t> bytes) const { WriteFileBytes(File(name), bytes); }

private:
    std::string Path_;
};

}  // namespace tibo::testing_support
