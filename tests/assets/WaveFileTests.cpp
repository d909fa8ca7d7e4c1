// WAVE files as the game reads them, from any writer: odd chunks with or
// without their pad byte, unknown chunks, a data chunk cut short.
#include "assets/FileFormats.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "assets/generator/Encoders.h"
#include "framework/Errors.h"

namespace tibo::assets {
namespace {

void Chunk(std::vector<uint8_t>& v, const char* id, const std::vector<uint8_t>& body, bool pad = true) {
    v.insert(v.end(), id, id + 4);
    Put32(v, static_cast<uint32_t>(body.size()));
    v.insert(v.end(), body.begin(), body.end());
    if (pad && body.size() % 2 != 0) v.push_back(0);
}
std::vector<uint8_t> Fmt(uint16_t channels, uint32_t rate, uint16_t bits, bool extra = false) {
    std::vector<uint8_t> f;
    Put16(f, 1);
    Put16(f, channels);
    Put32(f, rate);
    Put32(f, rate * channels * bits / 8);
    Put16(f, static_cast<uint16_t>(channels * bits / 8));
    Put16(f, bits);
    if (extra) Put16(f, 0);   // the 18-byte form
    return f;
}
std::vector<uint8_t> Riff(const std::vector<uint8_t>& chunks) {
    std::vector<uint8_t> v{'R', 'I', 'F', 'F'};
    Put32(v, static_cast<uint32_t>(4 + chunks.size()));
    v.insert(v.end(), {'W', 'A', 'V', 'E'});
    v.insert(v.end(), chunks.begin(), chunks.end());
    return v;
}

TEST(WaveFileTest, ReadsTheFormatAndTheSamples) {
    std::vector<uint8_t> chunks;
    Chunk(chunks, "fmt ", Fmt(1, 11025, 8, true));
    Chunk(chunks, "data", {1, 2, 3, 4, 5});
    const TWave w = ReadWave(Riff(chunks));
    EXPECT_EQ(w.Format.Channels, 1);
    EXPECT_EQ(w.Format.SamplesPerSec, 11025u);
    EXPECT_EQ(w.Format.BitsPerSample, 8);
    EXPECT_EQ(w.Data, (std::vector<uint8_t>{1, 2, 3, 4, 5}));
    EXPECT_NEAR(w.Seconds(), 5.0 / 11025.0, 1e-12);

    // And back: the file written reads the same.
    const TWave again = ReadWave(EncodeWav({11025, 8, 1}, w.Data));
    EXPECT_EQ(again.Data, w.Data);
    EXPECT_EQ(again.Format.BlockAlign, 1);
}

TEST(WaveFileTest, ToleratesOddChunksExtraChunksAndAShortDataChunk) {
    // An odd chunk without its pad byte, unknown chunks before and after.
    std::vector<uint8_t> chunks;
    Chunk(chunks, "LIST", {'I', 'N', 'F', 'O', 'x'}, false);
    Chunk(chunks, "fmt ", Fmt(2, 22050, 16));
    Chunk(chunks, "fact", {0, 0, 0});   // odd, padded
    Chunk(chunks, "data", {1, 0, 2, 0, 3, 0, 4, 0, 9, 9});
    Chunk(chunks, "smpl", {7});
    TWave w = ReadWave(Riff(chunks));
    EXPECT_EQ(w.Format.Channels, 2);
    EXPECT_EQ(w.Format.BlockAlign, 4);
    EXPECT_EQ(w.Data, (std::vector<uint8_t>{1, 0, 2, 0, 3, 0, 4, 0}));   // whole frames only

    // Unpadded before a chunk whose size starts with a printable byte (100 = 'd').
    std::vector<uint8_t> tight;
    Chunk(tight, "fmt ", Fmt(1, 8000, 8));
    Chunk(tight, "note", {'a', 'b', 'c'}, false);
    Chunk(tight, "data", std::vector<uint8_t>(100, 7));
    w = ReadWave(Riff(tight));
    EXPECT_EQ(w.Data, std::vector<uint8_t>(100, 7));

    // A data chunk that claims more than the file holds keeps what is there.
    std::vector<uint8_t> cut;
    Chunk(cut, "fmt ", Fmt(1, 8000, 8));
    cut.insert(cut.end(), {'d', 'a', 't', 'a'});
    Put32(cut, 1000);
    cut.insert(cut.end(), {10, 20, 30});
    w = ReadWave(Riff(cut));
    EXPECT_EQ(w.Data, (std::vector<uint8_t>{10, 20, 30}));
}

TEST(WaveFileTest, RejectsWhatIsNotAPcmWave) {
    const auto invalid = [](const std::vector<uint8_t>& file) {
        try {
            ReadWave(file);
        } catch (const EWaveError& e) {
            return std::string(e.what()) == "Wave is invalid";
        }
        return false;
    };
    std::vector<uint8_t> good;
    Chunk(good, "fmt ", Fmt(1, 11025, 8));
    Chunk(good, "data", {1, 2});
    EXPECT_FALSE(invalid(Riff(good)));

    EXPECT_TRUE(invalid({}));
    EXPECT_TRUE(invalid({'R', 'I', 'F', 'F', 0, 0, 0, 0, 'A', 'V', 'I', ' '}));

    std::vector<uint8_t> noData;
    Chunk(noData, "fmt ", Fmt(1, 11025, 8));
    EXPECT_TRUE(invalid(Riff(noData)));

    std::vector<uint8_t> noFormat;
    Chunk(noFormat, "data", {1, 2});
    EXPECT_TRUE(invalid(Riff(noFormat)));

    std::vector<uint8_t> compressed;
    std::vector<uint8_t> adpcm = Fmt(1, 11025, 4);
    adpcm[0] = 2;
    Chunk(compressed, "fmt ", adpcm);
    Chunk(compressed, "data", {1, 2});
    EXPECT_TRUE(invalid(Riff(compressed)));

    std::vector<uint8_t> shortFormat;
    Chunk(shortFormat, "fmt ", {1, 0, 1, 0});
    Chunk(shortFormat, "data", {1, 2});
    EXPECT_TRUE(invalid(Riff(shortFormat)));

    std::vector<uint8_t> noChannels;
    Chunk(noChannels, "fmt ", Fmt(0, 11025, 8));
    Chunk(noChannels, "data", {1, 2});
    EXPECT_TRUE(invalid(Riff(noChannels)));

    // A chunk running past the end before the samples were found.
    std::vector<uint8_t> runaway;
    runaway.insert(runaway.end(), {'J', 'U', 'N', 'K'});
    Put32(runaway, 5000);
    runaway.insert(runaway.end(), {1, 2, 3});
    EXPECT_TRUE(invalid(Riff(runaway)));
}

}  // namespace
}  // namespace tibo::assets
