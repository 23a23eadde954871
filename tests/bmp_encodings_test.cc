// Run-length encoded, 1- and 2-bit and OS/2-header BMP files through the program, compared as
// whole VKM files.
#include <gtest/gtest.h>

#include "tests/bmp_builder.h"
#include "tests/test_support.h"
#include "vkm/vkm_writer.h"

namespace quillpix {
namespace {

using testing::BmpBuilder;
using testing::Rgb;
using Bytes = std::vector<uint8_t>;

// Three colours whose words are easy to write down: black, white and an orange.
const std::vector<Rgb> kColours = {Rgb{0, 0, 0}, Rgb{255, 255, 255}, Rgb{0xFF, 0x80, 0x10}};
const Bytes kWords = {0x00, 0x00, 0x18, 0x63, 0x82, 0x61};

// The VKM file of an image with `words` as its palette and `rows` as its pixel data.
Bytes vkmFile(uint8_t background, uint16_t bitCount, uint32_t width, uint32_t height,
              const Bytes& words, const Bytes& rows) {
  const VkmHeader header =
      makeVkmHeader(background, bitCount, width, height, static_cast<int>(words.size() / 2));
  Bytes file(header.begin(), header.end());
  file.insert(file.end(), words.begin(), words.end());
  file.insert(file.end(), rows.begin(), rows.end());
  return file;
}

BmpBuilder rleImage(uint16_t bitCount, uint32_t width, int32_t height, const Bytes& stream) {
  BmpBuilder bmp;
  bmp.bitCount = bitCount;
  bmp.width = width;
  bmp.height = height;
  bmp.colours = kColours;
  bmp.biCompression = bitCount == 8 ? 1 : 2;
  bmp.pixelData = stream;
  return bmp;
}

class EncodingTest : public ::testing::Test {
 protected:
  testing::ProgramResult convert(const BmpBuilder& bmp, std::vector<std::string> switches = {}) {
    testing::writeBytes(dir_ / "pic.bmp", bmp.build());
    switches.insert(switches.begin(), "pic.bmp");
    return testing::runProgram(switches, testing::inDirectory(dir_.path()));
  }
  Bytes output() const { return testing::readBytes(dir_ / "pic.vkm"); }
  testing::TempDir dir_;
};

TEST_F(EncodingTest, RunLengthSkippedPixelsTakeTheBackground) {
  // Row 0 (the bottom one) sets its first pixel and ends early; the top row is never reached.
  const Bytes rle8 = {0x01, 0x02, 0x00, 0x00, 0x00, 0x01};
  const Bytes rle4 = {0x01, 0x20, 0x00, 0x00, 0x00, 0x01};
  struct Case {
    const char* name;
    uint16_t bitCount;
    std::vector<std::string> switches;
    uint8_t background;
    Bytes rows;  // 3 x 2 pixels, top row first
  };
  const Case cases[] = {
      {"RLE8 without --bg", 8, {}, 0, {0, 0, 0, 0, 2, 0, 0, 0}},
      {"RLE8 --bg 5", 8, {"--bg", "5"}, 5, {5, 5, 5, 0, 2, 5, 5, 0}},
      {"RLE8 --bg 200", 8, {"--bg", "200"}, 200, {200, 200, 200, 0, 2, 200, 200, 0}},
      {"RLE4 without --bg", 4, {}, 0, {0x00, 0x00, 0x20, 0x00}},
      {"RLE4 --bg 7", 4, {"--bg", "7"}, 7, {0x77, 0x70, 0x27, 0x70}},
      {"RLE4 --bg 16 does not fit", 4, {"--bg", "16"}, 16, {0x00, 0x00, 0x20, 0x00}},
  };
  for (const Case& c : cases) {
    const testing::ProgramResult result =
        convert(rleImage(c.bitCount, 3, 2, c.bitCount == 8 ? rle8 : rle4), c.switches);
    ASSERT_EQ(result.status, 0) << c.name << "\n" << result.out;
    EXPECT_EQ(output(), vkmFile(c.background, c.bitCount, 3, 2, kWords, c.rows)) << c.name;
    const std::string numbers = c.bitCount == 8 ? "workWidth - 3\nBitmap data length - 6 bytes\n"
                                                : "workWidth - 2\nBitmap data length - 4 bytes\n";
    EXPECT_TRUE(result.out.ends_with(numbers + "Bitmap rowSize - 4 bytes\n")) << result.out;
  }
}

TEST_F(EncodingTest, RunLengthDebugDumpShowsDecodedRows) {
  const testing::ProgramResult result = convert(
      rleImage(8, 3, 2, {0x03, 0x01, 0x00, 0x00, 0x00, 0x03, 0x02, 0x00, 0x01, 0x00, 0x00, 0x01}),
      {"--debug"});
  ASSERT_EQ(result.status, 0) << result.out;
  EXPECT_TRUE(
      result.out.ends_with("Bitmap rowSize - 4 bytes\n#02,#00,#01,#00,\n#01,#01,#01,#00,\n"))
      << result.out;
}

TEST_F(EncodingTest, RunLengthRefusals) {
  const std::string numbers =
      "Bitmap bits - 8 \nworkWidth - 3\nBitmap data length - 6 bytes\nBitmap rowSize - 4 bytes\n";
  struct Case {
    const char* name;
    Bytes file;
    std::string error;
  };
  const std::string cut = "Error: RLE bitmap data is cut short (no end-of-bitmap code).\n";
  const Case cases[] = {
      {"top-down", rleImage(8, 3, -2, {0x03, 0x01, 0x00, 0x01}).build(),
       "Error: RLE bitmap stored top-down is not allowed.\n"},
      {"no end of bitmap", rleImage(8, 3, 2, {0x03, 0x01, 0x00, 0x00, 0x03, 0x01}).build(), cut},
      {"cut inside an absolute run", rleImage(8, 3, 2, {0x00, 0x03, 0x01}).build(), cut},
      {"pixel data offset beyond the file",
       [] {
         BmpBuilder bmp = rleImage(8, 3, 2, {0x00, 0x01});
         bmp.bfOffBits = 5000;
         Bytes file = bmp.build();
         file.resize(100);
         return file;
       }(),
       cut},
  };
  testing::writeBytes(dir_ / "pic.vkm", {'o', 'l', 'd'});
  for (const Case& c : cases) {
    testing::writeBytes(dir_ / "pic.bmp", c.file);
    const testing::ProgramResult result =
        testing::runProgram({"pic.bmp"}, testing::inDirectory(dir_.path()));
    EXPECT_EQ(result.status, 1) << c.name;
    EXPECT_TRUE(result.out.ends_with(numbers + c.error)) << c.name << "\n" << result.out;
    EXPECT_EQ(output(), (Bytes{'o', 'l', 'd'})) << c.name;
    EXPECT_EQ(dir_.entries(), (std::vector<std::string>{"pic.bmp", "pic.vkm"})) << c.name;
  }
}

TEST_F(EncodingTest, OneAndTwoBitPixelsBecomeNibbles) {
  struct Case {
    const char* name;
    uint16_t bitCount;
    uint32_t width;
    std::vector<Bytes> storedRows;  // bottom row first
    std::string numbers;
    Bytes rows;
  };
  const Case cases[] = {
      {"1-bit, 11 wide",
       1,
       11,
       {{0b10110010, 0b01100000}, {0b01001101, 0b10000000}},
       "Bitmap bits - 1 \nworkWidth - 6\nBitmap data length - 12 bytes\nBitmap rowSize - 4 bytes\n",
       {0x01, 0x00, 0x11, 0x01, 0x10, 0x00, 0x10, 0x11, 0x00, 0x10, 0x01, 0x10}},
      {"1-bit, 1 wide",
       1,
       1,
       {{0x80}, {0x7F}},
       "Bitmap bits - 1 \nworkWidth - 1\nBitmap data length - 2 bytes\nBitmap rowSize - 4 bytes\n",
       {0x00, 0x00, 0x10, 0x00}},
      {"2-bit, 5 wide",
       2,
       5,
       {{0b00011011, 0b10000000}},
       "Bitmap bits - 2 \nworkWidth - 3\nBitmap data length - 3 bytes\nBitmap rowSize - 4 bytes\n",
       {0x01, 0x23, 0x20, 0x00}},
      {"2-bit, 4 wide",
       2,
       4,
       {{0b11100100}, {0b00011011}},
       "Bitmap bits - 2 \nworkWidth - 2\nBitmap data length - 4 bytes\nBitmap rowSize - 4 bytes\n",
       {0x01, 0x23, 0x32, 0x10}},
  };
  for (const Case& c : cases) {
    BmpBuilder bmp;
    bmp.bitCount = c.bitCount;
    bmp.width = c.width;
    bmp.height = static_cast<int32_t>(c.storedRows.size());
    bmp.colours = {kColours[0], kColours[1]};
    bmp.biClrUsed = 0;  // 2^bits entries: 2 or 4
    if (c.bitCount == 2) bmp.colours.insert(bmp.colours.end(), {kColours[2], kColours[2]});
    bmp.storedRows = c.storedRows;
    bmp.rowPadByte = 0xFF;
    const testing::ProgramResult result = convert(bmp);
    ASSERT_EQ(result.status, 0) << c.name << "\n" << result.out;
    EXPECT_TRUE(result.out.ends_with(c.numbers)) << c.name << "\n" << result.out;
    const Bytes words = c.bitCount == 1 ? Bytes(kWords.begin(), kWords.begin() + 4)
                                        : Bytes{0x00, 0x00, 0x18, 0x63, 0x82, 0x61, 0x82, 0x61};
    EXPECT_EQ(output(), vkmFile(0, c.bitCount, c.width, static_cast<uint32_t>(c.storedRows.size()),
                                words, c.rows))
        << c.name;
  }
}

TEST_F(EncodingTest, CoreHeaderWithShortTable) {
  BmpBuilder bmp;
  bmp.infoHeaderSize = 12;
  bmp.bitCount = 4;
  bmp.width = 3;
  bmp.height = 1;
  bmp.colours = kColours;  // 3 of the 16 entries a 4-bit table holds; the pixels follow them
  bmp.storedRows = {{0x21, 0x00}};
  bmp.biXPelsPerMeter = bmp.biYPelsPerMeter = 0;
  const testing::ProgramResult result = convert(bmp, {"--debug"});
  ASSERT_EQ(result.status, 0) << result.out;
  EXPECT_EQ(output(), vkmFile(0, 4, 3, 1, kWords, {0x21, 0x00}));
  EXPECT_EQ(result.out, testing::kBanner + testing::settingsLines(true, true) +
                            "Work file: pic.bmp (39 bytes)\n"
                            "File analizing... BMP format detected!\n"
                            "\nBMP header:\n"
                            "---------------------------------\n"
                            "  file size: 39 bytes\n"
                            "  image width: 3 px\n"
                            "  image heigth: 1 px\n"
                            "  image planes: 1\n"
                            "  bits/pixel: 4\n"
                            "  compress type: 0 (none)\n"
                            "  image size: 0 bytes\n"
                            "  x pixels per meter: 0\n"
                            "  y pixels per meter: 0\n"
                            "  colors in color table: 0\n"
                            "  important color count: 0\n\n" +
                            testing::kThreeColourPaletteDebug +
                            "\nBMP Bitmap data...\n"
                            "---------------------------------\n"
                            "Bitmap bits - 4 \n"
                            "workWidth - 2\n"
                            "Bitmap data length - 2 bytes\n"
                            "Bitmap rowSize - 4 bytes\n"
                            "#21,#00,\n");
}

TEST_F(EncodingTest, CoreHeaderTableFullSizeAndTooShortFile) {
  // A full 1-bit table (2 entries) in a 36-byte file, as ImageMagick writes one pixel.
  BmpBuilder bmp;
  bmp.infoHeaderSize = 12;
  bmp.bitCount = 1;
  bmp.width = 1;
  bmp.height = 1;
  bmp.colours = {kColours[1], kColours[2]};
  bmp.storedRows = {{0x80}};
  ASSERT_EQ(bmp.build().size(), 36u);
  ASSERT_EQ(convert(bmp).status, 0);
  EXPECT_EQ(output(), vkmFile(0, 1, 1, 1, {0x18, 0x63, 0x82, 0x61}, {0x10, 0x00}));

  // No room before the pixels for even one entry.
  bmp.bfOffBits = 26;
  const testing::ProgramResult result = convert(bmp);
  EXPECT_EQ(result.status, 1);
  EXPECT_TRUE(
      result.out.ends_with("BMP palette:\n---------------------------------\n"
                           "Error: Wrong BMP palette.\n"))
      << result.out;
}

TEST_F(EncodingTest, ShortOs2Header) {
  // A 16-byte header ends after the bit count: no compression, no colour count. The table
  // behind it holds the entries that fit before the pixel data.
  BmpBuilder bmp;
  bmp.infoHeaderSize = 16;
  bmp.bitCount = 8;
  bmp.width = 2;
  bmp.height = 3;  // 54 bytes in all: the least a header other than the core one needs
  bmp.colours = kColours;
  bmp.storedRows = {{0x02, 0x01}, {0x00, 0x02}, {0x01, 0x01}};
  bmp.rowPadByte = 0x55;
  ASSERT_EQ(bmp.build().size(), 54u);
  const testing::ProgramResult result = convert(bmp);
  ASSERT_EQ(result.status, 0) << result.out;
  EXPECT_NE(result.out.find("  compress type: 0 (none)\n  image size: 0 bytes\n"),
            std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("BMP use calculated colors: 3\n"), std::string::npos) << result.out;
  EXPECT_EQ(output(), vkmFile(0, 8, 2, 3, kWords, {0x01, 0x01, 0x00, 0x02, 0x02, 0x01}));

  std::vector<uint8_t> cut = bmp.build();
  cut.pop_back();
  testing::writeBytes(dir_ / "cut.bmp", cut);
  EXPECT_EQ(testing::runProgram({"cut.bmp"}, testing::inDirectory(dir_.path())).out,
            testing::kBanner + testing::settingsLines(false, true) +
                "Work file: cut.bmp (53 bytes)\nFile analizing... BMP format detected!\n"
                "Error: Wrong size of file - cut.bmp\n");
}

}  // namespace
}  // namespace quillpix
