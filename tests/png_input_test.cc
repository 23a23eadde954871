// PNG files through the program: palette and grey pictures of every depth convert with their
// own indices, everything else is refused with one line. Fixtures are written with the same
// libpng unit that reads them.
#include <gtest/gtest.h>
#include <zlib.h>

#include "convert/palette.h"
#include "png/png_codec.h"
#include "tests/test_support.h"
#include "vkm/vkm_writer.h"

namespace quillpix {
namespace {

using Bytes = std::vector<uint8_t>;

// A picture of `width` x `height` indices, top row first.
struct IndexPicture {
  uint32_t width = 0, height = 0;
  Bytes indices;
  uint8_t at(uint32_t x, uint32_t y) const { return indices[size_t{y} * width + x]; }
};

IndexPicture pattern(uint32_t width, uint32_t height, int levels) {
  IndexPicture picture{width, height, {}};
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) picture.indices.push_back((x * 3 + y * 5) % levels);
  }
  return picture;
}

// The PNG file of `picture` in `format` (whose width, height and samples it fills in).
Bytes pngFile(PngFormat format, const IndexPicture& picture) {
  format.width = picture.width;
  format.height = picture.height;
  const int depth = format.bitDepth;
  std::optional<Bytes> file = encodePng(format, [&](uint32_t y, uint8_t* row) {
    std::fill(row, row + format.rowBytes(), 0);
    if (format.channels() != 1 || depth > 8) return;  // true colour: left black
    for (uint32_t x = 0; x < picture.width; ++x) {
      const uint32_t bit = x * depth;
      row[bit / 8] |= static_cast<uint8_t>(picture.at(x, y) << (8 - depth - bit % 8));
    }
  });
  EXPECT_TRUE(file.has_value());
  return file.value_or(Bytes{});
}

// The VKM file quillpix should write: the colours as words, the indices packed one a nibble
// (pixel format 1) or one a byte.
Bytes vkmFile(uint8_t background, bool nibbles, const std::vector<Rgb8>& colours,
              const IndexPicture& picture) {
  const VkmHeader header = makeVkmHeader(background, nibbles ? 4 : 8, picture.width, picture.height,
                                         static_cast<int>(colours.size()));
  Bytes file(header.begin(), header.end());
  for (const Rgb8& c : colours) {
    const uint16_t word = packColourWord(scaleComponent(c.red), scaleComponent(c.green),
                                         scaleComponent(c.blue), true);
    file.push_back(static_cast<uint8_t>(word & 0xFF));
    file.push_back(static_cast<uint8_t>(word >> 8));
  }
  const uint32_t workWidth = nibbles ? (picture.width + 1) / 2 : picture.width;
  for (uint32_t y = 0; y < picture.height; ++y) {
    Bytes row(workWidth + (workWidth & 1), 0);
    for (uint32_t x = 0; x < picture.width; ++x) {
      if (!nibbles) {
        row[x] = picture.at(x, y);
      } else {
        row[x / 2] |= static_cast<uint8_t>(picture.at(x, y) << (x % 2 == 0 ? 4 : 0));
      }
    }
    file.insert(file.end(), row.begin(), row.end());
  }
  return file;
}

std::vector<Rgb8> coloursFor(int count) {
  std::vector<Rgb8> colours;
  for (int i = 0; i < count; ++i) {
    colours.push_back({uint8_t(i * 37 + 5), uint8_t(250 - i * 13), uint8_t(i * 101)});
  }
  return colours;
}

std::vector<Rgb8> greys(int depth) {
  std::vector<Rgb8> ramp;
  const int levels = 1 << depth;
  for (int v = 0; v < levels; ++v) {
    const uint8_t g = static_cast<uint8_t>(v * 255 / (levels - 1));
    ramp.push_back({g, g, g});
  }
  return ramp;
}

class PngInputTest : public ::testing::Test {
 protected:
  testing::ProgramResult convert(const Bytes& png, std::vector<std::string> switches = {}) {
    testing::writeBytes(dir_ / "pic.png", png);
    switches.insert(switches.begin(), "pic.png");
    return testing::runProgram(switches, testing::inDirectory(dir_.path()));
  }
  Bytes output() const { return testing::readBytes(dir_ / "pic.vkm"); }
  testing::TempDir dir_;
};

TEST_F(PngInputTest, EveryDepthOfPaletteAndGrey) {
  for (PngColourType type : {PngColourType::kPalette, PngColourType::kGrey}) {
    for (int depth : {1, 2, 4, 8}) {
      for (uint32_t width : {1u, 5u, 6u}) {
        for (bool interlaced : {false, true}) {
          const std::string name = std::string(type == PngColourType::kGrey ? "grey" : "palette") +
                                   " depth " + std::to_string(depth) + " width " +
                                   std::to_string(width) + (interlaced ? " interlaced" : "");
          // A palette a little shorter than the depth allows, where it can be.
          const int entries = depth == 1 ? 2 : (1 << depth) - 1;
          const IndexPicture picture = pattern(width, 3, entries);
          PngFormat format;
          format.bitDepth = depth;
          format.colourType = type;
          format.interlaced = interlaced;
          if (type == PngColourType::kPalette) format.palette = coloursFor(entries);
          const testing::ProgramResult result = convert(pngFile(format, picture));
          ASSERT_EQ(result.status, 0) << name << "\n" << result.out;
          const std::vector<Rgb8> colours =
              type == PngColourType::kPalette ? format.palette : greys(depth);
          EXPECT_EQ(output(), vkmFile(0, depth <= 4, colours, picture)) << name;
          const uint32_t workWidth = depth == 8 ? width : (width + 1) / 2;
          EXPECT_TRUE(
              result.out.ends_with("Bitmap bits - " + std::to_string(depth) + " \nworkWidth - " +
                                   std::to_string(workWidth) + "\nBitmap data length - " +
                                   std::to_string(3 * workWidth) + " bytes\nBitmap rowSize - " +
                                   std::to_string((width * depth + 7) / 8) + " bytes\n"))
              << name << "\n"
              << result.out;
        }
      }
    }
  }
}

TEST_F(PngInputTest, ReportOfAPalettePng) {
  PngFormat format;
  format.bitDepth = 4;
  format.colourType = PngColourType::kPalette;
  format.palette = {{0, 0, 0}, {255, 255, 255}, {0xFF, 0x80, 0x10}};
  format.paletteAlpha = {255, 0};
  const IndexPicture picture = {3, 1, {2, 1, 0}};
  const Bytes png = pngFile(format, picture);
  const testing::ProgramResult result = convert(png, {"--debug"});
  ASSERT_EQ(result.status, 0) << result.out;
  EXPECT_EQ(result.out, testing::kBanner + testing::settingsLines(true, true) +
                            "Work file: pic.png (" + std::to_string(png.size()) +
                            " bytes)\n"
                            "File analizing... PNG format detected!\n"
                            "\nPNG header:\n"
                            "---------------------------------\n"
                            "  image width: 3 px\n"
                            "  image heigth: 1 px\n"
                            "  bits/pixel: 4\n"
                            "  bit depth: 4\n"
                            "  color type: 3 (palette)\n"
                            "  interlace: 0 (none)\n"
                            "  palette entries: 3\n"
                            "  transparency: palette alpha (2 entries)\n"
                            "\n" +
                            testing::kThreeColourPaletteDebug +
                            "\nBMP Bitmap data...\n"
                            "---------------------------------\n"
                            "Bitmap bits - 4 \n"
                            "workWidth - 2\n"
                            "Bitmap data length - 2 bytes\n"
                            "Bitmap rowSize - 2 bytes\n"
                            "#21,#00,\n");
  // The fully transparent entry 1 became the background.
  EXPECT_EQ(output(), vkmFile(1, true, format.palette, picture));
}

TEST_F(PngInputTest, TransparencyGivesTheBackgroundUnlessBgIsGiven) {
  PngFormat palette;
  palette.bitDepth = 8;
  palette.colourType = PngColourType::kPalette;
  palette.palette = coloursFor(6);
  PngFormat grey;
  grey.bitDepth = 4;
  grey.colourType = PngColourType::kGrey;
  struct Case {
    const char* name;
    PngFormat format;
    std::vector<uint8_t> alpha;
    std::optional<uint16_t> greyKey;
    std::vector<std::string> switches;
    uint8_t background;
  };
  const Case cases[] = {
      {"first of two transparent entries", palette, {255, 128, 0, 255, 0}, {}, {}, 2},
      {"only partly transparent", palette, {255, 128, 1}, {}, {}, 0},
      {"--bg given", palette, {0}, {}, {"--bg", "4"}, 4},
      {"--bg 0 given", palette, {255, 0}, {}, {"--bg", "0"}, 0},
      {"grey value", grey, {}, 9, {}, 9},
      {"grey value and --bg", grey, {}, 9, {"--bg", "3"}, 3},
  };
  for (const Case& c : cases) {
    PngFormat format = c.format;
    format.paletteAlpha = c.alpha;
    if (c.greyKey) format.transparentSamples = {*c.greyKey, *c.greyKey, *c.greyKey};
    const IndexPicture picture = pattern(4, 2, 6);
    const testing::ProgramResult result = convert(pngFile(format, picture), c.switches);
    ASSERT_EQ(result.status, 0) << c.name << "\n" << result.out;
    const std::vector<Rgb8> colours =
        format.colourType == PngColourType::kPalette ? format.palette : greys(4);
    EXPECT_EQ(output(), vkmFile(c.background, format.bitDepth == 4, colours, picture)) << c.name;
  }
}

