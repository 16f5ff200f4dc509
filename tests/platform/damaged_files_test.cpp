// Damaged pictures, fonts and sounds that the loaders once mishandled: a picture header with no
// pixels or with more than a texture holds, a face whose glyphs are thousands of pixels across,
// and chained Ogg Vorbis files damaged near their end.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/audio.h"
#include "platform/draw.h"
#include "platform/internal.h"
#include "platform/sound_decode.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

const fs::path kCorpus = fs::path(VANTOR_SOURCE_DIR) / "tests/fuzz/corpus";

Bytes ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class DamagedFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("vantor_damaged_" + std::to_string(getpid()) + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Write(const std::string& name, const Bytes& bytes) {
        const std::string path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return path;
    }

    fs::path dir_;
};

// A 24-bit TGA header of the given size followed by a few pixels.
Bytes TgaOfSize(int width, int height) {
    Bytes bytes = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (int value : {width, height}) {
        bytes.push_back(static_cast<std::uint8_t>(value & 255));
        bytes.push_back(static_cast<std::uint8_t>(value >> 8));
    }
    bytes.insert(bytes.end(), {24, 0});
    bytes.resize(bytes.size() + 3 * 12, 0x80);
    return bytes;
}

TEST_F(DamagedFiles, PictureHeadersWithoutPixelsGiveNoImage) {
    ASSERT_TRUE(platform::LoadImage(Write("ok.tga", TgaOfSize(3, 4))));
    EXPECT_FALSE(platform::LoadImage(Write("no_width.tga", TgaOfSize(0, 11))));
    EXPECT_FALSE(platform::LoadImage(Write("no_height.tga", TgaOfSize(11, 0))));
    EXPECT_FALSE(platform::LoadAnimImage(Write("no_width2.tga", TgaOfSize(0, 11)), 1, 1, 0, 1));
}

// A run-length coded TGA of width x height pixels of one colour: a few bytes for any size.
Bytes RleTga(int width, int height) {
    Bytes bytes = TgaOfSize(width, height);
    bytes[2] = 10;
    bytes.resize(18);
    for (long long left = static_cast<long long>(width) * height; left > 0; left -= 128) {
        bytes.push_back(static_cast<std::uint8_t>(0x80 | (std::min<long long>(left, 128) - 1)));
        bytes.insert(bytes.end(), {0x20, 0x40, 0x60});
    }
    return bytes;
}

TEST_F(DamagedFiles, PicturesLargerThanATextureHoldsAreRefusedBeforeDecoding) {
    // At the limits: 16384 pixels on a side, 4096 x 4096 pixels in all.
    const platform::Image strip = platform::LoadImage(Write("strip.tga", RleTga(16384, 2)));
    ASSERT_TRUE(strip);
    EXPECT_EQ(strip->width, 16384);
    EXPECT_FALSE(platform::LoadImage(Write("long.tga", RleTga(16385, 1))));
    EXPECT_FALSE(platform::LoadImage(Write("tall.tga", RleTga(1, 16385))));
    EXPECT_FALSE(platform::LoadImage(Write("area.tga", RleTga(4097, 4096))));
    EXPECT_FALSE(platform::LoadAnimImage(Write("area2.tga", RleTga(4097, 4096)), 4097, 1, 0, 1));

    // A JPEG whose frame header claims more rows than its data holds.
    Bytes jpeg = ReadBytes(kCorpus / "image/plain.jpg");
    ASSERT_TRUE(platform::LoadImage(Write("plain.jpg", jpeg)));
    std::size_t frame = 2;
    while (frame + 9 < jpeg.size() && !(jpeg[frame] == 0xFF && jpeg[frame + 1] == 0xC0)) ++frame;
    ASSERT_LT(frame + 9, jpeg.size());
    jpeg[frame + 5] = 0x40;  // 16 -> 16400 rows
    jpeg[frame + 6] = 0x10;
    EXPECT_FALSE(platform::LoadImage(Write("tall.jpg", jpeg)));

    // A PNG header of 5000 x 5000 pixels.
    Bytes png = ReadBytes(kCorpus / "image/rgba.png");
    ASSERT_TRUE(platform::LoadImage(Write("rgba.png", png)));
    for (int at : {16, 20}) png[at + 2] = 0x13, png[at + 3] = 0x88;
    EXPECT_FALSE(platform::LoadImage(Write("big.png", png)));
}

