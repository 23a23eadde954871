#include "convert/palette.h"

#include <gtest/gtest.h>

#include "tests/bmp_builder.h"
#include "tests/test_support.h"

namespace quillpix {
namespace {

using testing::BmpBuilder;
using testing::captureOutput;
using testing::Rgb;

const char kColumnHeader[] =
    "           No #      R   G   B        R   G   B        pentevo    xRRrrrGG gggBBbbb\n";

struct Converted {
  std::string report;
  std::optional<PaletteTable> table;
};

Converted convert(const BmpImage& image, bool debug, bool fullColour) {
  Converted result;
  result.report = captureOutput(
      [&](std::FILE* out) { result.table = convertPalette(image, debug, fullColour, out); });
  return result;
}

TEST(ScaleComponentTest, EveryLevelStartsAndEndsWhereExpected) {
  const int firstValueOfLevel[] = {0,   6,   16,  27,  38,  48,  59,  69,  80,  91,  101, 112, 122,
                                   133, 144, 154, 165, 175, 186, 197, 207, 218, 228, 239, 250};
  for (int level = 0; level <= 24; ++level) {
    const int first = firstValueOfLevel[level];
    const int last = level == 24 ? 255 : firstValueOfLevel[level + 1] - 1;
    EXPECT_EQ(scaleComponent(static_cast<uint8_t>(first)), level) << "value " << first;
    EXPECT_EQ(scaleComponent(static_cast<uint8_t>(last)), level) << "value " << last;
  }
}

TEST(PackColourWordTest, BothModes) {
  struct Case {
    uint8_t red, green, blue;
    uint16_t full, cut;
  };
  const Case cases[] = {
      {0, 0, 0, 0x0000, 0x0000},         {24, 24, 24, 0x6318, 0x6318}, {24, 12, 2, 0x6182, 0x6100},
      {7, 7, 7, 0x1CE7, 0x0000},         {8, 8, 8, 0x2108, 0x2108},    {15, 16, 23, 0x3E17, 0x2210},
      {1, 31 & 0x18, 0, 0x0700, 0x0300},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(packColourWord(c.red, c.green, c.blue, true), c.full)
        << int(c.red) << "," << int(c.green) << "," << int(c.blue);
    EXPECT_EQ(packColourWord(c.red, c.green, c.blue, false), c.cut)
        << int(c.red) << "," << int(c.green) << "," << int(c.blue);
  }
}

TEST(PackColourWordTest, CutModeSteps) {
  const std::pair<uint8_t, uint16_t> steps[] = {{79, 0},   {80, 8},   {164, 8},
                                                {165, 16}, {249, 16}, {250, 24}};
  for (auto [component, masked] : steps) {
    const uint8_t level = scaleComponent(component);
    EXPECT_EQ(packColourWord(0, 0, level, false), masked) << int(component);
    EXPECT_EQ(packColourWord(level, 0, 0, false), masked << 10) << int(component);
  }
}

TEST(PrintBitsTest, MostSignificantFirst) {
  EXPECT_EQ(captureOutput([](std::FILE* out) { printBits(out, 0x00); }), "00000000");
  EXPECT_EQ(captureOutput([](std::FILE* out) { printBits(out, 0xFF); }), "11111111");
  EXPECT_EQ(captureOutput([](std::FILE* out) { printBits(out, 0x82); }), "10000010");
}

TEST(ConvertPaletteTest, WorkedDebugLineInBothModes) {
  BmpBuilder bmp;
  bmp.colours = {Rgb{0xFF, 0x80, 0x10}};
  const BmpImage image = testing::decodeFixture(bmp.build());
  const std::string head =
      "BMP palette:\n---------------------------------\nBMP use calculated colors: 1\n\n" +
      std::string(kColumnHeader);

  Converted full = convert(image, true, true);
  EXPECT_EQ(full.report,
            head +
                "BMP color   0[#00] [#FF,#80,#10] ->  24, 12,  2 ->  97,130[#6182] 01100001 "
                "10000010\n");
  ASSERT_TRUE(full.table);
  EXPECT_EQ(full.table->bytes[0], 0x82);
  EXPECT_EQ(full.table->bytes[1], 0x61);

  Converted cut = convert(image, true, false);
  EXPECT_EQ(cut.report,
            head +
                "BMP color   0[#00] [#FF,#80,#10] ->  24, 12,  2 ->  97,  0[#6100] 01100001 "
                "00000000\n");
  ASSERT_TRUE(cut.table);
  EXPECT_EQ(cut.table->bytes[0], 0x00);
  EXPECT_EQ(cut.table->bytes[1], 0x61);
}

TEST(ConvertPaletteTest, ColourCountFromHeader) {
  struct Case {
    const char* name;
    uint16_t bitCount;
    uint32_t clrUsed;
    int entriesInFile;
    int expected;
  };
  const Case cases[] = {
      {"4-bit, none given", 4, 0, 16, 16},
      {"8-bit, none given", 8, 0, 256, 256},
      {"8-bit, 256", 8, 256, 256, 256},
      {"8-bit, 300", 8, 300, 300, 256},
      {"8-bit, absurd", 8, 0x12341234, 256, 256},
      {"4-bit, 300", 4, 300, 300, 16},
      {"two", 8, 2, 2, 2},
      {"255", 8, 255, 255, 255},
      {"1-bit, none given", 1, 0, 2, 2},
      {"24-bit, none given", 24, 0, 64, 64},
  };
  for (const Case& c : cases) {
    BmpBuilder bmp;
    bmp.bitCount = c.bitCount;
    bmp.biClrUsed = c.clrUsed;
    bmp.colours = testing::greyRamp(c.entriesInFile);
    const BmpImage image = testing::decodeFixture(bmp.build());
    for (bool debug : {false, true}) {
      Converted result = convert(image, debug, true);
      ASSERT_TRUE(result.table) << c.name;
      EXPECT_EQ(result.table->colourCount, c.expected) << c.name;
      std::string expected =
          "BMP palette:\n---------------------------------\n"
          "BMP use calculated colors: " +
          std::to_string(c.expected) + "\n\n";
      if (!debug) {
        EXPECT_EQ(result.report, expected) << c.name;
        continue;
      }
      expected += kColumnHeader;
      EXPECT_TRUE(result.report.starts_with(expected)) << c.name;
      const size_t lines = std::count(result.report.begin(), result.report.end(), '\n');
      EXPECT_EQ(lines, 5u + c.expected) << c.name;
      char last[32];
      std::snprintf(last, sizeof last, "\nBMP color %3d[#%02X] ", c.expected - 1, c.expected - 1);
      EXPECT_NE(result.report.rfind(last), std::string::npos) << c.name;
    }
  }
}

TEST(ConvertPaletteTest, ReadsTableBehindLargeHeaderAndIgnoresFourthByte) {
  BmpBuilder bmp;
  bmp.bitCount = 4;
  bmp.infoHeaderSize = 124;
  bmp.colours = {Rgb{255, 255, 255}, Rgb{0, 0, 0}, Rgb{0xFF, 0x80, 0x10}};
  bmp.reservedColourByte = 0xAB;
  Converted result = convert(testing::decodeFixture(bmp.build()), false, true);
  ASSERT_TRUE(result.table);
  ASSERT_EQ(result.table->colourCount, 3);
  const std::vector<uint8_t> words(result.table->bytes.begin(), result.table->bytes.begin() + 6);
  EXPECT_EQ(words, (std::vector<uint8_t>{0x18, 0x63, 0x00, 0x00, 0x82, 0x61}));

  bmp.reservedColourByte = 0x00;
  Converted plain = convert(testing::decodeFixture(bmp.build()), false, true);
  EXPECT_EQ(plain.report, result.report);
  EXPECT_EQ(plain.table->bytes, result.table->bytes);
}

TEST(ConvertPaletteTest, RefusesMissingOrTruncatedTable) {
  BmpBuilder sixteenBit;
  sixteenBit.bitCount = 16;
  sixteenBit.biClrUsed = 0;
  BmpBuilder truncated;
  truncated.bitCount = 8;
  truncated.biClrUsed = 0;
  truncated.width = 2;
  truncated.colours = testing::greyRamp(4);  // 256 entries wanted, the file ends long before
  for (const BmpBuilder& bmp : {sixteenBit, truncated}) {
    Converted result = convert(testing::decodeFixture(bmp.build()), true, true);
    EXPECT_FALSE(result.table);
    EXPECT_EQ(result.report,
              "BMP palette:\n---------------------------------\nError: Wrong BMP palette.\n");
  }
}

TEST(ConvertPaletteTest, TableEndingAtFileEndFits) {
  BmpBuilder bmp;
  bmp.bitCount = 8;
  bmp.biClrUsed = 3;
  bmp.colours = testing::greyRamp(3);
  bmp.height = 0;  // no pixel rows: the table is the last thing in the file
  const BmpImage image = testing::decodeFixture(bmp.build());
  ASSERT_EQ(image.length, 54 + 12);
  EXPECT_TRUE(convert(image, false, true).table);
}

}  // namespace
}  // namespace quillpix
