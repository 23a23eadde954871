#include "convert/pixel_rows.h"

#include <gtest/gtest.h>

#include "tests/bmp_builder.h"
#include "tests/test_support.h"

namespace quillpix {
namespace {

using testing::BmpBuilder;
using Bytes = std::vector<uint8_t>;

const std::string kSectionHead = "\nBMP Bitmap data...\n---------------------------------\n";

struct Converted {
  std::string report;
  std::optional<PixelBlock> block;
  Bytes rows;  // the block's output rows, taken while the file it may read them from lives
  Bytes bytes() const { return rows; }
};

Converted convert(const BmpBuilder& bmp, bool debug) {
  const BmpImage image = testing::decodeFixture(bmp.build());
  Converted result;
  result.report = testing::captureOutput(
      [&](std::FILE* out) { result.block = convertPixelRows(image, debug, 0, out); });
  if (result.block) result.rows = testing::outputRows(*result.block);
  return result;
}

struct RowCase {
  const char* name;
  uint16_t bitCount;
  uint32_t width;
  std::vector<Bytes> storedRows;  // bottom row first
  Bytes block;
  std::string numbers;  // the workWidth, data length and rowSize lines
  std::string dump;
};

class PixelRowsTest : public ::testing::TestWithParam<RowCase> {};

void PrintTo(const RowCase& c, std::ostream* os) {
  *os << c.name;
}

TEST_P(PixelRowsTest, BuildsTopDownEvenRows) {
  const RowCase& c = GetParam();
  BmpBuilder bmp;
  bmp.bitCount = c.bitCount;
  bmp.width = c.width;
  bmp.height = static_cast<int32_t>(c.storedRows.size());
  bmp.colours = testing::greyRamp(2);
  bmp.storedRows = c.storedRows;
  bmp.rowPadByte = 0xEE;  // stored padding must never reach the output
  const std::string bits = "Bitmap bits - " + std::to_string(c.bitCount) + " \n";

  Converted quiet = convert(bmp, false);
  EXPECT_EQ(quiet.report, kSectionHead + bits + c.numbers);
  EXPECT_EQ(quiet.bytes(), c.block);

  Converted debug = convert(bmp, true);
  EXPECT_EQ(debug.report, kSectionHead + bits + c.numbers + c.dump);
  EXPECT_EQ(debug.bytes(), c.block);

  // The same picture stored top row first gives the same block.
  bmp.height = -bmp.height;
  bmp.storedRows.assign(c.storedRows.rbegin(), c.storedRows.rend());
  EXPECT_EQ(convert(bmp, false).bytes(), c.block);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PixelRowsTest,
    ::testing::Values(
        RowCase{"Eight3x2",
                8,
                3,
                {{0x01, 0x02, 0x03}, {0x0A, 0x0B, 0x0C}},
                {0x0A, 0x0B, 0x0C, 0x00, 0x01, 0x02, 0x03, 0x00},
                "workWidth - 3\nBitmap data length - 6 bytes\nBitmap rowSize - 4 bytes\n",
                "#0A,#0B,#0C,#00,\n#01,#02,#03,#00,\n"},
        RowCase{"Four5x1",
                4,
                5,
                {{0x12, 0x34, 0x50}},
                {0x12, 0x34, 0x50, 0x00},
                "workWidth - 3\nBitmap data length - 3 bytes\nBitmap rowSize - 4 bytes\n",
                "#12,#34,#50,#00,\n"},
        RowCase{"Four1x2",
                4,
                1,
                {{0x10}, {0xF0}},
                {0xF0, 0x00, 0x10, 0x00},
                "workWidth - 1\nBitmap data length - 2 bytes\nBitmap rowSize - 4 bytes\n",
                "#F0,#00,\n#10,#00,\n"},
        RowCase{"Four3x1",
                4,
                3,
                {{0xAB, 0xC0}},
                {0xAB, 0xC0},
                "workWidth - 2\nBitmap data length - 2 bytes\nBitmap rowSize - 4 bytes\n",
                "#AB,#C0,\n"},
        RowCase{"Four4x2",
                4,
                4,
                {{0x01, 0x23}, {0x45, 0x67}},
                {0x45, 0x67, 0x01, 0x23},
                "workWidth - 2\nBitmap data length - 4 bytes\nBitmap rowSize - 4 bytes\n",
                "#45,#67,\n#01,#23,\n"},
        RowCase{"Eight4x1",
                8,
                4,
                {{0xFF, 0x00, 0x7F, 0x80}},
                {0xFF, 0x00, 0x7F, 0x80},
                "workWidth - 4\nBitmap data length - 4 bytes\nBitmap rowSize - 4 bytes\n",
                "#FF,#00,#7F,#80,\n"},
        RowCase{"Eight5x2",
                8,
                5,
                {{1, 2, 3, 4, 5}, {6, 7, 8, 9, 10}},
                {6, 7, 8, 9, 10, 0, 1, 2, 3, 4, 5, 0},
                "workWidth - 5\nBitmap data length - 10 bytes\nBitmap rowSize - 8 bytes\n",
                "#06,#07,#08,#09,#0A,#00,\n#01,#02,#03,#04,#05,#00,\n"}),
    [](const ::testing::TestParamInfo<RowCase>& info) { return std::string(info.param.name); });

TEST(PixelRowsFailureTest, RefusesWithOneMessage) {
  struct Case {
    const char* name;
    uint16_t bitCount;
    uint32_t width;
    int32_t height;
    std::string expectedAfterHead;
  };
  const std::string depth = "Error: support only 16 & 256 colors bmp!\n";
  const std::string empty = "Error: Wrong bitmap legth!\n";
  const std::string large = "Error: Bitmap too large, max 65535 x 65535 px!\n";
  const Case cases[] = {
      {"0-bit", 0, 8, 1, "Bitmap bits - 0 \n" + depth},
      {"3-bit", 3, 8, 1, "Bitmap bits - 3 \n" + depth},
      {"16-bit", 16, 8, 1, "Bitmap bits - 16 \n" + depth},
      {"24-bit", 24, 8, 1, "Bitmap bits - 24 \n" + depth},
      {"32-bit", 32, 8, 1, "Bitmap bits - 32 \n" + depth},
      {"zero width", 8, 0, 4, "Bitmap bits - 8 \n" + empty},
      {"zero height", 4, 4, 0, "Bitmap bits - 4 \n" + empty},
      {"square that wraps to zero in 32 bits", 8, 65536, 65536, "Bitmap bits - 8 \n" + large},
      {"wide", 8, 65536, 1, "Bitmap bits - 8 \n" + large},
      {"negative width", 4, 0xFFFFFF81u, 1, "Bitmap bits - 4 \n" + large},
      {"tall", 4, 1, 65536, "Bitmap bits - 4 \n" + large},
      {"tall top-down", 8, 1, -65536, "Bitmap bits - 8 \n" + large},
      {"most negative height", 8, 1, INT32_MIN, "Bitmap bits - 8 \n" + large},
  };
  for (const Case& c : cases) {
    BmpBuilder bmp;
    bmp.bitCount = c.bitCount;
    bmp.width = c.width;
    bmp.height = 0;  // the header lies about the size; no rows are stored
    bmp.colours = testing::greyRamp(2);
    std::vector<uint8_t> file = bmp.build();
    for (int i = 0; i < 4; ++i) file[22 + i] = (static_cast<uint32_t>(c.height) >> (8 * i)) & 0xFF;
    const BmpImage image = testing::decodeFixture(file);
    Converted result;
    result.report = testing::captureOutput(
        [&](std::FILE* out) { result.block = convertPixelRows(image, true, 0, out); });
    EXPECT_FALSE(result.block) << c.name;
    EXPECT_EQ(result.report, kSectionHead + c.expectedAfterHead) << c.name;
  }
}

TEST(PixelRowsFailureTest, RefusesRowsBeyondTheFile) {
  BmpBuilder bmp;
  bmp.width = 5;
  bmp.height = 3;
  bmp.colours = testing::greyRamp(2);
  const std::vector<uint8_t> whole = bmp.build();  // 62 + 3 x 8 bytes
  const std::string numbers =
      "Bitmap bits - 8 \nworkWidth - 5\nBitmap data length - 15 bytes\n"
      "Bitmap rowSize - 8 bytes\n";
  // The last byte read is at 62 + 2 x 8 + 4 = 82: a file of 83 bytes is enough, 82 is not.
  for (size_t length : {size_t{83}, size_t{82}, size_t{63}}) {
    std::vector<uint8_t> file(whole.begin(), whole.begin() + length);
    const BmpImage image = testing::decodeFixture(file);
    Converted result;
    result.report = testing::captureOutput(
        [&](std::FILE* out) { result.block = convertPixelRows(image, false, 0, out); });
    if (length == 83) {
      EXPECT_TRUE(result.block);
      EXPECT_EQ(result.report, kSectionHead + numbers);
    } else {
      EXPECT_FALSE(result.block) << length;
      EXPECT_EQ(result.report, kSectionHead + numbers + "Error: Wrong bitmap legth!\n") << length;
    }
  }

  std::vector<uint8_t> farOffset = whole;
  farOffset[10] = 0xF0;  // bfOffBits 0xFFFFFFF0
  farOffset[11] = farOffset[12] = farOffset[13] = 0xFF;
  const BmpImage image = testing::decodeFixture(farOffset);
  EXPECT_EQ(testing::captureOutput(
                [&](std::FILE* out) { EXPECT_FALSE(convertPixelRows(image, false, 0, out)); }),
            kSectionHead + numbers + "Error: Wrong bitmap legth!\n");
}

}  // namespace
}  // namespace quillpix
