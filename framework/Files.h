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

}  // namespace tibo
