// Every BMP file written by other programs, through the program: each converts or is refused
// with the one message a user would expect from what the file is.
#include <gtest/gtest.h>

#include <map>

#include "bmp/byte_order.h"
#include "tests/test_support.h"

namespace quillpix {
namespace {

using testing::fs::path;

struct Expected {
  const char* file;
  const char* error;     // empty when the file converts
  int colourCount = 0;   // of a converted file
  size_t vkmLength = 0;  // of a converted file
};

// Derived from each folder's INDEX.md: a file under 54 bytes is too short; a header shorter
// than 40 bytes is unsupported; any
// compression is refused; an 8-bit table without a usable count has 256 entries; other depths
// are refused after their palette; 4- and 8-bit files convert.
const Expected kCorpus[] = {
    {"bmpsuite/g/pal1.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"bmpsuite/g/pal1bg.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"bmpsuite/g/pal1wb.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"bmpsuite/g/pal4.bmp", "", 12, 4136},
    {"bmpsuite/g/pal4gs.bmp", "", 12, 4136},
    {"bmpsuite/g/pal4rle.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/g/pal8-0.bmp", "", 256, 8720},
    {"bmpsuite/g/pal8.bmp", "", 252, 8712},
    {"bmpsuite/g/pal8gs.bmp", "", 252, 8712},
    {"bmpsuite/g/pal8nonsquare.bmp", "", 252, 4616},
    {"bmpsuite/g/pal8os2.bmp", "Error: Unsupported BMP header size - 12 bytes."},
    {"bmpsuite/g/pal8rle.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/g/pal8topdown.bmp", "", 252, 8712},
    {"bmpsuite/g/pal8v4.bmp", "", 252, 8712},
    {"bmpsuite/g/pal8v5.bmp", "", 252, 8712},
    {"bmpsuite/g/pal8w124.bmp", "", 252, 8084},
    {"bmpsuite/g/pal8w125.bmp", "", 252, 8332},
    {"bmpsuite/g/pal8w126.bmp", "", 252, 8458},
    {"bmpsuite/g/rgb16-565.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/g/rgb16-565pal.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/g/rgb16.bmp", "Error: Wrong BMP palette."},
    {"bmpsuite/g/rgb16bfdef.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/g/rgb24.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"bmpsuite/g/rgb24pal.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"bmpsuite/g/rgb32.bmp", "Error: Wrong BMP palette."},
    {"bmpsuite/g/rgb32bf.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/g/rgb32bfdef.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/q/pal1huffmsb.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/q/pal1p1.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"bmpsuite/q/pal2.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"bmpsuite/q/pal2color.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"bmpsuite/q/pal4rlecut.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/q/pal4rletrns.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/q/pal8offs.bmp", "", 252, 8712},
    {"bmpsuite/q/pal8os2-hs.bmp", "Error: Unsupported BMP header size - 12 bytes."},
    {"bmpsuite/q/pal8os2-sz.bmp", "Error: Unsupported BMP header size - 12 bytes."},
    {"bmpsuite/q/pal8os2sp.bmp", "Error: Unsupported BMP header size - 12 bytes."},
    {"bmpsuite/q/pal8os2v2-16.bmp", "Error: Unsupported BMP header size - 16 bytes."},
    {"bmpsuite/q/pal8os2v2-40sz.bmp", "", 252, 8712},
    {"bmpsuite/q/pal8os2v2-sz.bmp", "", 252, 8712},
    {"bmpsuite/q/pal8os2v2.bmp", "", 252, 8712},
    {"bmpsuite/q/pal8oversizepal.bmp", "", 256, 8720},
    {"bmpsuite/q/pal8rlecut.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/q/pal8rletrns.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/q/rgb16-231.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/q/rgb16-3103.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/q/rgb16faketrns.bmp", "Error: Wrong BMP palette."},
    {"bmpsuite/q/rgb24jpeg.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/q/rgb24largepal.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"bmpsuite/q/rgb24lprof.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"bmpsuite/q/rgb24png.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/q/rgb24prof.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"bmpsuite/q/rgb24prof2.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"bmpsuite/q/rgb24rle24.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/q/rgb32-111110.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/q/rgb32-7187.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/q/rgb32-xbgr.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/q/rgb32fakealpha.bmp", "Error: Wrong BMP palette."},
    {"bmpsuite/q/rgb32h52.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/q/rgba16-1924.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/q/rgba16-4444.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/q/rgba16-5551.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/q/rgba32-1.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/q/rgba32-1010102.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/q/rgba32-2.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/q/rgba32-61754.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/q/rgba32-81284.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/q/rgba32abf.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/q/rgba32h56.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/q/rgba64.bmp", "Error: Wrong BMP palette."},
    {"bmpsuite/b/badbitcount.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"bmpsuite/b/badbitssize.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"bmpsuite/b/baddens1.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"bmpsuite/b/baddens2.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"bmpsuite/b/badfilesize.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"bmpsuite/b/badheadersize.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"bmpsuite/b/badpalettesize.bmp", "", 256, 8720},
    {"bmpsuite/b/badplanes.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"bmpsuite/b/badrle.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/b/badrle4.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/b/badrle4bis.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/b/badrle4ter.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/b/badrlebis.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/b/badrleter.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/b/badwidth.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"bmpsuite/b/pal8badindex.bmp", "", 101, 8410},
    {"bmpsuite/b/reallybig.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"bmpsuite/b/rgb16-880.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/b/rletopdown.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/b/shortfile.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"tools/im-bmp-colors16-gray256.bmp", "", 16, 176},
    {"tools/im-bmp-colors16-pic208.bmp", "", 16, 1328},
    {"tools/im-bmp-gray-grad16.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"tools/im-bmp-gray-gray256.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"tools/im-bmp-palette-col5.bmp", "", 16, 58},
    {"tools/im-bmp-palette-grad16.bmp", "", 16, 508},
    {"tools/im-bmp-palette-gray256.bmp", "Error: Compressed file not supported yet."},
    {"tools/im-bmp-palette-none-gray256.bmp", "", 256, 784},
    {"tools/im-bmp-palette-none-pic208.bmp", "", 256, 3088},
    {"tools/im-bmp-palette-pic208.bmp", "Error: Compressed file not supported yet."},
    {"tools/im-bmp-palette-px1.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"tools/im-bmp-palette-rle-col5.bmp", "Error: Compressed file not supported yet."},
    {"tools/im-bmp-palette-rle-grad16.bmp", "Error: Compressed file not supported yet."},
    {"tools/im-bmp-palette-rle-px1.bmp", "Error: Compressed file not supported yet."},
    {"tools/im-bmp-palette-rle-row5.bmp", "Error: Compressed file not supported yet."},
    {"tools/im-bmp-palette-rle-two2c.bmp", "Error: Compressed file not supported yet."},
    {"tools/im-bmp-palette-row5.bmp", "", 16, 52},
    {"tools/im-bmp-palette-two2c.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"tools/im-bmp-palettealpha-grad16.bmp", "Error: Compressed file not supported yet."},
    {"tools/im-bmp-rgb565-grad16.bmp", "Error: Compressed file not supported yet."},
    {"tools/im-bmp-truecolor-grad16.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"tools/im-bmp-truecolor-px1.bmp", "Error: Wrong BMP palette."},
    {"tools/im-bmp2-palette-col5.bmp", "Error: Unsupported BMP header size - 12 bytes."},
    {"tools/im-bmp2-palette-grad16.bmp", "Error: Unsupported BMP header size - 12 bytes."},
    {"tools/im-bmp2-palette-gray256.bmp", "Error: Unsupported BMP header size - 12 bytes."},
    {"tools/im-bmp2-palette-pic208.bmp", "Error: Unsupported BMP header size - 12 bytes."},
    {"tools/im-bmp2-palette-px1.bmp", "Error: Wrong size of file - in.bmp"},  // 36 bytes,
    {"tools/im-bmp2-palette-row5.bmp", "Error: Unsupported BMP header size - 12 bytes."},
    {"tools/im-bmp2-palette-two2c.bmp", "Error: Unsupported BMP header size - 12 bytes."},
    {"tools/im-bmp3-alpha-grad16.bmp", "Error: Wrong BMP palette."},
    {"tools/im-bmp3-bilevel-grad16.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"tools/im-bmp3-colors16-gray256.bmp", "", 16, 176},
    {"tools/im-bmp3-colors16-pic208.bmp", "", 16, 1328},
    {"tools/im-bmp3-gray-grad16.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"tools/im-bmp3-gray-gray256.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"tools/im-bmp3-palette-col5.bmp", "", 16, 58},
    {"tools/im-bmp3-palette-grad16.bmp", "", 16, 508},
    {"tools/im-bmp3-palette-gray256.bmp", "Error: Compressed file not supported yet."},
    {"tools/im-bmp3-palette-none-gray256.bmp", "", 256, 784},
    {"tools/im-bmp3-palette-none-pic208.bmp", "", 256, 3088},
    {"tools/im-bmp3-palette-pic208.bmp", "Error: Compressed file not supported yet."},
    {"tools/im-bmp3-palette-px1.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"tools/im-bmp3-palette-rle-col5.bmp", "Error: Compressed file not supported yet."},
    {"tools/im-bmp3-palette-rle-grad16.bmp", "Error: Compressed file not supported yet."},
    {"tools/im-bmp3-palette-rle-px1.bmp", "Error: Compressed file not supported yet."},
    {"tools/im-bmp3-palette-rle-row5.bmp", "Error: Compressed file not supported yet."},
    {"tools/im-bmp3-palette-rle-two2c.bmp", "Error: Compressed file not supported yet."},
    {"tools/im-bmp3-palette-row5.bmp", "", 16, 52},
    {"tools/im-bmp3-palette-two2c.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"tools/im-bmp3-truecolor-grad16.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"tools/im-bmp3-truecolor-px1.bmp", "Error: Wrong BMP palette."},
    {"tools/pil-1-grad16.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"tools/pil-1-px1.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"tools/pil-l-col5.bmp", "", 256, 538},
    {"tools/pil-l-grad16.bmp", "", 256, 1402},
    {"tools/pil-l-gray256.bmp", "", 256, 784},
    {"tools/pil-l-pic208.bmp", "", 256, 3088},
    {"tools/pil-l-px1.bmp", "", 256, 530},
    {"tools/pil-l-row5.bmp", "", 256, 534},
    {"tools/pil-l-two2c.bmp", "", 256, 690},
    {"tools/pil-p-quant16-col5.bmp", "", 256, 538},
    {"tools/pil-p-quant16-grad16.bmp", "", 256, 1402},
    {"tools/pil-p-quant16-gray256.bmp", "", 256, 784},
    {"tools/pil-p-quant16-pic208.bmp", "", 256, 3088},
    {"tools/pil-p-quant16-px1.bmp", "", 256, 530},
    {"tools/pil-p-quant16-row5.bmp", "", 256, 534},
    {"tools/pil-p-quant16-two2c.bmp", "", 256, 690},
    {"tools/pil-p-quant256-gray256.bmp", "", 256, 784},
    {"tools/pil-p-quant256-pic208.bmp", "", 256, 3088},
    {"tools/pil-p-short16-col5.bmp", "", 16, 58},
    {"tools/pil-p-short16-grad16.bmp", "", 16, 922},
    {"tools/pil-p-short16-gray256.bmp", "", 16, 304},
    {"tools/pil-p-short16-pic208.bmp", "", 16, 2608},
    {"tools/pil-p-short16-px1.bmp", "", 16, 50},
    {"tools/pil-p-short16-row5.bmp", "", 16, 54},
    {"tools/pil-p-short16-two2c.bmp", "", 16, 210},
    {"tools/pil-p-web-col5.bmp", "", 256, 538},
    {"tools/pil-p-web-grad16.bmp", "", 256, 1402},
    {"tools/pil-p-web-gray256.bmp", "", 256, 784},
    {"tools/pil-p-web-pic208.bmp", "", 256, 3088},
    {"tools/pil-p-web-px1.bmp", "", 256, 530},
    {"tools/pil-p-web-row5.bmp", "", 256, 534},
    {"tools/pil-p-web-two2c.bmp", "", 256, 690},
    {"tools/pil-rgb-grad16.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"tools/pil-rgb-px1.bmp", "Error: Wrong BMP palette."},
    {"tools/pil-rgba-grad16.bmp", "Error: Wrong BMP palette."},
    {"tools/pil-rgba-px1.bmp", "Error: Wrong BMP palette."},
    {"tools/pnm-os2-auto-col5.bmp", "Error: Unsupported BMP header size - 12 bytes."},
    {"tools/pnm-os2-auto-grad16.bmp", "Error: Unsupported BMP header size - 12 bytes."},
    {"tools/pnm-os2-auto-gray256.bmp", "Error: Unsupported BMP header size - 12 bytes."},
    {"tools/pnm-os2-auto-pic208.bmp", "Error: Unsupported BMP header size - 12 bytes."},
    {"tools/pnm-os2-auto-row5.bmp", "Error: Unsupported BMP header size - 12 bytes."},
    {"tools/pnm-os2-auto-two2c.bmp", "Error: Unsupported BMP header size - 12 bytes."},
    {"tools/pnm-os2-bpp24-grad16.bmp", "Error: Unsupported BMP header size - 12 bytes."},
    {"tools/pnm-os2-bpp4-px1.bmp", "Error: Unsupported BMP header size - 12 bytes."},
    {"tools/pnm-os2-bpp4-two2c.bmp", "Error: Unsupported BMP header size - 12 bytes."},
    {"tools/pnm-os2-bpp8-col5.bmp", "Error: Unsupported BMP header size - 12 bytes."},
    {"tools/pnm-os2-bpp8-grad16.bmp", "Error: Unsupported BMP header size - 12 bytes."},
    {"tools/pnm-os2-bpp8-px1.bmp", "Error: Unsupported BMP header size - 12 bytes."},
    {"tools/pnm-os2-bpp8-row5.bmp", "Error: Unsupported BMP header size - 12 bytes."},
    {"tools/pnm-os2-bpp8-two2c.bmp", "Error: Unsupported BMP header size - 12 bytes."},
    {"tools/pnm-quant16-win-bpp4-pic208.bmp", "", 16, 1328},
    {"tools/pnm-win-auto-col5.bmp", "", 16, 58},
    {"tools/pnm-win-auto-grad16.bmp", "", 16, 508},
    {"tools/pnm-win-auto-gray256.bmp", "", 256, 784},
    {"tools/pnm-win-auto-pic208.bmp", "", 256, 3088},
    {"tools/pnm-win-auto-px1.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"tools/pnm-win-auto-row5.bmp", "", 16, 52},
    {"tools/pnm-win-auto-two2c.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"tools/pnm-win-bpp24-grad16.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"tools/pnm-win-bpp4-px1.bmp", "", 16, 50},
    {"tools/pnm-win-bpp4-two2c.bmp", "", 16, 138},
    {"tools/pnm-win-bpp8-col5.bmp", "", 256, 538},
    {"tools/pnm-win-bpp8-grad16.bmp", "", 256, 1402},
    {"tools/pnm-win-bpp8-px1.bmp", "", 256, 530},
    {"tools/pnm-win-bpp8-row5.bmp", "", 256, 534},
    {"tools/pnm-win-bpp8-two2c.bmp", "", 256, 690},
};

const path kCorpusDir = QUILLPIX_CORPUS_DIR;

std::vector<std::string> errorLines(const std::string& report) {
  std::vector<std::string> lines;
  size_t start = 0;
  while ((start = report.find("Error: ", start)) != std::string::npos) {
    const size_t end = report.find('\n', start);
    lines.push_back(report.substr(start, end == std::string::npos ? end : end - start));
    start = end == std::string::npos ? report.size() : end;
  }
  return lines;
}

TEST(CorpusTest, EveryFileEndsAsExpected) {
  if (!testing::fs::is_directory(kCorpusDir)) GTEST_SKIP() << "no corpus at " << kCorpusDir;
  for (const Expected& expected : kCorpus) {
    SCOPED_TRACE(expected.file);
    testing::TempDir dir;
    const path source = kCorpusDir / expected.file;
    ASSERT_TRUE(testing::fs::exists(source));
    testing::fs::copy_file(source, dir / "in.bmp");
    const testing::ProgramResult result =
        testing::runProgram({"in.bmp", "--debug"}, testing::inDirectory(dir.path()));
    EXPECT_EQ(result.err, "");
    const std::vector<std::string> errors = errorLines(result.out);
    if (*expected.error != '\0') {
      EXPECT_EQ(result.status, 1);
      EXPECT_EQ(errors, std::vector<std::string>{expected.error});
      EXPECT_EQ(dir.entries(), std::vector<std::string>{"in.bmp"});
      continue;
    }
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(errors.empty()) << errors.front();
    const std::vector<uint8_t> vkm = testing::readBytes(dir / "in.vkm");
    ASSERT_EQ(vkm.size(), expected.vkmLength);
    const std::vector<uint8_t> bmp = testing::readBytes(source);
    EXPECT_EQ(std::vector<uint8_t>(vkm.begin(), vkm.begin() + 5),
              (std::vector<uint8_t>{0x7F, 'V', 'K', 'M', 3}));
    EXPECT_EQ(vkm[7], readLe16(bmp, 28) == 4 ? 1 : 2);
    EXPECT_EQ(readLe16(vkm, 8), readLe32(bmp, 18));
    EXPECT_EQ(readLe16(vkm, 10), std::abs(static_cast<int32_t>(readLe32(bmp, 22))));
    EXPECT_EQ(readLe16(vkm, 14), 2 * expected.colourCount);
  }
}

TEST(CorpusTest, TableNamesEveryFile) {
  if (!testing::fs::is_directory(kCorpusDir)) GTEST_SKIP() << "no corpus at " << kCorpusDir;
  std::map<std::string, bool> listed;
  for (const Expected& expected : kCorpus) listed[expected.file] = true;
  for (const auto& entry : testing::fs::recursive_directory_iterator(kCorpusDir)) {
    if (entry.path().extension() != ".bmp") continue;
    const std::string relative = testing::fs::relative(entry.path(), kCorpusDir).string();
    EXPECT_TRUE(listed.contains(relative)) << relative << " has no expected outcome";
  }
}

}  // namespace
}  // namespace quillpix
