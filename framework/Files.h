#pragma once
// Whole-file reads and writes; failures raise EFileError naming the file and the reason.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "framework/Errors.h"

namespace tibo {

class EFileError : public EFrameworkError {
public:
    enum class TProblem { Other, Missing, Folder, NotRegular, TooLarge };
    explicit EFileError(const std::string& message, TProblem problem = TProblem::Other)
        : EFrameworkError(message), Problem(problem) {}
    TProblem Problem;
};

// Larger files than this are refused by ReadFileBytes unless told otherwise.
inline constexpr size_t DefaultReadLimit = size_t{64} << 20;

// Reads a regular file whole. A folder, a FIFO, a device or a socket is refused
// without waiting on it, and so is a file of more than `maxBytes`.
std::vector<uint8_t> ReadFileBytes(const std::string& path, size_t maxBytes = DefaultReadLimit);
bool FileExists(const std::string& path);
void WriteFileBytes(const std::string& path, std::span<const uint8_t> data);
void WriteFileText(const std::string& path, std::string_view text);
// Replaces the file so that a crash or a full disk at any moment leaves either
// the old or the new content: a new file of a name no one else uses, made in
// the same folder (never through a link), flushed and synced, renamed over the
// old one, then the folder synced. The new file keeps the old one's permission
// bits. Two programs replacing the same file at once each leave a whole file;
// the later rename wins.
void WriteFileAtomic(const std::string& path, std::string_view content);
std::string JoinPath(const std::string& dir, const std::string& name);

// A file written piece by piece while the program runs (a recording), under
// the name "<path>.partial" until it is whole: Finish() syncs it and renames
// it to `path`, which nothing touches before. A kill or a crash leaves what
// was flushed so far under the ".partial" name; a failed write removes it.
// Only one program writes a given partial file at a time (an advisory lock).
class TPartialFile {
public:
    static constexpr std::string_view Suffix = ".partial";
    // Makes "<path>.partial" at once (never through a link, replacing one
    // that no program writes any more), so that a path that cannot be written
    // is found before anything else is done. Raises EFileError when it cannot
    // be made, when `path` is a folder, no regular file or a file that may
    // not be written, or when another program is writing to the same path.
    explicit TPartialFile(const std::string& path);
    // Unfinished: the partial file is closed and kept, unless nothing was
    // ever written to it.
    ~TPartialFile();
    TPartialFile(const TPartialFile&) = delete;
    TPartialFile& operator=(const TPartialFile&) = delete;

    // Kept in memory until the next Flush.
    void Append(std::string_view text);
    // Hands what was appended to the file (a kill then loses none of it).
    void Flush();
    // Flushes, syncs, renames the file to its path and syncs the folder. The
    // new file keeps the permission bits of the one it replaces.
    void Finish();
    const std::string& PartialPath() const { return Partial_; }
    // Neither finished nor removed after a failure.
    bool InProgress() const { return Fd_ >= 0; }

private:
    // Closes and removes the partial file, then raises "Cannot write".
    [[noreturn]] void Fail(const std::string& why);

    std::string Path_, Partial_;
    int Fd_ = -1;
    std::string Pending_;
    uint64_t Written_ = 0;
};

}  // namespace tibo
