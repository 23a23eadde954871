#include "bmp/rle_decoder.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/test_support.h"

namespace quillpix {
namespace {

using Bytes = std::vector<uint8_t>;

struct RleCase {
  const char* name;
  RleEncoding encoding;
  uint32_t width;
  uint32_t rows;
  Bytes stream;
  bool complete;
  std::vector<Bytes> expected;  // output rows, top row first, pad byte included
};

// Every byte of the block starts as 0xEE, so a pixel the stream leaves alone shows as E.
std::vector<Bytes> decode(const RleCase& c, bool& complete) {
  const uint32_t workWidth = c.encoding == RleEncoding::kRle8 ? c.width : (c.width + 1) / 2;
  std::optional<PixelBlock> block = PixelBlock::allocate(c.rows, workWidth);
  std::memset(block->rowToFill(0), 0xEE, block->length());
  complete = decodeRunLengthRows(c.stream, c.encoding, c.width, *block);
  const Bytes all = testing::outputRows(*block);
  std::vector<Bytes> rows;
  for (size_t at = 0; at < all.size(); at += block->rowLength()) {
    rows.emplace_back(all.begin() + at, all.begin() + at + block->rowLength());
  }
  return rows;
}

class RleDecoderTest : public ::testing::TestWithParam<RleCase> {};

void PrintTo(const RleCase& c, std::ostream* os) {
  *os << c.name;
}

TEST_P(RleDecoderTest, DecodesStreamIntoRows) {
  const RleCase& c = GetParam();
  bool complete = false;
  EXPECT_EQ(decode(c, complete), c.expected);
  EXPECT_EQ(complete, c.complete);
}

constexpr RleEncoding k8 = RleEncoding::kRle8;
constexpr RleEncoding k4 = RleEncoding::kRle4;

INSTANTIATE_TEST_SUITE_P(
    Table, RleDecoderTest,
    ::testing::Values(
        RleCase{"EncodedRunsBottomRowFirst",
                k8,
                3,
                2,
                {0x03, 0x05, 0x00, 0x00, 0x02, 0x07, 0x01, 0x08, 0x00, 0x01},
                true,
                {{0x07, 0x07, 0x08, 0x00}, {0x05, 0x05, 0x05, 0x00}}},
        RleCase{"AbsoluteRunWithPadByte",
                k8,
                3,
                1,
                {0x00, 0x03, 0x0A, 0x0B, 0x0C, 0x99, 0x00, 0x01},
                true,
                {{0x0A, 0x0B, 0x0C, 0x00}}},
        RleCase{"AbsoluteRunWithoutPadByte",
                k8,
                4,
                1,
                {0x00, 0x04, 0x01, 0x02, 0x03, 0x04, 0x00, 0x01},
                true,
                {{0x01, 0x02, 0x03, 0x04}}},
        RleCase{"EarlyEndOfLineSkipsRestOfRow",
                k8,
                3,
                2,
                {0x01, 0x09, 0x00, 0x00, 0x01, 0x08, 0x00, 0x01},
                true,
                {{0x08, 0xEE, 0xEE, 0x00}, {0x09, 0xEE, 0xEE, 0x00}}},
        RleCase{"EarlyEndOfBitmapSkipsTheRest",
                k8,
                2,
                2,
                {0x02, 0x03, 0x00, 0x01, 0x02, 0x04},
                true,
                {{0xEE, 0xEE}, {0x03, 0x03}}},
        RleCase{"DeltaMovesRightAndUp",
                k8,
                4,
                3,
                {0x00, 0x02, 0x01, 0x01, 0x01, 0x05, 0x00, 0x01},
                true,
                {{0xEE, 0xEE, 0xEE, 0xEE}, {0xEE, 0x05, 0xEE, 0xEE}, {0xEE, 0xEE, 0xEE, 0xEE}}},
        // ImageMagick writes each row's padding as pixels: a 1-pixel row is a 4-pixel run.
        RleCase{"RunPastRowEndIsCutAtTheEdge",
                k8,
                1,
                2,
                {0x04, 0x03, 0x00, 0x00, 0x04, 0x02, 0x00, 0x00, 0x00, 0x01},
                true,
                {{0x02, 0x00}, {0x03, 0x00}}},
        RleCase{"AbsoluteRunPastRowEnd",
                k8,
                2,
                1,
                {0x00, 0x03, 0x01, 0x02, 0x03, 0x00, 0x00, 0x01},
                true,
                {{0x01, 0x02}}},
        RleCase{
            "RowsAboveTheImageAreDropped",
            k8,
            1,
            1,
            {0x01, 0x01, 0x00, 0x00, 0x01, 0x02, 0x00, 0x02, 0x00, 0xFF, 0x05, 0x07, 0x00, 0x01},
            true,
            {{0x01, 0x00}}},
        RleCase{"DeltaPastRowEndDropsThePixels",
                k8,
                2,
                2,
                {0x00, 0x02, 0xFF, 0x00, 0x01, 0x09, 0x00, 0x00, 0x01, 0x06, 0x00, 0x01},
                true,
                {{0x06, 0xEE}, {0xEE, 0xEE}}},
        RleCase{"NoEndOfBitmap", k8, 2, 1, {0x02, 0x01}, false, {{0x01, 0x01}}},
        RleCase{"EmptyStream", k8, 2, 1, {}, false, {{0xEE, 0xEE}}},
        RleCase{"OddByteAfterLastCode", k8, 2, 1, {0x02, 0x01, 0x00}, false, {{0x01, 0x01}}},
        RleCase{"CutInsideAbsoluteRun",
                k8,
                4,
                1,
                {0x00, 0x04, 0x01, 0x02},
                false,
                {{0xEE, 0xEE, 0xEE, 0xEE}}},
        RleCase{"CutInsideDelta", k8, 2, 1, {0x00, 0x02, 0x01}, false, {{0xEE, 0xEE}}},
        RleCase{"CutWherePadByteBelongs",
                k8,
                3,
                1,
                {0x00, 0x03, 0x01, 0x02, 0x03},
                false,
                {{0x01, 0x02, 0x03, 0x00}}},
        RleCase{"Rle4RunAlternatesNibblesOddWidth",
                k4,
                5,
                1,
                {0x05, 0x12, 0x00, 0x01},
                true,
                {{0x12, 0x12, 0x1E, 0x00}}},
        RleCase{"Rle4AbsoluteRunPaddedToWord",
                k4,
                5,
                1,
                {0x00, 0x05, 0x12, 0x34, 0x50, 0x00, 0x00, 0x01},
                true,
                {{0x12, 0x34, 0x5E, 0x00}}},
        RleCase{"Rle4AbsoluteRunOfFourIsNotPadded",
                k4,
                4,
                1,
                {0x00, 0x04, 0x12, 0x34, 0x00, 0x01},
                true,
                {{0x12, 0x34}}},
        RleCase{"Rle4RunEndingMidByte",
                k4,
                4,
                1,
                {0x03, 0x12, 0x01, 0x30, 0x00, 0x01},
                true,
                {{0x12, 0x13}}},
        RleCase{"Rle4DeltaToOddColumn",
                k4,
                4,
                1,
                {0x00, 0x02, 0x01, 0x00, 0x02, 0xAB, 0x00, 0x01},
                true,
                {{0xEA, 0xBE}}},
        RleCase{"Rle4RunPastRowEnd",
                k4,
                3,
                2,
                {0x08, 0x12, 0x00, 0x00, 0x08, 0x34, 0x00, 0x01},
                true,
                {{0x34, 0x3E}, {0x12, 0x1E}}},
        RleCase{
            "Rle4CutInsideAbsoluteRun", k4, 4, 1, {0x00, 0x05, 0x12, 0x34}, false, {{0xEE, 0xEE}}}),
    [](const ::testing::TestParamInfo<RleCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillpix
