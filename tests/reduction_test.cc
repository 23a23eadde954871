// --colors and --dither: switch values, pictures whose colours fit, transparency, true-colour
// BMP readers, and reduced pictures that keep their promises.
#include <gtest/gtest.h>

#include <set>

#include "app/arguments.h"
#include "bmp/byte_order.h"
#include "convert/dither.h"
#include "convert/palette.h"
#include "png/png_codec.h"
#include "tests/bmp_builder.h"
#include "tests/test_support.h"
#include "vkm/vkm_reader.h"

namespace quillpix {
namespace {

using testing::BmpBuilder;
using Bytes = std::vector<uint8_t>;

struct Pixel {
  uint8_t red, green, blue, alpha = 255;
};

// An RGBA PNG of `width` x `height` pixels given by `at(x, y)`.
Bytes rgbaPng(uint32_t width, uint32_t height, const std::function<Pixel(uint32_t, uint32_t)>& at) {
  PngFormat format;
  format.width = width;
  format.height = height;
  format.colourType = PngColourType::kRgba;
  std::optional<Bytes> png = encodePng(format, [&](uint32_t y, uint8_t* row) {
    for (uint32_t x = 0; x < width; ++x) {
      const Pixel p = at(x, y);
      row[4 * x] = p.red, row[4 * x + 1] = p.green, row[4 * x + 2] = p.blue,
              row[4 * x + 3] = p.alpha;
    }
  });
  EXPECT_TRUE(png.has_value());
  return png.value_or(Bytes{});
}

ColourLevels levelsOf(const Pixel& p) {
  return {scaleComponent(p.red), scaleComponent(p.green), scaleComponent(p.blue)};
}

class ReductionTest : public ::testing::Test {
 protected:
  testing::ProgramResult convert(const Bytes& file, std::vector<std::string> switches,
                                 const std::string& name = "pic.png") {
    testing::writeBytes(dir_ / name, file);
    switches.insert(switches.begin(), name);
    return testing::runProgram(switches, testing::inDirectory(dir_.path()));
  }
  // The output file, checked as quillview checks it.
  VkmImage output() {
    vkm_ = testing::readBytes(dir_ / "pic.vkm");
    const VkmDecodeResult decoded = decodeVkmFile(vkm_);
    EXPECT_TRUE(decoded.ok) << decoded.error;
    return decoded.image;
  }
  ColourLevels shown(const VkmImage& image, uint32_t x, uint32_t y) {
    const uint8_t index = image.pixelIndex(x, y);
    EXPECT_LT(index, image.colours.size()) << x << "," << y;
    return index < image.colours.size() ? colourLevels(image.colours[index]) : ColourLevels{};
  }
  testing::TempDir dir_;
  Bytes vkm_;
};

TEST(ColourSwitchTest, ScansValuesAndNamesBadOnes) {
  struct Case {
    std::vector<const char*> arguments;
    std::optional<int> colours;
    Dither dither;
    bool error;
  };
  const Case cases[] = {
      {{"a.png", "--colors=16"}, 16, Dither::kDiffusion, false},
      {{"a.png", "--colors=2", "--dither=none"}, 2, Dither::kNone, false},
      {{"a.png", "--dither=ordered", "--colors=256", "--debug"}, 256, Dither::kOrdered, false},
      {{"a.png", "--dither=diffusion"}, std::nullopt, Dither::kDiffusion, false},
      {{"a.png", "--colors=1"}, std::nullopt, Dither::kDiffusion, true},
      {{"a.png", "--colors=257"}, std::nullopt, Dither::kDiffusion, true},
      {{"a.png", "--colors=300"}, std::nullopt, Dither::kDiffusion, true},
      {{"a.png", "--colors=x"}, std::nullopt, Dither::kDiffusion, true},
      {{"a.png", "--colors=16x"}, std::nullopt, Dither::kDiffusion, true},
      {{"a.png", "--colors="}, std::nullopt, Dither::kDiffusion, true},
      {{"a.png", "--colors"}, std::nullopt, Dither::kDiffusion, true},
      {{"a.png", "--dither=fast"}, std::nullopt, Dither::kDiffusion, true},
      {{"a.png", "--colorsx=4"}, std::nullopt, Dither::kDiffusion, false},  // another switch
  };
  for (const Case& c : cases) {
    const ConversionSettings settings = scanArguments(c.arguments);
    EXPECT_EQ(settings.colours, c.colours) << c.arguments.back();
    EXPECT_EQ(settings.dither, c.dither) << c.arguments.back();
    EXPECT_EQ(!settings.switchError.empty(), c.error) << c.arguments.back();
  }
  // The scan goes on after them: --debug is still seen.
  EXPECT_TRUE(scanArguments(std::vector<const char*>{"a.png", "--colors=8", "--debug"}).debug);
}

TEST_F(ReductionTest, BadValueIsOneErrorBeforeAnythingIsRead) {
  testing::writeBytes(dir_ / "pic.vkm", {'o', 'l', 'd'});
  const std::pair<const char*, std::string> cases[] = {
      {"--colors=300",
       "Error: --colors takes a number of colors from 2 to 256, as in --colors=16.\n"},
      {"--dither=fast",
       "Error: --dither takes none, ordered or diffusion, as in --dither=ordered.\n"},
  };
  for (const auto& [argument, error] : cases) {
    // The input does not even exist: it is never opened.
    const testing::ProgramResult result = testing::runProgram({"missing.png", "--debug", argument},
                                                              testing::inDirectory(dir_.path()));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, testing::kBanner + error);
    EXPECT_EQ(testing::readBytes(dir_ / "pic.vkm"), (Bytes{'o', 'l', 'd'}));
  }
}

TEST_F(ReductionTest, PixelArtThatFitsComesThroughExactly) {
  const Pixel colours[] = {
      {0, 0, 0}, {255, 255, 255}, {200, 30, 40}, {10, 120, 250}, {90, 200, 60}};
  auto at = [&](uint32_t x, uint32_t y) { return colours[(x / 3 + y * 2) % 5]; };
  const Bytes png = rgbaPng(13, 7, at);
  for (const char* dither : {"--dither=none", "--dither=ordered", "--dither=diffusion"}) {
    const testing::ProgramResult result = convert(png, {"--colors=5", dither});
    ASSERT_EQ(result.status, 0) << result.out;
    const VkmImage image = output();
    EXPECT_EQ(image.colours.size(), 5u) << dither;
    EXPECT_EQ(image.pixelFormat, 1);  // 16 colours or fewer: two pixels a byte
    for (uint32_t y = 0; y < 7; ++y) {
      for (uint32_t x = 0; x < 13; ++x) EXPECT_EQ(shown(image, x, y), levelsOf(at(x, y))) << dither;
    }
    EXPECT_NE(result.out.find("Reduced colors: 5 in the picture, 5 in the palette, mean error "),
              std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find(", dither none (exact colors)\n"), std::string::npos) << result.out;
  }
  // Colours that differ only below a level are one colour of the target.
  const Bytes nearTwins = rgbaPng(4, 1, [](uint32_t x, uint32_t) {
    return Pixel{uint8_t(100 + x % 2), 50, 50};  // 100 and 101 are both level 9
  });
  ASSERT_EQ(convert(nearTwins, {"--colors=2"}).status, 0);
  EXPECT_EQ(output().colours.size(), 1u);
}

TEST_F(ReductionTest, SixtyFourColourModeKeepsOnlyItsColours) {
  // Colours of the limit come through exactly; others are dithered from the limit's colours.
  auto cut = [](uint32_t x, uint32_t y) {
    return Pixel{uint8_t(x % 2 ? 255 : 0), uint8_t(y % 2 ? 85 : 170), 0};
  };
  ASSERT_EQ(convert(rgbaPng(6, 6, cut), {"--colors=16", "--64"}).status, 0);
  VkmImage image = output();
  for (uint32_t y = 0; y < 6; ++y) {
    for (uint32_t x = 0; x < 6; ++x) EXPECT_EQ(shown(image, x, y), levelsOf(cut(x, y)));
  }
  auto ramp = [](uint32_t x, uint32_t y) { return Pixel{uint8_t(x * 8), uint8_t(y * 8), 128}; };
  for (const char* colours : {"--colors=8", "--colors=200"}) {
    ASSERT_EQ(convert(rgbaPng(32, 32, ramp), {colours, "--64"}).status, 0);
    image = output();
    EXPECT_LE(image.colours.size(), std::string(colours) == "--colors=8" ? 8u : 64u);
    for (uint16_t word : image.colours) {
      const ColourLevels levels = colourLevels(word);
      EXPECT_EQ(levels.red % 8 + levels.green % 8 + levels.blue % 8, 0) << std::hex << word;
    }
  }
}

TEST_F(ReductionTest, TransparentPixelsTakeTheReservedBackground) {
  auto at = [](uint32_t x, uint32_t y) {
    if ((x + y) % 3 == 0) return Pixel{255, 0, 0, 0};  // transparent, whatever its colour
    return Pixel{uint8_t(x * 20), uint8_t(y * 30), 90, 200};
  };
  const Bytes png = rgbaPng(9, 6, at);
  const testing::ProgramResult result = convert(png, {"--colors=4", "--bg", "2"});
  ASSERT_EQ(result.status, 0) << result.out;
  const VkmImage image = output();
  EXPECT_EQ(image.backgroundIndex, 2);
  ASSERT_EQ(image.colours.size(), 4u);  // three colours of the picture and the reserved one
  for (uint32_t y = 0; y < 6; ++y) {
    for (uint32_t x = 0; x < 9; ++x) {
      const bool transparent = (x + y) % 3 == 0;
      EXPECT_EQ(image.pixelIndex(x, y) == 2, transparent) << x << "," << y;
    }
  }

  // The reserved index must lie inside the palette.
  const testing::ProgramResult refused = convert(png, {"--colors=4", "--bg", "4"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_TRUE(refused.out.ends_with(
      "Error: The picture has transparent pixels, which take the background index 4, but "
      "--colors=4 keeps indices below 4.\n"))
      << refused.out;

  // Without transparent pixels --bg is written as given, as always.
  const Bytes opaque = rgbaPng(4, 4, [](uint32_t x, uint32_t y) {
    return Pixel{uint8_t(x * 60), uint8_t(y * 60), 0};
  });
  ASSERT_EQ(convert(opaque, {"--colors=4", "--bg", "9"}).status, 0);
  EXPECT_EQ(output().backgroundIndex, 9);
}

TEST_F(ReductionTest, FullReportOfAnExactPicture) {
  const Bytes png = rgbaPng(3, 1, [](uint32_t x, uint32_t) {
    return x == 1 ? Pixel{255, 128, 16} : Pixel{0, 0, 0};
  });
  const testing::ProgramResult result = convert(png, {"--colors=2", "--debug"});
  ASSERT_EQ(result.status, 0) << result.out;
  const size_t palette = result.out.find("BMP palette:\n");
  ASSERT_NE(palette, std::string::npos) << result.out;
  // Black and the orange, whose 8-bit values the levels stand for (24 -> 255, 12 -> 128,
  // 2 -> 21).
  const std::string rest = result.out.substr(palette);
  const std::string expectedStart =
      "BMP palette:\n"
      "---------------------------------\n"
      "Reduced colors: 2 in the picture, 2 in the palette, mean error ";
  EXPECT_TRUE(rest.starts_with(expectedStart)) << rest;
  EXPECT_TRUE(rest.ends_with(
      ", dither none (exact colors)\n"
      "BMP use calculated colors: 2\n\n"
      "           No #      R   G   B        R   G   B        pentevo    xRRrrrGG gggBBbbb\n"
      "BMP color   0[#00] [#00,#00,#00] ->   0,  0,  0 ->   0,  0[#0000] 00000000 00000000\n"
      "BMP color   1[#01] [#FF,#80,#15] ->  24, 12,  2 ->  97,130[#6182] 01100001 10000010\n"
      "\nBMP Bitmap data...\n"
      "---------------------------------\n"
      "Bitmap bits - 32 \n"
      "workWidth - 2\n"
      "Bitmap data length - 2 bytes\n"
      "Bitmap rowSize - 12 bytes\n"
      "#01,#00,\n"))
      << rest;
}

TEST_F(ReductionTest, TrueColourBmpsAreReadOnlyWithColours) {
  // A 4 x 2 picture of four colours, written by each true-colour layout.
  const Pixel colours[] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
  auto at = [&](uint32_t x, uint32_t y) { return colours[(x + y) % 4]; };
  struct Layout {
    const char* name;
    uint16_t bitCount;
    uint32_t compression;
    uint32_t headerSize;
    std::vector<uint32_t> masks;  // behind the 40-byte header, or inside a longer one
    std::function<Bytes(const Pixel&)> store;
    std::string refusal;  // without --colors
  };
  const std::string compressionError = "Error: Compressed file not supported yet.\n";
  const Layout layouts[] = {
      // Too short for the 64-entry table a 24-bit file is read with without --colors.
      {"24-bit",
       24,
       0,
       40,
       {},
       [](const Pixel& p) {
         return Bytes{p.blue, p.green, p.red};
       },
       "Error: Wrong BMP palette.\n"},
      {"16-bit 5-5-5",
       16,
       0,
       40,
       {},
       [](const Pixel& p) {
         const uint16_t v = uint16_t((p.red >> 3) << 10 | (p.green >> 3) << 5 | (p.blue >> 3));
         return Bytes{uint8_t(v), uint8_t(v >> 8)};
       },
       "Error: Wrong BMP palette.\n"},
      {"16-bit 5-6-5 bit fields",
       16,
       3,
       40,
       {0xF800, 0x07E0, 0x001F},
       [](const Pixel& p) {
         const uint16_t v = uint16_t((p.red >> 3) << 11 | (p.green >> 2) << 5 | (p.blue >> 3));
         return Bytes{uint8_t(v), uint8_t(v >> 8)};
       },
       compressionError},
      {"32-bit x-b-g-r bit fields in a V5 header",
       32,
       3,
       124,
       {0x000000FF, 0x0000FF00, 0x00FF0000, 0},
       [](const Pixel& p) {
         return Bytes{p.red, p.green, p.blue, 0x77};
       },
       compressionError},
  };
  for (const Layout& layout : layouts) {
    BmpBuilder bmp;
    bmp.bitCount = layout.bitCount;
    bmp.width = 4;
    bmp.height = -2;  // top-down, so that stored rows read in picture order
    bmp.biCompression = layout.compression;
    bmp.infoHeaderSize = layout.headerSize;
    bmp.biClrUsed = 0;
    Bytes masks;
    for (uint32_t mask : layout.masks) appendLe32(masks, mask);
    for (uint32_t y = 0; y < 2; ++y) {
      Bytes row;
      for (uint32_t x = 0; x < 4; ++x) {
        const Bytes stored = layout.store(at(x, y));
        row.insert(row.end(), stored.begin(), stored.end());
      }
      bmp.storedRows.push_back(row);
    }
    Bytes file = bmp.build();
    // The masks go at byte 54: right behind a 40-byte header (the pixels move along), or into
    // the header's own mask fields.
    if (layout.headerSize == 40 && !masks.empty()) {
      file.insert(file.begin() + 54, masks.begin(), masks.end());
      const uint32_t offset = readLe32(file, 10) + static_cast<uint32_t>(masks.size());
      for (int i = 0; i < 4; ++i) file[10 + i] = uint8_t(offset >> (8 * i));
    } else {
      std::copy(masks.begin(), masks.end(), file.begin() + 54);
    }

    const testing::ProgramResult plain = convert(file, {}, "pic.bmp");
    EXPECT_EQ(plain.status, 1) << layout.name;
    EXPECT_TRUE(plain.out.ends_with(layout.refusal)) << layout.name << "\n" << plain.out;

    const testing::ProgramResult reduced = convert(file, {"--colors=4"}, "pic.bmp");
    ASSERT_EQ(reduced.status, 0) << layout.name << "\n" << reduced.out;
    const VkmImage image = output();
    for (uint32_t y = 0; y < 2; ++y) {
      for (uint32_t x = 0; x < 4; ++x) {
        EXPECT_EQ(shown(image, x, y), levelsOf(at(x, y))) << layout.name << " " << x << "," << y;
      }
    }
  }
}

TEST_F(ReductionTest, AlphaMaskMakesPixelsTransparent) {
  // 32 bits with an alpha mask in a V5 header: alpha 0 is transparent, 255 opaque.
  BmpBuilder bmp;
  bmp.bitCount = 32;
  bmp.width = 2;
  bmp.height = -1;
  bmp.biCompression = 3;
  bmp.infoHeaderSize = 124;
  bmp.biClrUsed = 0;
  bmp.storedRows = {{0x10, 0x20, 0x30, 0x00, 0x10, 0x20, 0x30, 0xFF}};  // b, g, r, a
  Bytes file = bmp.build();
  Bytes masks;
  for (uint32_t mask : {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u})
    appendLe32(masks, mask);
  std::copy(masks.begin(), masks.end(), file.begin() + 54);
  ASSERT_EQ(convert(file, {"--colors=2", "--bg", "1"}, "pic.bmp").status, 0);
  const VkmImage image = output();
  EXPECT_EQ(image.pixelIndex(0, 0), 1);
  EXPECT_EQ(image.pixelIndex(1, 0), 0);
  EXPECT_EQ(colourLevels(image.colours[0]),
            (ColourLevels{scaleComponent(0x30), scaleComponent(0x20), scaleComponent(0x10)}));
}

// A picture with more colours than the palette: whatever the dithering, the palette keeps to N
// distinct colours of the target and every pixel uses one, N up to 16 gives two pixels a byte.
TEST_F(ReductionTest, ReducedPicturesKeepTheirPromises) {
  auto at = [](uint32_t x, uint32_t y) {
    return Pixel{uint8_t(x * 5), uint8_t(255 - y * 7), uint8_t((x * y) % 256)};
  };
  const Bytes png = rgbaPng(48, 24, at);
  for (int colours : {2, 16, 17, 256}) {
    for (const char* dither : {"--dither=none", "--dither=ordered", "--dither=diffusion"}) {
      const std::string name = std::to_string(colours) + " " + dither;
      const testing::ProgramResult result =
          convert(png, {"--colors=" + std::to_string(colours), dither});
      ASSERT_EQ(result.status, 0) << name << "\n" << result.out;
      const VkmImage image = output();
      EXPECT_LE(image.colours.size(), size_t(colours)) << name;
      EXPECT_EQ(image.pixelFormat, colours <= 16 ? 1 : 2) << name;
      std::set<uint16_t> distinct(image.colours.begin(), image.colours.end());
      EXPECT_EQ(distinct.size(), image.colours.size()) << name;
      for (uint32_t y = 0; y < 24; ++y) {
        for (uint32_t x = 0; x < 48; ++x) shown(image, x, y);  // every index inside the palette
      }
    }
  }
}

// Ordered dithering mixes a colour between two palette colours with a fixed 8 x 8 pattern:
// the same colour gives the same pattern wherever it sits on that grid, whatever surrounds it.
TEST(OrderedDitherTest, PatternDependsOnlyOnColourAndPlace) {
  std::optional<RgbaPicture> picture = RgbaPicture::allocate(40, 24);
  for (uint32_t y = 0; y < 24; ++y) {
    uint8_t* row = picture->row(y);
    for (uint32_t x = 0; x < 40; ++x) {
      // Grey patches among other colours; the patches start on the 8 x 8 grid.
      const bool patch = (x / 8 + y / 8) % 2 == 0;
      const uint8_t value = patch ? 128 : static_cast<uint8_t>(x * 6 + y);
      row[4 * x] = row[4 * x + 1] = row[4 * x + 2] = value;
      row[4 * x + 3] = 255;
    }
  }
  const std::vector<ColourLevels> blackAndWhite = {{0, 0, 0}, {24, 24, 24}};
  std::vector<uint8_t> indices(40 * 24);
  mapToPalette(*picture, blackAndWhite, {Dither::kOrdered, false}, 0, indices.data());
  std::set<uint8_t> used;
  for (uint32_t y = 0; y < 24; ++y) {
    for (uint32_t x = 0; x < 40; ++x) {
      if ((x / 8 + y / 8) % 2 != 0) continue;
      used.insert(indices[y * 40 + x]);
      EXPECT_EQ(indices[y * 40 + x], indices[(y % 8) * 40 + x % 8]) << x << "," << y;
    }
  }
  EXPECT_EQ(used.size(), 2u) << "the grey is not a mix of black and white";
}

}  // namespace
}  // namespace quillpix
