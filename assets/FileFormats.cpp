#include "assets/FileFormats.h"

#include <algorithm>
#include <cstring>

#include "framework/Errors.h"

namespace tibo::assets {
namespace {

uint32_t Get16(std::span<const uint8_t> f, size_t at) {
    return static_cast<uint32_t>(f[at]) | static_cast<uint32_t>(f[at + 1]) << 8;
}
uint32_t Get32(std::span<const uint8_t> f, size_t at) { return Get16(f, at) | Get16(f, at + 2) << 16; }
bool TagAt(std::span<const uint8_t> f, size_t at, const char* tag) { return std::memcmp(f.data() + at, tag, 4) == 0; }

// A chunk id is four printable ASCII characters.
bool LooksLikeChunkId(std::span<const uint8_t> file, size_t at) {
    if (at + 8 > file.size()) return false;
    for (size_t i = 0; i < 4; ++i)
        if (file[at + i] < 0x20 || file[at + i] > 0x7E) return false;
    return true;
}

// The PCM subformat of WAVE_FORMAT_EXTENSIBLE files (after its first two bytes).
constexpr uint8_t PcmGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                     0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

// The chunks of a WAVE file, read as the sound list takes them: a data chunk
// may claim more than the file holds.
std::string ScanWave(std::span<const uint8_t> file, WavInfo& info) {
    if (file.size() < 12 || !TagAt(file, 0, "RIFF") || !TagAt(file, 8, "WAVE")) return "not a WAVE file";
    // The RIFF size is trusted only as far as the file goes.
    const size_t end = std::min<size_t>(file.size(), size_t{8} + Get32(file, 4));
    const std::span<const uint8_t> body = file.first(std::max<size_t>(end, 12));

    bool haveFormat = false, haveData = false;
    size_t at = 12;
    while (at + 8 <= body.size()) {
        const uint32_t size = Get32(body, at + 4);
        const size_t start = at + 8;
        const size_t left = body.size() - start;
        if (TagAt(body, at, "fmt ")) {
            if (size < 16 || size > left) return "WAVE format chunk is damaged";
            TWaveFormat& f = info.Format;
            f.FormatTag = static_cast<uint16_t>(Get16(body, start));
            f.Channels = static_cast<uint16_t>(Get16(body, start + 2));
            f.SamplesPerSec = Get32(body, start + 4);
            f.AvgBytesPerSec = Get32(body, start + 8);
            f.BlockAlign = static_cast<uint16_t>(Get16(body, start + 12));
            f.BitsPerSample = static_cast<uint16_t>(Get16(body, start + 14));
            if (f.FormatTag == 0xFFFE && size >= 40 && Get16(body, start + 24) == 1 &&
                std::memcmp(body.data() + start + 26, PcmGuidTail, sizeof PcmGuidTail) == 0)
                f.FormatTag = 1;  // extensible, PCM inside
            if (f.FormatTag != 1) return "WAVE file is not uncompressed PCM";
            const bool bitsOk = f.BitsPerSample == 8 || f.BitsPerSample == 16 || f.BitsPerSample == 24 ||
                                f.BitsPerSample == 32;
            if (!bitsOk || f.Channels == 0 || f.SamplesPerSec == 0 || f.BlockAlign != f.Channels * (f.BitsPerSample / 8))
                return "WAVE format chunk is damaged";
            haveFormat = true;
        } else if (TagAt(body, at, "data")) {
            info.DataOffset = start;
            info.DataSize = size;
            info.DataHeld = std::min<size_t>(size, left);
            haveData = true;
        } else if (size > left) {
            break;  // a chunk running past the end: what comes after it is lost
        }
        size_t next = start + size;
        // Chunks of odd size are followed by a pad byte (0), which some writers
        // leave out: then the next chunk's id starts right there.
        if ((size & 1) != 0) {
            const bool padByte = next < body.size() && body[next] == 0;
            if (padByte || !LooksLikeChunkId(body, next)) ++next;
        }
        if (next <= at) break;
        at = next;
    }
    if (!haveFormat) return "WAVE file has no format chunk";
    if (!haveData) return "WAVE file has no data chunk";
    info.Frames = static_cast<int64_t>(info.DataSize / info.Format.BlockAlign);
    return "";
}

}  // namespace

size_t BmpRowBytes(int width, int depth) {
    return (static_cast<size_t>(width) * static_cast<size_t>(depth) + 31) / 32 * 4;
}

std::string ReadBmpInfo(std::span<const uint8_t> file, BmpInfo& info) {
    if (file.size() < 2 || file[0] != 'B' || file[1] != 'M') return "not a BMP file";
    if (file.size() < 14 + 12) return "BMP file is truncated";
    const uint32_t offset = Get32(file, 10);
    const uint32_t headerSize = Get32(file, 14);
    if (headerSize < 12 || 14 + static_cast<size_t>(headerSize) > file.size()) return "BMP header is damaged";
    int64_t height = 0;
    if (headerSize == 12) {
        info.Width = static_cast<int>(Get16(file, 18));
        height = static_cast<int16_t>(Get16(file, 20));
        info.Depth = static_cast<int>(Get16(file, 24));
        info.Compression = 0;
    } else {
        if (headerSize < 40) return "BMP header is damaged";
        info.Width = static_cast<int32_t>(Get32(file, 18));
        height = static_cast<int32_t>(Get32(file, 22));
        info.Depth = static_cast<int>(Get16(file, 28));
        info.Compression = static_cast<int>(Get32(file, 30));
    }
    info.Height = static_cast<int>(height < 0 ? -height : height);
    if (info.Width <= 0 || info.Height <= 0 || info.Width > 16384 || info.Height > 16384)
        return "BMP size " + std::to_string(info.Width) + "x" + std::to_string(height) + " is invalid";
    if (info.Depth != 1 && info.Depth != 4 && info.Depth != 8 && info.Depth != 16 && info.Depth != 24 &&
        info.Depth != 32)
        return "BMP depth " + std::to_string(info.Depth) + " is invalid";
    if (offset > file.size()) return "BMP file is truncated";
    if (info.Compression == 0 || info.Compression == 3) {
        const size_t need = BmpRowBytes(info.Width, info.Depth) * static_cast<size_t>(info.Height);
        if (file.size() - offset < need) return "BMP file is truncated";
    }
    return "";
}

bool LooksLikeJpeg(std::span<const uint8_t> file) {
    return file.size() >= 3 && file[0] == 0xFF && file[1] == 0xD8 && file[2] == 0xFF;
}

std::string ReadWavInfo(std::span<const uint8_t> file, WavInfo& info) {
    if (std::string problem = ScanWave(file, info); !problem.empty()) return problem;
    if (info.DataHeld < info.DataSize) return "WAVE file is truncated";
    return "";
}

TWave ReadWave(std::span<const uint8_t> file) {
    WavInfo info;
    if (!ScanWave(file, info).empty()) throw EWaveError(msg::WaveInvalid);
    TWave wave;
    wave.Format = info.Format;
    // Only whole sample frames.
    const size_t held = info.DataHeld - info.DataHeld % info.Format.BlockAlign;
    const auto first = file.begin() + static_cast<std::ptrdiff_t>(info.DataOffset);
    wave.Data.assign(first, first + static_cast<std::ptrdiff_t>(held));
    return wave;
}

}  // namespace tibo::assets
