#include "framework/Files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tibo {
namespace {

std::string Reason() { return std::strerror(errno); }

[[noreturn]] void Fail(const char* what, const std::string& path, const std::string& reason) {
    throw EFileError(Format("%s %s: %s", what, path.c_str(), reason.c_str()));
}

void WriteAll(int fd, const char* data, size_t size, const std::string& path) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            const std::string why = Reason();
            ::close(fd);
            Fail("Cannot write", path, why);
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
}

std::string DirOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

}  // namespace

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) Fail("Cannot read", path, Reason());
    std::vector<uint8_t> data;
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) data.insert(data.end(), buf, buf + n);
    const bool bad = std::ferror(f) != 0;
    std::fclose(f);
    if (bad) Fail("Cannot read", path, "read error");
    return data;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void WriteFileBytes(const std::string& path, std::span<const uint8_t> data) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) Fail("Cannot write", path, Reason());
    WriteAll(fd, reinterpret_cast<const char*>(data.data()), data.size(), path);
    if (::close(fd) != 0) Fail("Cannot write", path, Reason());
}

void WriteFileAtomic(const std::string& path, std::string_view content) {
    const std::string temp = path + ".new";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) Fail("Cannot write", path, Reason());
    try {
        WriteAll(fd, content.data(), content.size(), path);
    } catch (...) {
        ::unlink(temp.c_str());  // no half-written file left beside the old one
        throw;
    }
    if (::fsync(fd) != 0) {
        const std::string why = Reason();
        ::close(fd);
        ::unlink(temp.c_str());
        Fail("Cannot write", path, why);
    }
    if (::close(fd) != 0) {
        const std::string why = Reason();
        ::unlink(temp.c_str());
        Fail("Cannot write", path, why);
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const std::string why = Reason();
        ::unlink(temp.c_str());
        Fail("Cannot write", path, why);
    }
    const int dir = ::open(DirOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

std::string JoinPath(const std::string& dir, const std::string& name) {
    if (dir.empty()) return name;
    if (dir.back() == '/') return dir + name;
    return dir + "/" + name;
}

}  // namespace tibo
