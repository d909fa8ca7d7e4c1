#pragma once
// Whole-file reads and writes; failures raise EFileError naming the file and the reason.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "framework/Errors.h"

namespace tibo {

class EFileError : public EFrameworkError { public: using EFrameworkError::EFrameworkError; };

std::vector<uint8_t> ReadFileBytes(const std::string& path);
bool FileExists(const std::string& path);
void WriteFileBytes(const std::string& path, std::span<const uint8_t> data);
// Replaces the file so that a crash or a full disk at any moment leaves either
// the old or the new content: a new file beside it, flushed and synced, renamed
// over the old one, then the folder synced.
void WriteFileAtomic(const std::string& path, std::string_view content);
std::string JoinPath(const std::string& dir, const std::string& name);

}  // namespace tibo
