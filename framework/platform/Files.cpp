#include "framework/Files.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <thread>

namespace tibo {
namespace {

std::string Reason() { return std::strerror(errno); }

// What WriteFileAtomic's temporary files add to the name they replace.
constexpr const char* NewFileMark = ".new-";

[[noreturn]] void Fail(const char* what, const std::string& path, const std::string& reason) {
    throw EFileError(Format("%s %s: %s", what, path.c_str(), reason.c_str()));
}

// Writes it all; false with errno set on failure.
bool WriteWhole(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

void WriteAll(int fd, const char* data, size_t size, const std::string& path) {
    if (WriteWhole(fd, data, size)) return;
    const std::string why = Reason();
    ::close(fd);
    Fail("Cannot write", path, why);
}

std::string DirOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

}  // namespace

std::vector<uint8_t> ReadFileBytes(const std::string& path, size_t maxBytes) {
    using P = EFileError::TProblem;
    // Without O_NONBLOCK, opening a FIFO would wait for a writer forever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int e = errno;
        throw EFileError(Format("Cannot read %s: %s", path.c_str(), std::strerror(e)), e == ENOENT ? P::Missing : P::Other);
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const std::string why = Reason();
        ::close(fd);
        Fail("Cannot read", path, why);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        if (S_ISDIR(st.st_mode)) throw EFileError(Format("Cannot read %s: it is a folder", path.c_str()), P::Folder);
        throw EFileError(Format("Cannot read %s: it is not a regular file (a FIFO, a device or a socket)", path.c_str()),
                         P::NotRegular);
    }
    auto tooLarge = [&] {
        ::close(fd);
        return EFileError(Format("Cannot read %s: it is larger than %zu bytes", path.c_str(), maxBytes), P::TooLarge);
    };
    if (static_cast<uintmax_t>(st.st_size) > maxBytes) throw tooLarge();
    std::vector<uint8_t> data(static_cast<size_t>(st.st_size));
    size_t have = 0;
    for (;;) {
        // One byte of room beyond the limit tells a file that grew too large.
        if (have == data.size()) {
            if (have > maxBytes) throw tooLarge();
            data.resize(std::min(maxBytes + 1, std::max<size_t>(have * 2, 4096)));
        }
        const ssize_t n = ::read(fd, data.data() + have, data.size() - have);
        if (n < 0) {
            if (errno == EINTR) continue;
            const std::string why = Reason();
            ::close(fd);
            Fail("Cannot read", path, why);
        }
        if (n == 0) break;
        have += static_cast<size_t>(n);
    }
    ::close(fd);
    if (have > maxBytes) throw EFileError(Format("Cannot read %s: it is larger than %zu bytes", path.c_str(), maxBytes), P::TooLarge);
    data.resize(have);
    return data;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void WriteFileBytes(const std::string& path, std::span<const uint8_t> data) {
    const std::string_view content(reinterpret_cast<const char*>(data.data()), data.size());
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)) {
        WriteFileAtomic(path, content);
        return;
    }
    // A device or a FIFO holds nothing to lose and cannot be renamed over.
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) Fail("Cannot write", path, Reason());
    WriteAll(fd, content.data(), content.size(), path);
    if (::close(fd) != 0) Fail("Cannot write", path, Reason());
}

