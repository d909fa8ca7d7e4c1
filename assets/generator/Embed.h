#pragma once
// Writes the C++ source that carries the asset files inside the program.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tibo::assets {

struct NamedBytes {
    std::string Name;
    std::vector<uint8_t> Bytes;
};

// The text of a source file defining tibo::assets::EmbeddedFiles() over `files`,
// in their order. Each file is one string literal written in short lines of
// printable characters and three-digit octal escapes.
std::string EmbeddedSource(const std::vector<NamedBytes>& files);

}  // namespace tibo::assets
