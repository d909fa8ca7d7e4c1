#include "assets/AssetStore.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <system_error>

#include "assets/Catalogue.h"
#include "assets/FileFormats.h"
#include "framework/Bitmap.h"
#include "framework/Files.h"
#include "framework/ImageCodec.h"

namespace tibo::assets {
namespace {

constexpr std::string_view ContactSheetName = "contact-sheet.png";
// Far more than any asset of the game takes (the largest is some 300 KB).
constexpr size_t MaxAssetFileBytes = size_t{16} << 20;

std::string Size(int w, int h) { return std::to_string(w) + "x" + std::to_string(h); }

std::string Channels(int n) {
    return n == 1 ? "mono" : n == 2 ? "stereo" : "of " + std::to_string(n) + " channels";
}

std::string CheckPicture(const AssetFile& f, std::span<const uint8_t> data) {
    if (f.Kind == AssetKind::Jpeg) {
        if (!LooksLikeJpeg(data)) return "not a JPEG file";
        // The size from the header, before anything is decoded.
        TPictureHeader header;
        if (std::string problem = ReadPictureHeader(data, header); !problem.empty()) return problem;
        if (header.Width != f.Width || header.Height != f.Height)
            return "the picture is " + Size(header.Width, header.Height) + ", it must be " + Size(f.Width, f.Height);
        if (!header.Complete) return "the picture is incomplete: the file ends before the end of its image";
    } else {
        BmpInfo info;
        if (std::string problem = ReadBmpInfo(data, info); !problem.empty()) return problem;
        if (info.Width != f.Width || info.Height != f.Height)
            return "the picture is " + Size(info.Width, info.Height) + ", it must be " + Size(f.Width, f.Height);
        if (info.Depth != f.Depth)
            return "the picture has " + std::to_string(info.Depth) + " bits a pixel, it must have " +
                   std::to_string(f.Depth);
    }
    TBitmap picture;
    try {
        picture = DecodePicture(data);
    } catch (const std::exception& e) {
        return std::string("the picture cannot be decoded: ") + e.what();
    }
    if (picture.Width != f.Width || picture.Height != f.Height)
        return "the picture is " + Size(picture.Width, picture.Height) + ", it must be " + Size(f.Width, f.Height);
    return "";
}

std::string CheckSound(const SoundEntry& s, std::span<const uint8_t> data) {
    WavInfo info;
    if (std::string problem = ReadWavInfo(data, info); !problem.empty()) return problem;
    const int64_t rate = info.Format.SamplesPerSec;
    const int bits = info.Format.BitsPerSample, channels = info.Format.Channels;
    if (rate != s.Rate)
        return "the sound has " + std::to_string(rate) + " samples a second, it must have " + std::to_string(s.Rate);
    if (bits != s.Bits)
        return "the sound has " + std::to_string(bits) + " bits a sample, it must have " + std::to_string(s.Bits);
    if (channels != s.Channels) return "the sound is " + Channels(channels) + ", it must be " + Channels(s.Channels);
    const int64_t want = s.Frames();
    if (info.Frames < want - 1 || info.Frames > want + 1)
        return "the sound has " + std::to_string(info.Frames) + " samples, it must have " + std::to_string(want) +
               " (" + std::to_string(s.Seconds) + " s)";
    return "";
}

}  // namespace

std::string CheckAsset(const std::string& fileName, std::span<const uint8_t> data) {
    const AssetFile* f = FindAssetFile(fileName);
    if (!f) return "not the name of any asset";
    if (data.empty()) return "the file is empty";
    return f->Kind == AssetKind::Wav ? CheckSound(*f->Sound, data) : CheckPicture(*f, data);
}

AssetStore::AssetStore() {
    for (const EmbeddedFile& f : EmbeddedFiles()) Items_.push_back({f.Name, {f.Data, f.Size}});
}

void AssetStore::OverrideFrom(const std::string& dir) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!fs::exists(dir, ec)) throw EAssetError("Asset folder '" + dir + "' cannot be read: it does not exist");
    if (!fs::is_directory(dir, ec)) throw EAssetError("Asset folder '" + dir + "' cannot be read: it is not a folder");
    std::vector<fs::path> paths;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) paths.push_back(it->path());
    if (ec) throw EAssetError("Asset folder '" + dir + "' cannot be read: " + ec.message());
    std::sort(paths.begin(), paths.end());

    // Check every file first, so that a refused folder changes nothing.
    std::map<size_t, std::pair<std::string, std::vector<uint8_t>>> replacements;  // item index -> path, bytes
    for (const fs::path& path : paths) {
        const std::string name = path.filename().string();
        const std::string shown = path.string();
        if (name.starts_with(".") || SameTextIgnoringCase(name, ContactSheetName)) continue;
        if (fs::is_directory(path, ec)) continue;
        auto refused = [&](const std::string& why) { return EAssetError("Asset file '" + shown + "' refused: " + why); };
        const AssetFile* f = FindAssetFile(name);
        const auto item = f ? std::find_if(Items_.begin(), Items_.end(), [&](const Item& i) { return i.Name == f->FileName; })
                            : Items_.end();
        if (item == Items_.end()) throw refused("its name is not the name of any asset");
        const size_t index = static_cast<size_t>(item - Items_.begin());
        if (const auto twin = replacements.find(index); twin != replacements.end())
            throw refused("'" + twin->second.first + "' already replaces " + item->Name);
        std::vector<uint8_t> bytes;
        try {
            bytes = ReadFileBytes(shown, MaxAssetFileBytes);
        } catch (const EFileError& e) {
            throw refused(std::string("it cannot be read: ") + e.what());
        }
        if (const std::string problem = CheckAsset(item->Name, bytes); !problem.empty()) throw refused(problem);
        replacements[index] = {shown, std::move(bytes)};
    }
    for (auto& [index, replacement] : replacements) {
        Owned_.push_back(std::move(replacement.second));
        Items_[index].Data = Owned_.back();
    }
}

std::span<const uint8_t> AssetStore::Get(const std::string& fileName) const {
    const Item* folded = nullptr;
    for (const Item& i : Items_) {
        if (i.Name == fileName) return i.Data;
        if (SameTextIgnoringCase(i.Name, fileName)) folded = &i;  // the last one wins
    }
    if (!folded) throw EAssetError("Asset '" + fileName + "' not found");
    return folded->Data;
}

bool AssetStore::Has(const std::string& fileName) const {
    return std::any_of(Items_.begin(), Items_.end(), [&](const Item& i) { return SameTextIgnoringCase(i.Name, fileName); });
}

std::vector<std::string> AssetStore::Names() const {
    std::vector<std::string> names;
    for (const Item& i : Items_) names.push_back(i.Name);
    return names;
}

}  // namespace tibo::assets