void WriteFileText(const std::string& path, std::string_view text) {
    WriteFileBytes(path, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

namespace {

// A new file of a name no one else uses beside `path`, "<path>.new-<pid>-<n>":
// O_EXCL never opens what is there already, a link included, so nothing else
// can be written through it. Its name goes to `temp`.
int MakeNewFileBeside(const std::string& path, std::string& temp) {
    static std::atomic<uint64_t> counter{0};
    for (int attempt = 0;; ++attempt) {
        const uint64_t stamp = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
        temp = Format("%s%s%ld-%llx", path.c_str(), NewFileMark, static_cast<long>(::getpid()),
                      static_cast<unsigned long long>(stamp ^ (counter.fetch_add(1) << 40)));
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd >= 0) return fd;
        if (errno != EEXIST || attempt >= 100)
            Fail("Cannot write", path, "a new file cannot be made in " + DirOf(path) + ": " + Reason());
    }
}

// Writes it all to the new file and syncs and closes it; on failure the new
// file is removed, so that no half-written file is left beside the old one.
void FillNewFile(int fd, const std::string& temp, std::string_view content, const std::string& path) {
    auto failWith = [&](const std::string& why) {
        ::close(fd);
        ::unlink(temp.c_str());
        Fail("Cannot write", path, why);
    };
    try {
        WriteAll(fd, content.data(), content.size(), path);
    } catch (...) {
        ::unlink(temp.c_str());
        throw;
    }
    if (::fsync(fd) != 0) failWith(Reason());
    if (::close(fd) != 0) {
        const std::string why = Reason();
        ::unlink(temp.c_str());
        Fail("Cannot write", path, why);
    }
}

void SyncFolderOf(const std::string& path) {
    const int dir = ::open(DirOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

}  // namespace

void WriteFileAtomic(const std::string& path, std::string_view content) {
    struct stat old {};
    const bool replacing = ::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    std::string temp;
    const int fd = MakeNewFileBeside(path, temp);
    if (replacing && ::fchmod(fd, old.st_mode & 07777) != 0) {
        const std::string why = Reason();
        ::close(fd);
        ::unlink(temp.c_str());
        Fail("Cannot write", path, why);
    }
    FillNewFile(fd, temp, content, path);
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const std::string why = Reason();
        ::unlink(temp.c_str());
        Fail("Cannot write", path, why);
    }
    SyncFolderOf(path);
}

std::string WriteFileAsNew(const std::function<std::string(int)>& nameFor, std::span<const uint8_t> data) {
    const std::string first = nameFor(1);
    std::string temp;
    const int fd = MakeNewFileBeside(first, temp);
    FillNewFile(fd, temp, std::string_view(reinterpret_cast<const char*>(data.data()), data.size()), first);
    try {
        return TakeFreeName(temp, nameFor);
    } catch (...) {
        ::unlink(temp.c_str());
        throw;
    }
}

std::string TakeFreeName(const std::string& temp, const std::function<std::string(int)>& nameFor) {
    // The name is taken only now that the data is whole, by a rename that
    // replaces nothing (a link there included): a kill at any moment leaves
    // the name free or holding the whole file. Where the file system cannot
    // rename so, the name is taken with O_CREAT|O_EXCL|O_NOFOLLOW, then the
    // file renamed over it: it stays empty no longer than the rename takes.
#ifdef RENAME_NOREPLACE
    bool exclusiveRename = true;
#endif
    for (int n = 1;; ++n) {
        const std::string path = nameFor(n);
#ifdef RENAME_NOREPLACE
        if (exclusiveRename) {
            if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0) {
                SyncFolderOf(path);
                return path;
            }
            if (errno == EEXIST && n < 100000) continue;
            if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) Fail("Cannot write", path, Reason());
        }
        exclusiveRename = false;
#endif
        const int taken = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (taken < 0) {
            if (errno == EEXIST && n < 100000) continue;
            Fail("Cannot write", path, Reason());
        }
        ::close(taken);
        if (::rename(temp.c_str(), path.c_str()) != 0) {
            const std::string why = Reason();
            ::unlink(path.c_str());
            Fail("Cannot write", path, why);
        }
        SyncFolderOf(path);
        return path;
    }
}

TFileStatus FileStatus(const std::string& path) {
    TFileStatus status;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return status;
    using K = TFileStatus::TKind;
    status.Kind = S_ISREG(st.st_mode) ? K::Regular : S_ISDIR(st.st_mode) ? K::Folder : K::Other;
    status.WriteBits = (st.st_mode & 0222) != 0;
    if (::access(path.c_str(), W_OK) != 0) status.WriteDenied = Reason();
    return status;
}

TFileLock::TFileLock(const std::string& path, int waitMs) {
    // Read and write where it may, read-only otherwise (a lock needs neither
    // on most file systems); never through a link, never waiting on a FIFO.
    constexpr int flags = O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    int fd = ::open(path.c_str(), O_RDWR | flags, 0644);
    if (fd < 0 && errno == EACCES) fd = ::open(path.c_str(), O_RDONLY | flags, 0644);
    if (fd < 0) return;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return;
    }
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            Fd_ = fd;
            return;
        }
        if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= until) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ::close(fd);
}

TFileLock::~TFileLock() {
    if (Fd_ >= 0) ::close(Fd_);  // closing lets go of the lock
}

std::vector<TLeftoverFile> LeftoverNewFiles(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return LeftoverNewFilesIn(DirOf(path), [&](std::string_view base) { return base == name; });
}

