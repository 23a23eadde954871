#include <gtest/gtest.h>

#include "app/view.h"
#include "bmp/byte_order.h"
#include "convert/palette.h"
#include "png/png_codec.h"
#include "tests/bmp_builder.h"
#include "tests/test_support.h"
#include "vkm/vkm_preview.h"
#include "vkm/vkm_reader.h"
#include "vkm/vkm_writer.h"

namespace quillpix {
namespace {

using testing::BmpBuilder;
using testing::readBytes;
using testing::runProgram;
using testing::TempDir;
using Bytes = std::vector<uint8_t>;

// A VKM file built by hand: `colours` words, then rows of `rowLength` bytes.
Bytes makeVkm(uint8_t format, uint16_t width, uint16_t height, std::vector<uint16_t> colours,
              const Bytes& pixels, uint8_t background = 0) {
  const VkmHeader header = makeVkmHeader(background, format == 1 ? 4 : 8, width, height,
                                         static_cast<int>(colours.size()));
  Bytes file(header.begin(), header.end());
  for (uint16_t word : colours) file.insert(file.end(), {uint8_t(word & 0xFF), uint8_t(word >> 8)});
  file.insert(file.end(), pixels.begin(), pixels.end());
  return file;
}

TEST(DecodeVkmFileTest, RefusesEachMalformation) {
  const Bytes good = makeVkm(2, 3, 2, {0x0000, 0x6318}, {0, 1, 0, 0, 1, 0, 1, 0});
  ASSERT_TRUE(decodeVkmFile(good).ok) << decodeVkmFile(good).error;

  struct Case {
    const char* name;
    std::function<void(Bytes&)> damage;
    const char* error;
  };
  const Case cases[] = {
      {"empty", [](Bytes& f) { f.clear(); }, "file of 0 bytes is shorter than the 16-byte header"},
      {"cut header", [](Bytes& f) { f.resize(15); },
       "file of 15 bytes is shorter than the 16-byte header"},
      {"magic", [](Bytes& f) { f[1] = 'v'; }, "not a VKM file (wrong magic bytes)"},
      {"version", [](Bytes& f) { f[4] = 2; }, "unsupported VKM version 2 (only 3 is known)"},
      {"format 0", [](Bytes& f) { f[7] = 0; }, "unknown pixel format 0"},
      {"format 3", [](Bytes& f) { f[7] = 3; }, "unknown pixel format 3"},
      {"no width", [](Bytes& f) { f[8] = 0; }, "empty image of 0 x 2 px"},
      {"no height", [](Bytes& f) { f[10] = 0; }, "empty image of 3 x 0 px"},
      {"palette in header", [](Bytes& f) { f[12] = 0; }, "palette offset points into the header"},
      {"no palette", [](Bytes& f) { f[14] = 0; }, "palette of 0 bytes (must be 2 to 512, even)"},
      {"odd palette", [](Bytes& f) { f[14] = 3; }, "palette of 3 bytes (must be 2 to 512, even)"},
      {"huge palette", [](Bytes& f) { f[14] = 0x02, f[15] = 0x02; },
       "palette of 514 bytes (must be 2 to 512, even)"},
      {"cut palette", [](Bytes& f) { f.resize(18); },
       "truncated: the palette ends at byte 20, the file at byte 18"},
      {"cut rows", [](Bytes& f) { f.pop_back(); },
       "truncated: 2 rows need 28 bytes, the file has 27"},
      {"extra bytes", [](Bytes& f) { f.push_back(0); },
       "1 unexpected bytes after the last pixel row"},
      {"bit 15", [](Bytes& f) { f[19] |= 0x80; },
       "colour 1 (word 0xE318) is not a colour word: bit 15 set or a level above 24"},
      {"level 25", [](Bytes& f) { f[16] = 25; },
       "colour 0 (word 0x0019) is not a colour word: bit 15 set or a level above 24"},
  };
  for (const Case& c : cases) {
    Bytes file = good;
    c.damage(file);
    const VkmDecodeResult result = decodeVkmFile(file);
    EXPECT_FALSE(result.ok) << c.name;
    EXPECT_EQ(result.error, c.error) << c.name;
  }
}

TEST(DecodeVkmFileTest, ReadsFourBitPixels) {
  const Bytes file = makeVkm(1, 3, 2, {1, 2, 3}, {0x12, 0x30, 0x45, 0x60}, 9);
  const VkmDecodeResult result = decodeVkmFile(file);
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(result.image.backgroundIndex, 9);
  EXPECT_EQ(result.image.rowLength, 2u);
  EXPECT_EQ(result.image.colours, (std::vector<uint16_t>{1, 2, 3}));
  const uint8_t expected[2][3] = {{1, 2, 3}, {4, 5, 6}};
  for (uint32_t y = 0; y < 2; ++y) {
    for (uint32_t x = 0; x < 3; ++x) EXPECT_EQ(result.image.pixelIndex(x, y), expected[y][x]);
  }
}

TEST(ExpandLevelTest, ConvertsBackToTheSameLevel) {
  for (uint8_t level = 0; level <= 24; ++level) {
    EXPECT_EQ(scaleComponent(expandLevel(level)), level) << int(level);
  }
  EXPECT_EQ(expandLevel(0), 0);
  EXPECT_EQ(expandLevel(12), 128);  // 127.5 rounds up
  EXPECT_EQ(expandLevel(24), 255);
}

// A BMP with colours and pixels that exercise every level and index.
BmpBuilder varied(uint16_t bitCount, uint32_t width, int32_t height) {
  BmpBuilder bmp;
  bmp.bitCount = bitCount;
  bmp.width = width;
  bmp.height = height;
  const int count = bitCount == 4 ? 16 : 256;
  for (int i = 0; i < count; ++i) {
    bmp.colours.push_back({uint8_t(i * 37), uint8_t(255 - i * 11), uint8_t(i * 101 + 7)});
  }
  const uint32_t workWidth = bitCount == 8 ? width : (width + 1) / 2;
  for (int32_t r = 0; r < height; ++r) {
    Bytes row;
    for (uint32_t x = 0; x < workWidth; ++x) row.push_back(uint8_t((x * 29 + r * 53) % 256));
    if (bitCount == 4 && width % 2 == 1) row.back() &= 0xF0;  // the unused nibble stays clear
    bmp.storedRows.push_back(row);
  }
  return bmp;
}

class RoundTripTest : public ::testing::Test {
 protected:
  testing::ProgramResult quillview(const std::vector<std::string>& arguments) {
    testing::RunOptions options = testing::inDirectory(dir_.path());
    options.program = QUILLVIEW_BINARY;
    return runProgram(arguments, options);
  }
  int quillpix(const std::vector<std::string>& arguments) {
    return runProgram(arguments, testing::inDirectory(dir_.path())).status;
  }
  TempDir dir_;
};

TEST_F(RoundTripTest, PreviewBmpKeepsIndicesAndLevels) {
  for (const BmpBuilder& source : {varied(8, 13, 5), varied(4, 7, 3), varied(4, 8, 2)}) {
    const Bytes sourceBytes = source.build();
    testing::writeBytes(dir_ / "pic.bmp", sourceBytes);
    ASSERT_EQ(quillpix({"pic.bmp", "--bg", "3"}), 0);
    const testing::ProgramResult view = quillview({"pic.vkm", "preview.bmp"});
    ASSERT_EQ(view.status, 0) << view.out;
    const Bytes preview = readBytes(dir_ / "preview.bmp");

    // Same pixel bytes row for row, and each colour the source colour's levels expanded.
    ASSERT_EQ(preview.size(), sourceBytes.size());
    EXPECT_EQ(Bytes(preview.begin() + 54 + 4 * source.colours.size(), preview.end()),
              Bytes(sourceBytes.begin() + 54 + 4 * source.colours.size(), sourceBytes.end()));
    for (size_t i = 0; i < source.colours.size(); ++i) {
      const testing::Rgb& c = source.colours[i];
      const size_t at = 54 + 4 * i;
      EXPECT_EQ(preview[at + 2], expandLevel(scaleComponent(c.red))) << i;
      EXPECT_EQ(preview[at + 1], expandLevel(scaleComponent(c.green))) << i;
      EXPECT_EQ(preview[at + 0], expandLevel(scaleComponent(c.blue))) << i;
    }
  }
}

TEST_F(RoundTripTest, ConvertingThePreviewGivesTheSameFile) {
  for (const BmpBuilder& source : {varied(8, 13, 5), varied(4, 7, 3)}) {
    for (bool cut : {false, true}) {
      testing::writeBytes(dir_ / "pic.bmp", source.build());
      std::vector<std::string> switches = {"--bg", "7"};
      if (cut) switches.push_back("--64");
      auto convert = [&](const std::string& name) {
        std::vector<std::string> arguments = {name};
        arguments.insert(arguments.end(), switches.begin(), switches.end());
        return quillpix(arguments);
      };
      ASSERT_EQ(convert("pic.bmp"), 0);
      const Bytes first = readBytes(dir_ / "pic.vkm");
      ASSERT_EQ(quillview({"pic.vkm", "again.bmp"}).status, 0);
      ASSERT_EQ(convert("again.bmp"), 0);
      EXPECT_EQ(readBytes(dir_ / "again.vkm"), first) << (cut ? "64 colours" : "full colour");
    }
  }
}

struct DecodedPng {
  PngFormat format;
  std::vector<Bytes> rows;
};

DecodedPng readPng(const testing::fs::path& path) {
  const Bytes file = readBytes(path);
  PngReader reader(file);
  DecodedPng decoded;
  if (!reader.readFormat()) {
    ADD_FAILURE() << "unreadable PNG " << path << ": " << reader.error();
    return decoded;
  }
  decoded.format = reader.format();
  decoded.rows.assign(decoded.format.height, Bytes(decoded.format.rowBytes()));
  std::vector<uint8_t*> rows;
  for (Bytes& row : decoded.rows) rows.push_back(row.data());
  EXPECT_TRUE(reader.readRows(rows)) << reader.error();
  return decoded;
}

TEST_F(RoundTripTest, PngPreviewHoldsIndicesAndExpandedColours) {
  const BmpBuilder source = varied(4, 5, 3);
  testing::writeBytes(dir_ / "pic.bmp", source.build());
  ASSERT_EQ(quillpix({"pic.bmp", "--64"}), 0);
  const testing::ProgramResult view = quillview({"pic.vkm"});
  ASSERT_EQ(view.status, 0) << view.out;
  EXPECT_EQ(view.out,
            "VKM file: pic.vkm (60 bytes)\n"
            "  image size: 5 x 3 px\n"
            "  pixel format: 1 (4 bits per pixel)\n"
            "  colors in palette: 16\n"
            "  background index: 0\n"
            "  palette indices used: 10\n"
            "Preview written: pic.png\n");
  const DecodedPng png = readPng(dir_ / "pic.png");
  ASSERT_EQ(png.format.width, 5u);
  ASSERT_EQ(png.format.height, 3u);
  EXPECT_EQ(png.format.bitDepth, 8);
  EXPECT_EQ(png.format.colourType, PngColourType::kPalette);
  ASSERT_EQ(png.format.palette.size(), 16u);
  for (size_t i = 0; i < 16; ++i) {
    const testing::Rgb& c = source.colours[i];
    EXPECT_EQ(png.format.palette[i].red, expandLevel(scaleComponent(c.red) & 0x18)) << i;
    EXPECT_EQ(png.format.palette[i].green, expandLevel(scaleComponent(c.green) & 0x18)) << i;
    EXPECT_EQ(png.format.palette[i].blue, expandLevel(scaleComponent(c.blue) & 0x18)) << i;
  }
  for (uint32_t y = 0; y < 3; ++y) {
    const Bytes& stored = source.storedRows[2 - y];  // the top row is stored last
    for (uint32_t x = 0; x < 5; ++x) {
      const uint8_t index = (x % 2 == 0) ? stored[x / 2] >> 4 : stored[x / 2] & 0x0F;
      EXPECT_EQ(png.rows[y][x], index) << x << "," << y;
    }
  }
}

TEST_F(RoundTripTest, ReportsWhatTheConverterCannotCheck) {
  // Two colours, but pixels use indices 5 and 2, and the background is 4.
  testing::writeBytes(dir_ / "odd.vkm",
                      makeVkm(2, 3, 2, {0x0000, 0x6318}, {0, 1, 0, 0, 1, 5, 2, 0}, 4));
  const testing::ProgramResult view = quillview({"odd.vkm", "odd.png"});
  EXPECT_EQ(view.status, 0);
  EXPECT_EQ(view.out,
            "VKM file: odd.vkm (28 bytes)\n"
            "  image size: 3 x 2 px\n"
            "  pixel format: 2 (8 bits per pixel)\n"
            "  colors in palette: 2\n"
            "  background index: 4\n"
            "  palette indices used: 4\n"
            "Warning: 2 pixels use indices beyond the palette; the first: pixel (1, 1) uses index "
            "5, palette has 2 colours. They show as #FE00FE, a colour the palette lacks.\n"
            "Warning: background index 4 lies beyond the palette (2 colours).\n"
            "Preview written: odd.png\n");
  const DecodedPng png = readPng(dir_ / "odd.png");
  ASSERT_EQ(png.format.palette.size(), 6u);
  for (size_t i = 2; i < 6; ++i) EXPECT_EQ(png.format.palette[i], kMissingColour);
  EXPECT_EQ(png.rows[1], (Bytes{1, 5, 2}));
}

TEST_F(RoundTripTest, RefusesBadInputsAndNeverReplacesItsInput) {
  const Bytes vkm = makeVkm(2, 1, 1, {0x6318}, {0, 0});
  testing::writeBytes(dir_ / "pic.vkm", vkm);
  testing::writeBytes(dir_ / "bad.vkm", {0x7F, 'V', 'K'});
  struct Case {
    std::vector<std::string> arguments;
    std::string out;
  };
  const Case cases[] = {
      {{"pic.vkm", "pic.vkm"}, "Error: The preview would replace its input - pic.vkm\n"},
      {{"pic.vkm", "./pic.vkm"}, "Error: The preview would replace its input - pic.vkm\n"},
      {{"missing.vkm"}, "Error: Can't read file - missing.vkm\n"},
      {{"bad.vkm"},
       "Error: Bad VKM file - bad.vkm: file of 3 bytes is shorter than the 16-byte header\n"},
      {{"pic.vkm", "a.png", "b.png"}, "Error: Unexpected argument - b.png\n"},
      {{"pic.vkm", "no/such/dir.png"}, std::string()},
  };
  for (const Case& c : cases) {
    const testing::ProgramResult view = quillview(c.arguments);
    EXPECT_EQ(view.status, 1) << c.arguments.back();
    const std::string expected =
        c.out.empty() ? std::string("Error: Can't write file: no/such/dir.png\n") : c.out;
    EXPECT_TRUE(view.out.ends_with(expected)) << view.out;
  }
  EXPECT_EQ(readBytes(dir_ / "pic.vkm"), vkm);
  EXPECT_EQ(dir_.entries(), (std::vector<std::string>{"bad.vkm", "pic.vkm"}));
}

}  // namespace
}  // namespace quillpix
