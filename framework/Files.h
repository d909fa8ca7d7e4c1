#pragma once
// Whole-file reads and writes; failures raise EFileError naming the file and the reason.
#include <cstdint>
#include <functional>
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
// Writes a whole file: a file that is there is replaced as WriteFileAtomic
// does, so that a kill or a full disk leaves the old file or the new one,
// never a piece. A device or a FIFO (/dev/stdout, say) is written to as it is.
void WriteFileBytes(const std::string& path, std::span<const uint8_t> data);
void WriteFileText(const std::string& path, std::string_view text);
// Replaces the file so that a crash or a full disk at any moment leaves either
// the old or the new content: a new file of a name no one else uses, made in
// the same folder (never through a link), flushed and synced, renamed over the
// old one, then the folder synced. The new file keeps the old one's permission
// bits. Two programs replacing the same file at once each leave a whole file;
// the later rename wins.
void WriteFileAtomic(const std::string& path, std::string_view content);

// Writes `data` under a name no file has yet: nameFor(1), nameFor(2), ... the
// first one free. The data is made whole in a temporary file first, which is
// then renamed to that name without replacing anything (a link there is
// neither replaced nor written through: the next name is tried), so a kill
// leaves the name free or holding the whole file. Where the file system has
// no such rename, the name is taken with O_CREAT|O_EXCL|O_NOFOLLOW and the
// file renamed over it. A failure leaves nothing behind. Returns the name.
std::string WriteFileAsNew(const std::function<std::string(int)>& nameFor, std::span<const uint8_t> data);
// Gives the whole file `temp` the first free name of nameFor(1), nameFor(2), ...,
// as WriteFileAsNew does; returns it. On failure `temp` stays where it is.
std::string TakeFreeName(const std::string& temp, const std::function<std::string(int)>& nameFor);

// What stands at a path (a link is followed).
struct TFileStatus {
    enum class TKind { Missing, Regular, Folder, Other };
    TKind Kind = TKind::Missing;
    bool WriteBits = false;   // its mode lets someone write to it
    std::string WriteDenied;  // why this program may not write to it; "" when it may
};
TFileStatus FileStatus(const std::string& path);

// An advisory lock on the file `path` (made if missing, never replaced or
// removed), held while the object lives. Each TFileLock is a lock of its own:
// two in one program exclude each other as two programs do. When another
// holder keeps it longer than `waitMs`, or the file cannot be had (a folder
// no one may write to, a link in its place), Held() is false and the caller
// goes on without it.
class TFileLock {
public:
    explicit TFileLock(const std::string& path, int waitMs = 5000);
    ~TFileLock();
    TFileLock(const TFileLock&) = delete;
    TFileLock& operator=(const TFileLock&) = delete;
    bool Held() const { return Fd_ >= 0; }
private:
    int Fd_ = -1;
};

// The temporary files of WriteFileAtomic for `path` ("<path>.new-<pid>-...")
// that no running program is writing: their programs were killed, or the
// machine stopped, before the rename. Those of the programs still running are
// not listed. Call it holding the lock that every writer of `path` holds.
struct TLeftoverFile {
    std::string Path;
    std::string Name;  // the name it was to take, in the same folder
    bool Regular = false;  // a regular file (not a link, a folder or a device)
};
std::vector<TLeftoverFile> LeftoverNewFiles(const std::string& path);
// The same, in `folder`, for every name that `wanted` accepts.
std::vector<TLeftoverFile> LeftoverNewFilesIn(const std::string& folder, const std::function<bool(std::string_view)>& wanted);
// Removes a file or a link (never what it points to); false when it cannot.
bool RemoveFile(const std::string& path);
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