TEST_F(PngInputTest, PalettesOfOneAndOfAll256Entries) {
  for (int entries : {1, 256}) {
    PngFormat format;
    format.bitDepth = 8;
    format.colourType = PngColourType::kPalette;
    format.palette = coloursFor(entries);
    const IndexPicture picture = pattern(7, 5, entries);
    const testing::ProgramResult result = convert(pngFile(format, picture), {"--64"});
    ASSERT_EQ(result.status, 0) << entries << "\n" << result.out;
    Bytes expected = vkmFile(0, false, format.palette, picture);
    for (int i = 0; i < entries; ++i) {
      const Rgb8 c = format.palette[static_cast<size_t>(i)];
      const uint16_t word = packColourWord(scaleComponent(c.red), scaleComponent(c.green),
                                           scaleComponent(c.blue), false);
      expected[16 + 2 * i] = static_cast<uint8_t>(word & 0xFF);
      expected[17 + 2 * i] = static_cast<uint8_t>(word >> 8);
    }
    EXPECT_EQ(output(), expected) << entries;
  }
}

TEST_F(PngInputTest, RefusesWithOneLine) {
  PngFormat palette;
  palette.bitDepth = 8;
  palette.colourType = PngColourType::kPalette;
  palette.palette = coloursFor(4);
  const Bytes good = pngFile(palette, pattern(9, 9, 4));

  Bytes truncated(good.begin(), good.end() - 20);  // inside the image data
  Bytes badCrc = good;
  badCrc[good.size() - 13] ^= 0x55;  // the image data's CRC, right before the 12-byte IEND
  Bytes badHeaderCrc = good;
  badHeaderCrc[29] ^= 0x01;  // IHDR's CRC
  PngFormat wide = palette;
  wide.width = 70000;
  IndexPicture wideRow = pattern(70000, 1, 4);
  PngFormat rgb;
  rgb.bitDepth = 8;
  rgb.colourType = PngColourType::kRgb;
  PngFormat grey16;
  grey16.bitDepth = 16;
  grey16.colourType = PngColourType::kGrey;

  // A header that claims 65535 x 65535 pixels over the data of 9 x 9: refused before anything
  // is allocated for the picture.
  Bytes huge = good;
  for (int at : {16, 20}) huge[at] = 0, huge[at + 1] = 0, huge[at + 2] = 0xFF, huge[at + 3] = 0xFF;
  const uLong crc = crc32(0, huge.data() + 12, 17);  // IHDR's type and data
  for (int i = 0; i < 4; ++i) huge[29 + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));

  struct Case {
    const char* name;
    Bytes file;
    std::string error;
  };
  const Case cases[] = {
      {"truncated", truncated, "Error: Broken PNG file: the file is cut short.\n"},
      {"huge claim", huge,
       "Error: Broken PNG file: the image data is too short for a picture of 65535 x 65535 "
       "pixels.\n"},
      {"bad data CRC", badCrc, "Error: Broken PNG file: IDAT: CRC error.\n"},
      {"bad header CRC", badHeaderCrc, "Error: Broken PNG file: IHDR: CRC error.\n"},
      {"70000 wide", pngFile(wide, wideRow),
       "Bitmap bits - 8 \nError: Bitmap too large, max 65535 x 65535 px!\n"},
      {"RGB", pngFile(rgb, pattern(2, 2, 1)),
       "Error: 8-bit RGB PNG needs a palette built; palette and grayscale PNGs up to 8 bits "
       "convert as they are.\n"},
      {"16-bit grey", pngFile(grey16, pattern(2, 2, 1)),
       "Error: 16-bit grayscale PNG needs a palette built; palette and grayscale PNGs up to 8 "
       "bits convert as they are.\n"},
      {"signature only", Bytes(good.begin(), good.begin() + 8),
       "Error: Broken PNG file: the file is cut short.\n"},
  };
  testing::writeBytes(dir_ / "pic.vkm", {'o', 'l', 'd'});
  for (const Case& c : cases) {
    const testing::ProgramResult result = convert(c.file);
    EXPECT_EQ(result.status, 1) << c.name;
    EXPECT_TRUE(result.out.ends_with(c.error)) << c.name << "\n" << result.out;
    EXPECT_EQ(result.out.find("Error: "), result.out.rfind("Error: ")) << c.name;
    EXPECT_EQ(result.err, "") << c.name;
    EXPECT_EQ(output(), (Bytes{'o', 'l', 'd'})) << c.name;
  }
}

}  // namespace
}  // namespace quillpix
