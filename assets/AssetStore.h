#pragma once
// The game's assets by file name: the embedded ones, optionally replaced by
// files from a folder given on the command line.
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "framework/Errors.h"

namespace tibo::assets {

class EAssetError : public EFrameworkError { public: using EFrameworkError::EFrameworkError; };

struct EmbeddedFile {
    const char* Name;        // "Ominodx0.bmp"
    const uint8_t* Data;
    size_t Size;
};
// Generated at build time from the editable sources.
std::span<const EmbeddedFile> EmbeddedFiles();

class AssetStore {
public:
    // The embedded assets.
    AssetStore();
    // Replaces embedded assets by the files of that name in `dir`; each one is
    // checked against the catalogue (size, depth, format) and refused with an
    // EAssetError naming the file when it does not fit.
    // Names match without regard to case (exact first). A file whose name is
    // no asset's is refused too, so that a misspelt name is caught; only
    // "contact-sheet.png", hidden files and sub-folders are passed over. Every
    // file is checked before any is taken: a refused folder changes nothing.
    void OverrideFrom(const std::string& dir);
    // Exact name first, then without regard to case; raises EAssetError when missing.
    std::span<const uint8_t> Get(const std::string& fileName) const;
    bool Has(const std::string& fileName) const;
    std::vector<std::string> Names() const;  // in embedding order

private:
    struct Item { std::string Name; std::span<const uint8_t> Data; };
    std::vector<Item> Items_;
    std::vector<std::vector<uint8_t>> Owned_;  // bytes of overriding files
};

// Checks one asset file's bytes against its catalogue entry; returns "" when it
// fits, otherwise the reason.
std::string CheckAsset(const std::string& fileName, std::span<const uint8_t> data);

}  // namespace tibo::assets