// Offset of a table in a TrueType file's table directory; 0 when absent.
std::size_t TableOffset(const Bytes& font, const char* tag) {
    const std::size_t tables = font[4] << 8 | font[5];
    for (std::size_t i = 0; i < tables; ++i) {
        const std::uint8_t* entry = font.data() + 12 + 16 * i;
        if (std::memcmp(entry, tag, 4) == 0)
            return static_cast<std::size_t>(entry[8]) << 24 | entry[9] << 16 | entry[10] << 8 | entry[11];
    }
    return 0;
}

TEST_F(DamagedFiles, GlyphsFarBeyondTheFontHeightDrawNothing) {
    // The seed font without its first byte (the fuzzer's height and style).
    Bytes face = ReadBytes(kCorpus / "font/roboto_condensed_48_smooth.bin");
    ASSERT_GT(face.size(), 100u);
    face.erase(face.begin());
    const platform::Font good = platform::LoadImageFont(Write("good.ttf", face), 16, 4);
    ASSERT_TRUE(good);
    const platform::detail::GlyphBox& a = platform::detail::FontGlyphs(*good)['A'];
    EXPECT_GT(a.x1 - a.x0, 2);
    EXPECT_LT(a.x1 - a.x0, 32);

    // 16 font units to the em instead of 2048: every outline becomes 128 times too large.
    const std::size_t head = TableOffset(face, "head");
    ASSERT_NE(head, 0u);
    face[head + 18] = 0;
    face[head + 19] = 16;
    const platform::Font damaged = platform::LoadImageFont(Write("huge.ttf", face), 16, 4);
    ASSERT_TRUE(damaged);  // the advances still measure text
    const platform::detail::GlyphBox* glyphs = platform::detail::FontGlyphs(*damaged);
    EXPECT_EQ(glyphs['A'].x1 - glyphs['A'].x0, 0);
    EXPECT_EQ(glyphs['b'].y1 - glyphs['b'].y0, 0);
    EXPECT_GT(glyphs['A'].advance, 0);
}

TEST_F(DamagedFiles, ChainedVorbisDamagedNearItsEndKeepsItsFirstStream) {
    const platform::Sound mono = platform::LoadSound((kCorpus / "ogg/mono.ogg").string());
    ASSERT_TRUE(mono);
    const Bytes chained = ReadBytes(kCorpus / "ogg/chained_mono_then_stereo.ogg");
    ASSERT_EQ(chained.size(), 5727u) << "the seed file changed; pick the damaged bytes again";

    // The checksum of the last page broken.
    Bytes bad_crc = chained;
    const std::string text(chained.begin(), chained.end());
    bad_crc[text.rfind("OggS") + 22] ^= 0xff;
    // Four bytes of the stereo stream's audio page rotated: the file the fuzzer found, which
    // also leaked memory inside the library while it was rejected.
    Bytes rotated = chained;
    std::rotate(rotated.begin() + 5113, rotated.begin() + 5116, rotated.begin() + 5117);

    for (const Bytes& damaged : {bad_crc, rotated}) {
        const platform::Sound sound = platform::LoadSound(Write("damaged.ogg", damaged));
        ASSERT_TRUE(sound);
        // The stereo stream that follows cannot join a mono sample; the mono one is whole.
        EXPECT_EQ(sound->channels, 1);
        EXPECT_EQ(sound->Frames(), mono->Frames());
        EXPECT_EQ(sound->samples, mono->samples);
    }
}

}  // namespace