std::vector<TLeftoverFile> LeftoverNewFilesIn(const std::string& folder, const std::function<bool(std::string_view)>& wanted) {
    std::vector<TLeftoverFile> found;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return found;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        const size_t mark = name.rfind(NewFileMark);
        if (mark == std::string_view::npos || mark == 0 || !wanted(name.substr(0, mark))) continue;
        // "<pid>-<n>": a program still running may be writing it.
        const std::string_view rest = name.substr(mark + std::string_view(NewFileMark).size());
        long pid = 0;
        size_t at = 0;
        while (at < rest.size() && rest[at] >= '0' && rest[at] <= '9' && pid < 100000000) pid = pid * 10 + (rest[at++] - '0');
        if (at == 0 || at >= rest.size() || rest[at] != '-') continue;
        const bool running = pid != static_cast<long>(::getpid()) && pid > 0 &&
                             (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
        if (running) continue;
        TLeftoverFile file;
        file.Path = JoinPath(folder, std::string(name));
        file.Name = std::string(name.substr(0, mark));
        struct stat st {};
        file.Regular = ::lstat(file.Path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
        found.push_back(file);
    }
    ::closedir(dir);
    std::sort(found.begin(), found.end(), [](const TLeftoverFile& a, const TLeftoverFile& b) { return a.Path < b.Path; });
    return found;
}

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

std::string JoinPath(const std::string& dir, const std::string& name) {
    if (dir.empty()) return name;
    if (dir.back() == '/') return dir + name;
    return dir + "/" + name;
}

TPartialFile::TPartialFile(const std::string& path) : Path_(path), Partial_(path + std::string(Suffix)) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) Fail("it is a folder");
        if (!S_ISREG(st.st_mode)) Fail("it is not a regular file (a FIFO, a device or a socket)");
        if ((st.st_mode & 0222) == 0) Fail("the file is read-only; it is left as it is");
        if (::access(path.c_str(), W_OK) != 0) Fail(Reason());
    }
    for (int attempt = 0; Fd_ < 0; ++attempt) {
        Fd_ = ::open(Partial_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (Fd_ >= 0) break;
        if (errno != EEXIST || attempt >= 10) Fail("a new file cannot be made: " + Partial_ + ": " + Reason());
        // A partial file of an earlier run: replaced, unless a running
        // program still writes it (it holds the lock). A link is removed,
        // never followed.
        struct stat old {};
        if (::lstat(Partial_.c_str(), &old) != 0) continue;
        if (S_ISREG(old.st_mode)) {
            const int fd = ::open(Partial_.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
            if (fd >= 0) {
                const bool inUse = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
                ::close(fd);
                if (inUse) Fail("another program is writing it (" + Partial_ + " is in use)");
            }
        } else if (!S_ISLNK(old.st_mode)) {
            Fail(Partial_ + " is in the way and no regular file");
        }
        ::unlink(Partial_.c_str());
    }
    if (::flock(Fd_, LOCK_EX | LOCK_NB) != 0) Fail("another program is writing it (" + Partial_ + " is in use)");
}

TPartialFile::~TPartialFile() {
    if (Fd_ < 0) return;
    // A crash keeps what there is; errors no longer matter here.
    if (!Pending_.empty() && WriteWhole(Fd_, Pending_.data(), Pending_.size())) Written_ += Pending_.size();
    if (Written_ == 0) ::unlink(Partial_.c_str());
    ::close(Fd_);
}

void TPartialFile::Fail(const std::string& why) {
    if (Fd_ >= 0) {
        // Only a file that is still this one's own is removed.
        struct stat mine {}, named {};
        if (::fstat(Fd_, &mine) == 0 && ::lstat(Partial_.c_str(), &named) == 0 && mine.st_dev == named.st_dev &&
            mine.st_ino == named.st_ino)
            ::unlink(Partial_.c_str());
        ::close(Fd_);
        Fd_ = -1;
    }
    Pending_.clear();
    throw EFileError(Format("Cannot write %s: %s", Path_.c_str(), why.c_str()));
}

void TPartialFile::Append(std::string_view text) {
    if (Fd_ >= 0) Pending_ += text;
}

void TPartialFile::Flush() {
    if (Fd_ < 0 || Pending_.empty()) return;
    if (!WriteWhole(Fd_, Pending_.data(), Pending_.size())) Fail(Reason());
    Written_ += Pending_.size();
    Pending_.clear();
}

void TPartialFile::Finish() {
    if (Fd_ < 0) return;
    Flush();
    struct stat old {};
    if (::stat(Path_.c_str(), &old) == 0 && S_ISREG(old.st_mode) && ::fchmod(Fd_, old.st_mode & 07777) != 0) Fail(Reason());
    if (::fsync(Fd_) != 0) Fail(Reason());
    struct stat mine {}, named {};
    if (::fstat(Fd_, &mine) != 0 || ::lstat(Partial_.c_str(), &named) != 0 || mine.st_dev != named.st_dev || mine.st_ino != named.st_ino) {
        ::close(Fd_);
        Fd_ = -1;
        throw EFileError(Format("Cannot write %s: %s was replaced by another program", Path_.c_str(), Partial_.c_str()));
    }
    // Renamed while still locked, so that no other program takes the name meanwhile.
    if (::rename(Partial_.c_str(), Path_.c_str()) != 0) Fail(Reason());
    ::close(Fd_);
    Fd_ = -1;
    SyncFolderOf(Path_);
}

}  // namespace tibo
