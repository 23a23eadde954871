// Every BMP file written by other programs, through the program: each converts or is refused
// with the one message a user would expect from what the file is.
#include <gtest/gtest.h>

#include <map>

#include "bmp/byte_order.h"
#include "convert/palette.h"
#include "png/png_codec.h"
#include "tests/test_support.h"
#include "vkm/vkm_reader.h"

namespace quillpix {
namespace {

using testing::fs::path;

struct Expected {
  const char* file;
  const char* error;         // empty when the file converts
  int colourCount = 0;       // of a converted file
  size_t vkmLength = 0;      // of a converted file
  const char* picture = "";  // files made from the same picture must show the same colours
};

// Derived from each folder's INDEX.md: a file under 54 bytes (26 with the OS/2 core header) is
// too short; a header of 11 bytes or fewer, or of 13 to 15, is unsupported; compression other
// than run-length encoding for its own bit depth is refused (Paint.NET writes bit fields); an
// 8-bit table without a usable count has 256 entries, a 1- or 2-bit one 2^bits, a header without
// a count field the entries that fit before the pixels; depths other than 1, 2, 4 and 8 are
// refused after their palette; run-length data without an end-of-bitmap code, or stored
// top-down, is refused. The tools folder names the picture each file was made from ("= grad16");
// BMP Suite's pal8, pal4 and pal1 variants (other headers, encodings, row orders and broken
// header fields) hold their standard picture.
const Expected kCorpus[] = {
    {"bmpsuite/g/pal1.bmp", "", 2, 4116, "bmpsuite-pal1"},
    {"bmpsuite/g/pal1bg.bmp", "", 2, 4116},
    {"bmpsuite/g/pal1wb.bmp", "", 2, 4116, "bmpsuite-pal1"},
    {"bmpsuite/g/pal4.bmp", "", 12, 4136, "bmpsuite-pal4"},
    {"bmpsuite/g/pal4gs.bmp", "", 12, 4136},
    {"bmpsuite/g/pal4rle.bmp", "", 12, 4136, "bmpsuite-pal4"},
    {"bmpsuite/g/pal8-0.bmp", "", 256, 8720, "bmpsuite-pal8"},
    {"bmpsuite/g/pal8.bmp", "", 252, 8712, "bmpsuite-pal8"},
    {"bmpsuite/g/pal8gs.bmp", "", 252, 8712},
    {"bmpsuite/g/pal8nonsquare.bmp", "", 252, 4616},
    {"bmpsuite/g/pal8os2.bmp", "", 256, 8720, "bmpsuite-pal8"},
    {"bmpsuite/g/pal8rle.bmp", "", 252, 8712, "bmpsuite-pal8"},
    {"bmpsuite/g/pal8topdown.bmp", "", 252, 8712, "bmpsuite-pal8"},
    {"bmpsuite/g/pal8v4.bmp", "", 252, 8712, "bmpsuite-pal8"},
    {"bmpsuite/g/pal8v5.bmp", "", 252, 8712, "bmpsuite-pal8"},
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
    {"bmpsuite/q/pal1p1.bmp", "", 1, 4114},
    {"bmpsuite/q/pal2.bmp", "", 4, 4120},
    {"bmpsuite/q/pal2color.bmp", "", 4, 4120},
    {"bmpsuite/q/pal4rlecut.bmp", "", 13, 4138},
    {"bmpsuite/q/pal4rletrns.bmp", "", 13, 4138},
    {"bmpsuite/q/pal8offs.bmp", "", 252, 8712, "bmpsuite-pal8"},
    {"bmpsuite/q/pal8os2-hs.bmp", "", 256, 8720, "bmpsuite-pal8"},
    {"bmpsuite/q/pal8os2-sz.bmp", "", 256, 8720, "bmpsuite-pal8"},
    {"bmpsuite/q/pal8os2sp.bmp", "", 252, 8712, "bmpsuite-pal8"},
    {"bmpsuite/q/pal8os2v2-16.bmp", "", 256, 8720, "bmpsuite-pal8"},
    {"bmpsuite/q/pal8os2v2-40sz.bmp", "", 252, 8712, "bmpsuite-pal8"},
    {"bmpsuite/q/pal8os2v2-sz.bmp", "", 252, 8712, "bmpsuite-pal8"},
    {"bmpsuite/q/pal8os2v2.bmp", "", 252, 8712, "bmpsuite-pal8"},
    {"bmpsuite/q/pal8oversizepal.bmp", "", 256, 8720, "bmpsuite-pal8"},
    {"bmpsuite/q/pal8rlecut.bmp", "", 253, 8714},
    {"bmpsuite/q/pal8rletrns.bmp", "", 253, 8714},
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
    {"bmpsuite/b/badbitssize.bmp", "", 2, 4116, "bmpsuite-pal1"},
    {"bmpsuite/b/baddens1.bmp", "", 2, 4116, "bmpsuite-pal1"},
    {"bmpsuite/b/baddens2.bmp", "", 2, 4116, "bmpsuite-pal1"},
    {"bmpsuite/b/badfilesize.bmp", "", 2, 4116, "bmpsuite-pal1"},
    {"bmpsuite/b/badheadersize.bmp", "", 2, 4116, "bmpsuite-pal1"},
    {"bmpsuite/b/badpalettesize.bmp", "", 256, 8720, "bmpsuite-pal8"},
    {"bmpsuite/b/badplanes.bmp", "", 2, 4116, "bmpsuite-pal1"},
    {"bmpsuite/b/badrle.bmp", "", 253, 8714},
    {"bmpsuite/b/badrle4.bmp", "", 13, 4138},
    {"bmpsuite/b/badrle4bis.bmp", "", 13, 4138},
    {"bmpsuite/b/badrle4ter.bmp", "", 13, 4138},
    {"bmpsuite/b/badrlebis.bmp", "", 253, 8714},
    {"bmpsuite/b/badrleter.bmp", "", 253, 8714},
    {"bmpsuite/b/badwidth.bmp", "Error: Bitmap too large, max 65535 x 65535 px!"},
    {"bmpsuite/b/pal8badindex.bmp", "", 101, 8410},
    {"bmpsuite/b/reallybig.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"bmpsuite/b/rgb16-880.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/b/rletopdown.bmp", "Error: RLE bitmap stored top-down is not allowed."},
    {"bmpsuite/b/shortfile.bmp", "Error: Wrong bitmap legth!"},
    {"tools/im-bmp-colors16-gray256.bmp", "", 16, 176},
    {"tools/im-bmp-colors16-pic208.bmp", "", 16, 1328},
    {"tools/im-bmp-gray-grad16.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"tools/im-bmp-gray-gray256.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"tools/im-bmp-palette-col5.bmp", "", 16, 58, "col5"},
    {"tools/im-bmp-palette-grad16.bmp", "", 16, 508, "grad16"},
    {"tools/im-bmp-palette-gray256.bmp", "", 256, 784},
    {"tools/im-bmp-palette-none-gray256.bmp", "", 256, 784},
    {"tools/im-bmp-palette-none-pic208.bmp", "", 256, 3088, "pic208"},
    {"tools/im-bmp-palette-pic208.bmp", "", 256, 3088, "pic208"},
    {"tools/im-bmp-palette-px1.bmp", "", 2, 22, "px1"},
    {"tools/im-bmp-palette-rle-col5.bmp", "", 256, 538, "col5"},
    {"tools/im-bmp-palette-rle-grad16.bmp", "", 256, 1402, "grad16"},
    {"tools/im-bmp-palette-rle-px1.bmp", "", 256, 530, "px1"},
    {"tools/im-bmp-palette-rle-row5.bmp", "", 256, 534, "row5"},
    {"tools/im-bmp-palette-rle-two2c.bmp", "", 256, 690, "two2c"},
    {"tools/im-bmp-palette-row5.bmp", "", 16, 52, "row5"},
    {"tools/im-bmp-palette-two2c.bmp", "", 2, 110, "two2c"},
    {"tools/im-bmp-palettealpha-grad16.bmp", "Error: Compressed file not supported yet."},
    {"tools/im-bmp-rgb565-grad16.bmp", "Error: Compressed file not supported yet."},
    {"tools/im-bmp-truecolor-grad16.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"tools/im-bmp-truecolor-px1.bmp", "Error: Wrong BMP palette."},
    {"tools/im-bmp2-palette-col5.bmp", "", 16, 58, "col5"},
    {"tools/im-bmp2-palette-grad16.bmp", "", 16, 508, "grad16"},
    {"tools/im-bmp2-palette-gray256.bmp", "", 256, 784},
    {"tools/im-bmp2-palette-pic208.bmp", "", 256, 3088, "pic208"},
    {"tools/im-bmp2-palette-px1.bmp", "", 2, 22, "px1"},
    {"tools/im-bmp2-palette-row5.bmp", "", 16, 52, "row5"},
    {"tools/im-bmp2-palette-two2c.bmp", "", 2, 110, "two2c"},
    {"tools/im-bmp3-alpha-grad16.bmp", "Error: Wrong BMP palette."},
    {"tools/im-bmp3-bilevel-grad16.bmp", "", 2, 480},
    {"tools/im-bmp3-colors16-gray256.bmp", "", 16, 176},
    {"tools/im-bmp3-colors16-pic208.bmp", "", 16, 1328},
    {"tools/im-bmp3-gray-grad16.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"tools/im-bmp3-gray-gray256.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"tools/im-bmp3-palette-col5.bmp", "", 16, 58, "col5"},
    {"tools/im-bmp3-palette-grad16.bmp", "", 16, 508, "grad16"},
    {"tools/im-bmp3-palette-gray256.bmp", "", 256, 784},
    {"tools/im-bmp3-palette-none-gray256.bmp", "", 256, 784},
    {"tools/im-bmp3-palette-none-pic208.bmp", "", 256, 3088, "pic208"},
    {"tools/im-bmp3-palette-pic208.bmp", "", 256, 3088, "pic208"},
    {"tools/im-bmp3-palette-px1.bmp", "", 2, 22, "px1"},
    {"tools/im-bmp3-palette-rle-col5.bmp", "", 256, 538, "col5"},
    {"tools/im-bmp3-palette-rle-grad16.bmp", "", 256, 1402, "grad16"},
    {"tools/im-bmp3-palette-rle-px1.bmp", "", 256, 530, "px1"},
    {"tools/im-bmp3-palette-rle-row5.bmp", "", 256, 534, "row5"},
    {"tools/im-bmp3-palette-rle-two2c.bmp", "", 256, 690, "two2c"},
    {"tools/im-bmp3-palette-row5.bmp", "", 16, 52, "row5"},
    {"tools/im-bmp3-palette-two2c.bmp", "", 2, 110, "two2c"},
    {"tools/im-bmp3-truecolor-grad16.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"tools/im-bmp3-truecolor-px1.bmp", "Error: Wrong BMP palette."},
    {"tools/pil-1-grad16.bmp", "", 2, 480},
    {"tools/pil-1-px1.bmp", "", 2, 22},
    {"tools/pil-l-col5.bmp", "", 256, 538},
    {"tools/pil-l-grad16.bmp", "", 256, 1402},
    {"tools/pil-l-gray256.bmp", "", 256, 784, "gray256"},
    {"tools/pil-l-pic208.bmp", "", 256, 3088},
    {"tools/pil-l-px1.bmp", "", 256, 530},
    {"tools/pil-l-row5.bmp", "", 256, 534},
    {"tools/pil-l-two2c.bmp", "", 256, 690},
    {"tools/pil-p-quant16-col5.bmp", "", 256, 538, "col5"},
    {"tools/pil-p-quant16-grad16.bmp", "", 256, 1402, "grad16"},
    {"tools/pil-p-quant16-gray256.bmp", "", 256, 784},
    {"tools/pil-p-quant16-pic208.bmp", "", 256, 3088},
    {"tools/pil-p-quant16-px1.bmp", "", 256, 530, "px1"},
    {"tools/pil-p-quant16-row5.bmp", "", 256, 534, "row5"},
    {"tools/pil-p-quant16-two2c.bmp", "", 256, 690, "two2c"},
    {"tools/pil-p-quant256-gray256.bmp", "", 256, 784, "gray256"},
    {"tools/pil-p-quant256-pic208.bmp", "", 256, 3088, "pic208"},
    {"tools/pil-p-short16-col5.bmp", "", 16, 58, "col5"},
    {"tools/pil-p-short16-grad16.bmp", "", 16, 922, "grad16"},
    {"tools/pil-p-short16-gray256.bmp", "", 16, 304},
    {"tools/pil-p-short16-pic208.bmp", "", 16, 2608},
    {"tools/pil-p-short16-px1.bmp", "", 16, 50, "px1"},
    {"tools/pil-p-short16-row5.bmp", "", 16, 54, "row5"},
    {"tools/pil-p-short16-two2c.bmp", "", 16, 210, "two2c"},
    {"tools/pil-p-web-col5.bmp", "", 256, 538, "col5"},
    {"tools/pil-p-web-grad16.bmp", "", 256, 1402},
    {"tools/pil-p-web-gray256.bmp", "", 256, 784},
    {"tools/pil-p-web-pic208.bmp", "", 256, 3088},
    {"tools/pil-p-web-px1.bmp", "", 256, 530},
    {"tools/pil-p-web-row5.bmp", "", 256, 534, "row5"},
    {"tools/pil-p-web-two2c.bmp", "", 256, 690},
    {"tools/pil-rgb-grad16.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"tools/pil-rgb-px1.bmp", "Error: Wrong BMP palette."},
    {"tools/pil-rgba-grad16.bmp", "Error: Wrong BMP palette."},
    {"tools/pil-rgba-px1.bmp", "Error: Wrong BMP palette."},
    {"tools/pnm-os2-auto-col5.bmp", "", 16, 58, "col5"},
    {"tools/pnm-os2-auto-grad16.bmp", "", 16, 508, "grad16"},
    {"tools/pnm-os2-auto-gray256.bmp", "", 256, 784, "gray256"},
    {"tools/pnm-os2-auto-pic208.bmp", "", 256, 3088, "pic208"},
    {"tools/pnm-os2-auto-row5.bmp", "", 16, 52, "row5"},
    {"tools/pnm-os2-auto-two2c.bmp", "", 2, 110, "two2c"},
    {"tools/pnm-os2-bpp24-grad16.bmp", "Error: Wrong BMP palette."},
    {"tools/pnm-os2-bpp4-px1.bmp", "", 16, 50, "px1"},
    {"tools/pnm-os2-bpp4-two2c.bmp", "", 16, 138, "two2c"},
    {"tools/pnm-os2-bpp8-col5.bmp", "", 256, 538, "col5"},
    {"tools/pnm-os2-bpp8-grad16.bmp", "", 256, 1402, "grad16"},
    {"tools/pnm-os2-bpp8-px1.bmp", "", 256, 530, "px1"},
    {"tools/pnm-os2-bpp8-row5.bmp", "", 256, 534, "row5"},
    {"tools/pnm-os2-bpp8-two2c.bmp", "", 256, 690, "two2c"},
    {"tools/pnm-quant16-win-bpp4-pic208.bmp", "", 16, 1328},
    {"tools/pnm-win-auto-col5.bmp", "", 16, 58, "col5"},
    {"tools/pnm-win-auto-grad16.bmp", "", 16, 508, "grad16"},
    {"tools/pnm-win-auto-gray256.bmp", "", 256, 784, "gray256"},
    {"tools/pnm-win-auto-pic208.bmp", "", 256, 3088, "pic208"},
    {"tools/pnm-win-auto-px1.bmp", "", 2, 22, "px1"},
    {"tools/pnm-win-auto-row5.bmp", "", 16, 52, "row5"},
    {"tools/pnm-win-auto-two2c.bmp", "", 2, 110, "two2c"},
    {"tools/pnm-win-bpp24-grad16.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"tools/pnm-win-bpp4-px1.bmp", "", 16, 50, "px1"},
    {"tools/pnm-win-bpp4-two2c.bmp", "", 16, 138, "two2c"},
    {"tools/pnm-win-bpp8-col5.bmp", "", 256, 538, "col5"},
    {"tools/pnm-win-bpp8-grad16.bmp", "", 256, 1402, "grad16"},
    {"tools/pnm-win-bpp8-px1.bmp", "", 256, 530, "px1"},
    {"tools/pnm-win-bpp8-row5.bmp", "", 256, 534, "row5"},
    {"tools/pnm-win-bpp8-two2c.bmp", "", 256, 690, "two2c"},
    {"paintnet/basi0g01.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/basi0g02.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/basi0g04.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/basi0g08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/basi0g16.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/basi2c08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/basi2c16.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/basi3p01.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/basi3p02.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/basi3p04.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/basi3p08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/basi4a08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/basi4a16.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/basi6a08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/basi6a16.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/basn0g01.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/basn0g02.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/basn0g04.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/basn0g08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/basn0g16.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/basn2c08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/basn2c16.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/basn3p01.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/basn3p02.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/basn3p04.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/basn3p08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/basn4a08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/basn4a16.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/basn6a08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/basn6a16.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/bgai4a08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/bgai4a16.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/bgan6a08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/bgan6a16.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/bgbn4a08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/bggn4a16.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/bgwn6a08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/bgyn6a16.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/ccwn2c08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/ccwn3p08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/cdfn2c08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/cdhn2c08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/cdsn2c08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/cdun2c08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/ch1n3p04.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/ch2n3p08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/cm0n0g04.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/cm7n0g04.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/cm9n0g04.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/cs3n2c16.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/cs3n3p08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/cs5n2c08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/cs5n3p08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/cs8n2c08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/cs8n3p08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/ct0n0g04.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/ct1n0g04.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/cten0g04.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/ctfn0g04.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/ctgn0g04.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/cthn0g04.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/ctjn0g04.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/ctzn0g04.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/exif2c08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/f00n0g08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/f00n2c08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/f01n0g08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/f01n2c08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/f02n0g08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/f02n2c08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/f03n0g08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/f03n2c08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/f04n0g08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/f04n2c08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/f99n0g04.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/g03n0g16.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/g03n2c08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/g03n3p04.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/g04n0g16.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/g04n2c08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/g04n3p04.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/g05n0g16.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/g05n2c08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/g05n3p04.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/g07n0g16.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/g07n2c08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/g07n3p04.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/g10n0g16.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/g10n2c08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/g10n3p04.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/g25n0g16.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/g25n2c08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/g25n3p04.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/oi1n0g16.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/oi1n2c16.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/oi2n0g16.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/oi2n2c16.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/oi4n0g16.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/oi4n2c16.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/oi9n0g16.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/oi9n2c16.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/pp0n2c16.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/pp0n6a08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/ps1n0g08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/ps1n2c16.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/ps2n0g08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/ps2n2c16.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/s01i3p01.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/s01n3p01.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/s02i3p01.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/s02n3p01.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/s03i3p01.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/s03n3p01.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/s04i3p01.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/s04n3p01.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/s05i3p02.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/s05n3p02.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/s06i3p02.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/s06n3p02.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/s07i3p02.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/s07n3p02.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/s08i3p02.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/s08n3p02.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/s09i3p02.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/s09n3p02.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/s32i3p04.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/s32n3p04.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/s33i3p04.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/s33n3p04.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/s34i3p04.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/s34n3p04.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/s35i3p04.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/s35n3p04.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/s36i3p04.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/s36n3p04.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/s37i3p04.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/s37n3p04.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/s38i3p04.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/s38n3p04.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/s39i3p04.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/s39n3p04.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/s40i3p04.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/s40n3p04.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/tbbn0g04.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/tbbn2c16.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/tbbn3p08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/tbgn2c16.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/tbgn3p08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/tbrn2c08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/tbwn0g16.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/tbwn3p08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/tbyn3p08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/tm3n3p02.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/tp0n0g08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/tp0n2c08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/tp0n3p08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/tp1n3p08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/z00n2c08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/z03n2c08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/z06n2c08.bmp", "Error: Compressed file not supported yet."},
    {"paintnet/z09n2c08.bmp", "Error: Compressed file not supported yet."},
    // PngSuite, by the names its INDEX.md explains: palette pictures (3p) of every depth and
    // grey ones (0g) up to 8 bits convert, interlaced or not; every other colour type and depth
    // needs a palette built; the x files are broken (a damaged signature is no PNG at all).
    {"pngsuite/basi0g01.png", "", 2, 532},
    {"pngsuite/basi0g02.png", "", 4, 536},
    {"pngsuite/basi0g04.png", "", 16, 560},
    {"pngsuite/basi0g08.png", "", 256, 1552},
    {"pngsuite/basi0g16.png",
     "Error: 16-bit grayscale PNG needs a palette built; palette and grayscale PNGs up to 8 bits "
     "convert as they are."},
    {"pngsuite/basi2c08.png",
     "Error: 8-bit RGB PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
    {"pngsuite/basi2c16.png",
     "Error: 16-bit RGB PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
    {"pngsuite/basi3p01.png", "", 2, 532},
    {"pngsuite/basi3p02.png", "", 4, 536},
    {"pngsuite/basi3p04.png", "", 15, 558},
    {"pngsuite/basi3p08.png", "", 256, 1552},
    {"pngsuite/basi4a08.png",
     "Error: 8-bit grayscale + alpha PNG needs a palette built; palette and grayscale PNGs up to 8 "
     "bits convert as they are."},
    {"pngsuite/basi4a16.png",
     "Error: 16-bit grayscale + alpha PNG needs a palette built; palette and grayscale PNGs up to "
     "8 bits convert as they are."},
    {"pngsuite/basi6a08.png",
     "Error: 8-bit RGBA PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
    {"pngsuite/basi6a16.png",
     "Error: 16-bit RGBA PNG needs a palette built; palette and grayscale PNGs up to 8 bits "
     "convert as they are."},
    {"pngsuite/basn0g01.png", "", 2, 532},
    {"pngsuite/basn0g02.png", "", 4, 536},
    {"pngsuite/basn0g04.png", "", 16, 560},
    {"pngsuite/basn0g08.png", "", 256, 1552},
    {"pngsuite/basn0g16.png",
     "Error: 16-bit grayscale PNG needs a palette built; palette and grayscale PNGs up to 8 bits "
     "convert as they are."},
    {"pngsuite/basn2c08.png",
     "Error: 8-bit RGB PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
    {"pngsuite/basn2c16.png",
     "Error: 16-bit RGB PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
    {"pngsuite/basn3p01.png", "", 2, 532},
    {"pngsuite/basn3p02.png", "", 4, 536},
    {"pngsuite/basn3p04.png", "", 15, 558},
    {"pngsuite/basn3p08.png", "", 256, 1552},
    {"pngsuite/basn4a08.png",
     "Error: 8-bit grayscale + alpha PNG needs a palette built; palette and grayscale PNGs up to 8 "
     "bits convert as they are."},
    {"pngsuite/basn4a16.png",
     "Error: 16-bit grayscale + alpha PNG needs a palette built; palette and grayscale PNGs up to "
     "8 bits convert as they are."},
    {"pngsuite/basn6a08.png",
     "Error: 8-bit RGBA PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
    {"pngsuite/basn6a16.png",
     "Error: 16-bit RGBA PNG needs a palette built; palette and grayscale PNGs up to 8 bits "
     "convert as they are."},
    {"pngsuite/bgai4a08.png",
     "Error: 8-bit grayscale + alpha PNG needs a palette built; palette and grayscale PNGs up to 8 "
     "bits convert as they are."},
    {"pngsuite/bgai4a16.png",
     "Error: 16-bit grayscale + alpha PNG needs a palette built; palette and grayscale PNGs up to "
     "8 bits convert as they are."},
    {"pngsuite/bgan6a08.png",
     "Error: 8-bit RGBA PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
    {"pngsuite/bgan6a16.png",
     "Error: 16-bit RGBA PNG needs a palette built; palette and grayscale PNGs up to 8 bits "
     "convert as they are."},
    {"pngsuite/bgbn4a08.png",
     "Error: 8-bit grayscale + alpha PNG needs a palette built; palette and grayscale PNGs up to 8 "
     "bits convert as they are."},
    {"pngsuite/bggn4a16.png",
     "Error: 16-bit grayscale + alpha PNG needs a palette built; palette and grayscale PNGs up to "
     "8 bits convert as they are."},
    {"pngsuite/bgwn6a08.png",
     "Error: 8-bit RGBA PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
    {"pngsuite/bgyn6a16.png",
     "Error: 16-bit RGBA PNG needs a palette built; palette and grayscale PNGs up to 8 bits "
     "convert as they are."},
    {"pngsuite/ccwn2c08.png",
     "Error: 8-bit RGB PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
    {"pngsuite/ccwn3p08.png", "", 246, 1532},
    {"pngsuite/cdfn2c08.png",
     "Error: 8-bit RGB PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
    {"pngsuite/cdhn2c08.png",
     "Error: 8-bit RGB PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
    {"pngsuite/cdsn2c08.png",
     "Error: 8-bit RGB PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
    {"pngsuite/cdun2c08.png",
     "Error: 8-bit RGB PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
    {"pngsuite/ch1n3p04.png", "", 15, 558},
    {"pngsuite/ch2n3p08.png", "", 256, 1552},
    {"pngsuite/cm0n0g04.png", "", 16, 560},
    {"pngsuite/cm7n0g04.png", "", 16, 560},
    {"pngsuite/cm9n0g04.png", "", 16, 560},
    {"pngsuite/cs3n2c16.png",
     "Error: 16-bit RGB PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
    {"pngsuite/cs3n3p08.png", "", 28, 1096},
    {"pngsuite/cs5n2c08.png",
     "Error: 8-bit RGB PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
    {"pngsuite/cs5n3p08.png", "", 32, 1104},
    {"pngsuite/cs8n2c08.png",
     "Error: 8-bit RGB PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
    {"pngsuite/cs8n3p08.png", "", 32, 1104},
    {"pngsuite/ct0n0g04.png", "", 16, 560},
    {"pngsuite/ct1n0g04.png", "", 16, 560},
    {"pngsuite/cten0g04.png", "", 16, 560},
    {"pngsuite/ctfn0g04.png", "", 16, 560},
    {"pngsuite/ctgn0g04.png", "", 16, 560},
    {"pngsuite/cthn0g04.png", "", 16, 560},
    {"pngsuite/ctjn0g04.png", "", 16, 560},
    {"pngsuite/ctzn0g04.png", "", 16, 560},
    {"pngsuite/exif2c08.png",
     "Error: 8-bit RGB PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
    {"pngsuite/f00n0g08.png", "", 256, 1552},
    {"pngsuite/f00n2c08.png",
     "Error: 8-bit RGB PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
    {"pngsuite/f01n0g08.png", "", 256, 1552},
    {"pngsuite/f01n2c08.png",
     "Error: 8-bit RGB PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
    {"pngsuite/f02n0g08.png", "", 256, 1552},
    {"pngsuite/f02n2c08.png",
     "Error: 8-bit RGB PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
    {"pngsuite/f03n0g08.png", "", 256, 1552},
    {"pngsuite/f03n2c08.png",
     "Error: 8-bit RGB PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
    {"pngsuite/f04n0g08.png", "", 256, 1552},
    {"pngsuite/f04n2c08.png",
     "Error: 8-bit RGB PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
    {"pngsuite/f99n0g04.png", "", 16, 560},
    {"pngsuite/g03n0g16.png",
     "Error: 16-bit grayscale PNG needs a palette built; palette and grayscale PNGs up to 8 bits "
     "convert as they are."},
    {"pngsuite/g03n2c08.png",
     "Error: 8-bit RGB PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
    {"pngsuite/g03n3p04.png", "", 10, 548},
    {"pngsuite/g04n0g16.png",
     "Error: 16-bit grayscale PNG needs a palette built; palette and grayscale PNGs up to 8 bits "
     "convert as they are."},
    {"pngsuite/g04n2c08.png",
     "Error: 8-bit RGB PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
    {"pngsuite/g04n3p04.png", "", 10, 548},
    {"pngsuite/g05n0g16.png",
     "Error: 16-bit grayscale PNG needs a palette built; palette and grayscale PNGs up to 8 bits "
     "convert as they are."},
    {"pngsuite/g05n2c08.png",
     "Error: 8-bit RGB PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
    {"pngsuite/g05n3p04.png", "", 10, 548},
    {"pngsuite/g07n0g16.png",
     "Error: 16-bit grayscale PNG needs a palette built; palette and grayscale PNGs up to 8 bits "
     "convert as they are."},
    {"pngsuite/g07n2c08.png",
     "Error: 8-bit RGB PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
    {"pngsuite/g07n3p04.png", "", 10, 548},
    {"pngsuite/g10n0g16.png",
     "Error: 16-bit grayscale PNG needs a palette built; palette and grayscale PNGs up to 8 bits "
     "convert as they are."},
    {"pngsuite/g10n2c08.png",
     "Error: 8-bit RGB PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
    {"pngsuite/g10n3p04.png", "", 10, 548},
    {"pngsuite/g25n0g16.png",
     "Error: 16-bit grayscale PNG needs a palette built; palette and grayscale PNGs up to 8 bits "
     "convert as they are."},
    {"pngsuite/g25n2c08.png",
     "Error: 8-bit RGB PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
    {"pngsuite/g25n3p04.png", "", 10, 548},
    {"pngsuite/oi1n0g16.png",
     "Error: 16-bit grayscale PNG needs a palette built; palette and grayscale PNGs up to 8 bits "
     "convert as they are."},
    {"pngsuite/oi1n2c16.png",
     "Error: 16-bit RGB PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
    {"pngsuite/oi2n0g16.png",
     "Error: 16-bit grayscale PNG needs a palette built; palette and grayscale PNGs up to 8 bits "
     "convert as they are."},
    {"pngsuite/oi2n2c16.png",
     "Error: 16-bit RGB PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
    {"pngsuite/oi4n0g16.png",
     "Error: 16-bit grayscale PNG needs a palette built; palette and grayscale PNGs up to 8 bits "
     "convert as they are."},
    {"pngsuite/oi4n2c16.png",
     "Error: 16-bit RGB PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
    {"pngsuite/oi9n0g16.png",
     "Error: 16-bit grayscale PNG needs a palette built; palette and grayscale PNGs up to 8 bits "
     "convert as they are."},
    {"pngsuite/oi9n2c16.png",
     "Error: 16-bit RGB PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
    {"pngsuite/pp0n2c16.png",
     "Error: 16-bit RGB PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
    {"pngsuite/pp0n6a08.png",
     "Error: 8-bit RGBA PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
    {"pngsuite/ps1n0g08.png", "", 256, 1552},
    {"pngsuite/ps1n2c16.png",
     "Error: 16-bit RGB PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
    {"pngsuite/ps2n0g08.png", "", 256, 1552},
    {"pngsuite/ps2n2c16.png",
     "Error: 16-bit RGB PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
    {"pngsuite/s01i3p01.png", "", 1, 20},
    {"pngsuite/s01n3p01.png", "", 1, 20},
    {"pngsuite/s02i3p01.png", "", 1, 22},
    {"pngsuite/s02n3p01.png", "", 1, 22},
    {"pngsuite/s03i3p01.png", "", 2, 26},
    {"pngsuite/s03n3p01.png", "", 2, 26},
    {"pngsuite/s04i3p01.png", "", 2, 28},
    {"pngsuite/s04n3p01.png", "", 2, 28},
    {"pngsuite/s05i3p02.png", "", 3, 42},
    {"pngsuite/s05n3p02.png", "", 3, 42},
    {"pngsuite/s06i3p02.png", "", 3, 46},
    {"pngsuite/s06n3p02.png", "", 3, 46},
    {"pngsuite/s07i3p02.png", "", 4, 52},
    {"pngsuite/s07n3p02.png", "", 4, 52},
    {"pngsuite/s08i3p02.png", "", 4, 56},
    {"pngsuite/s08n3p02.png", "", 4, 56},
    {"pngsuite/s09i3p02.png", "", 4, 78},
    {"pngsuite/s09n3p02.png", "", 4, 78},
    {"pngsuite/s32i3p04.png", "", 13, 554},
    {"pngsuite/s32n3p04.png", "", 13, 554},
    {"pngsuite/s33i3p04.png", "", 13, 636},
    {"pngsuite/s33n3p04.png", "", 13, 636},
    {"pngsuite/s34i3p04.png", "", 13, 654},
    {"pngsuite/s34n3p04.png", "", 13, 654},
    {"pngsuite/s35i3p04.png", "", 13, 672},
    {"pngsuite/s35n3p04.png", "", 13, 672},
    {"pngsuite/s36i3p04.png", "", 13, 690},
    {"pngsuite/s36n3p04.png", "", 13, 690},
    {"pngsuite/s37i3p04.png", "", 13, 782},
    {"pngsuite/s37n3p04.png", "", 13, 782},
    {"pngsuite/s38i3p04.png", "", 13, 802},
    {"pngsuite/s38n3p04.png", "", 13, 802},
    {"pngsuite/s39i3p04.png", "", 13, 822},
    {"pngsuite/s39n3p04.png", "", 13, 822},
    {"pngsuite/s40i3p04.png", "", 13, 842},
    {"pngsuite/s40n3p04.png", "", 13, 842},
    {"pngsuite/tbbn0g04.png", "", 16, 560},
    {"pngsuite/tbbn2c16.png",
     "Error: 16-bit RGB PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
    {"pngsuite/tbbn3p08.png", "", 246, 1532},
    {"pngsuite/tbgn2c16.png",
     "Error: 16-bit RGB PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
    {"pngsuite/tbgn3p08.png", "", 246, 1532},
    {"pngsuite/tbrn2c08.png",
     "Error: 8-bit RGB PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
    {"pngsuite/tbwn0g16.png",
     "Error: 16-bit grayscale PNG needs a palette built; palette and grayscale PNGs up to 8 bits "
     "convert as they are."},
    {"pngsuite/tbwn3p08.png", "", 245, 1530},
    {"pngsuite/tbyn3p08.png", "", 246, 1532},
    {"pngsuite/tm3n3p02.png", "", 4, 536},
    {"pngsuite/tp0n0g08.png", "", 256, 1552},
    {"pngsuite/tp0n2c08.png",
     "Error: 8-bit RGB PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
    {"pngsuite/tp0n3p08.png", "", 245, 1530},
    {"pngsuite/tp1n3p08.png", "", 245, 1530},
    {"pngsuite/xc1n0g08.png", "Error: Broken PNG file: Invalid IHDR data."},
    {"pngsuite/xc9n2c08.png", "Error: Broken PNG file: Invalid IHDR data."},
    {"pngsuite/xcrn0g04.png", "Error: Wrong format of file - in.png"},
    {"pngsuite/xcsn0g01.png", "Error: Broken PNG file: IDAT: CRC error."},
    {"pngsuite/xd0n2c08.png", "Error: Broken PNG file: Invalid IHDR data."},
    {"pngsuite/xd3n2c08.png", "Error: Broken PNG file: Invalid IHDR data."},
    {"pngsuite/xd9n2c08.png", "Error: Broken PNG file: Invalid IHDR data."},
    {"pngsuite/xdtn0g01.png", "Error: Broken PNG file: IEND: out of place."},
    {"pngsuite/xhdn0g08.png", "Error: Broken PNG file: IHDR: CRC error."},
    {"pngsuite/xlfn0g04.png", "Error: Wrong format of file - in.png"},
    {"pngsuite/xs1n0g01.png", "Error: Wrong format of file - in.png"},
    {"pngsuite/xs2n0g01.png", "Error: Wrong format of file - in.png"},
    {"pngsuite/xs4n0g01.png", "Error: Wrong format of file - in.png"},
    {"pngsuite/xs7n0g01.png", "Error: Wrong format of file - in.png"},
    {"pngsuite/z00n2c08.png",
     "Error: 8-bit RGB PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
    {"pngsuite/z03n2c08.png",
     "Error: 8-bit RGB PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
    {"pngsuite/z06n2c08.png",
     "Error: 8-bit RGB PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
    {"pngsuite/z09n2c08.png",
     "Error: 8-bit RGB PNG needs a palette built; palette and grayscale PNGs up to 8 bits convert "
     "as they are."},
};

const path kCorpusDir = QUILLPIX_CORPUS_DIR;

// The colour words a PNG shows, read through libpng's own expansion to RGBA rather than the
// index path the conversion takes.
std::vector<uint16_t> pngColours(const std::vector<uint8_t>& file) {
  PngReader reader(file);
  EXPECT_TRUE(reader.readFormat()) << reader.error();
  const PngFormat& format = reader.format();
  std::vector<std::vector<uint8_t>> rows(format.height,
                                         std::vector<uint8_t>(4 * size_t{format.width}));
  std::vector<uint8_t*> pointers;
  for (std::vector<uint8_t>& row : rows) pointers.push_back(row.data());
  EXPECT_TRUE(reader.readRgbaRows(pointers)) << reader.error();
  std::vector<uint16_t> colours;
  for (const std::vector<uint8_t>& row : rows) {
    for (size_t at = 0; at < row.size(); at += 4) {
      colours.push_back(packColourWord(scaleComponent(row[at]), scaleComponent(row[at + 1]),
                                       scaleComponent(row[at + 2]), true));
    }
  }
  return colours;
}

// The picture a VKM file shows: each pixel's colour word, or 0xFFFF for an index beyond the
// palette.
std::vector<uint16_t> shownColours(const std::vector<uint8_t>& vkm) {
  const VkmDecodeResult decoded = decodeVkmFile(vkm);
  EXPECT_TRUE(decoded.ok) << decoded.error;
  std::vector<uint16_t> colours;
  if (!decoded.ok) return colours;
  const VkmImage& image = decoded.image;
  for (uint32_t y = 0; y < image.height; ++y) {
    for (uint32_t x = 0; x < image.width; ++x) {
      const uint8_t index = image.pixelIndex(x, y);
      colours.push_back(index < image.colours.size() ? image.colours[index] : 0xFFFF);
    }
  }
  return colours;
}

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
  std::map<std::string, std::pair<std::string, std::vector<uint16_t>>> firstOfPicture;
  for (const Expected& expected : kCorpus) {
    SCOPED_TRACE(expected.file);
    testing::TempDir dir;
    const path source = kCorpusDir / expected.file;
    ASSERT_TRUE(testing::fs::exists(source));
    const std::string input = "in" + source.extension().string();
    testing::fs::copy_file(source, dir / input);
    const testing::ProgramResult result =
        testing::runProgram({input, "--debug"}, testing::inDirectory(dir.path()));
    EXPECT_EQ(result.err, "");
    const std::vector<std::string> errors = errorLines(result.out);
    if (*expected.error != '\0') {
      EXPECT_EQ(result.status, 1);
      EXPECT_EQ(errors, std::vector<std::string>{expected.error});
      EXPECT_EQ(dir.entries(), std::vector<std::string>{input});
      continue;
    }
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(errors.empty()) << errors.front();
    const std::vector<uint8_t> vkm = testing::readBytes(dir / "in.vkm");
    ASSERT_EQ(vkm.size(), expected.vkmLength);
    EXPECT_EQ(std::vector<uint8_t>(vkm.begin(), vkm.begin() + 5),
              (std::vector<uint8_t>{0x7F, 'V', 'K', 'M', 3}));
    EXPECT_EQ(readLe16(vkm, 14), 2 * expected.colourCount);
    const std::vector<uint8_t> bmp = testing::readBytes(source);
    if (source.extension() == ".png") {
      const uint8_t depth = bmp[24];  // IHDR: width and height big-endian at 16 and 20
      EXPECT_EQ(vkm[7], depth <= 4 ? 1 : 2);
      EXPECT_EQ(readLe16(vkm, 8), bmp[18] << 8 | bmp[19]);
      EXPECT_EQ(readLe16(vkm, 10), bmp[22] << 8 | bmp[23]);
      EXPECT_TRUE(shownColours(vkm) == pngColours(bmp)) << "the pixels differ from libpng's";
      continue;
    }
    const bool coreHeader = readLe32(bmp, 14) == 12;
    const uint16_t bitCount = readLe16(bmp, coreHeader ? 24 : 28);
    EXPECT_EQ(vkm[7], bitCount <= 4 ? 1 : 2);
    EXPECT_EQ(readLe16(vkm, 8), coreHeader ? readLe16(bmp, 18) : readLe32(bmp, 18));
    EXPECT_EQ(readLe16(vkm, 10),
              coreHeader ? readLe16(bmp, 20) : std::abs(static_cast<int32_t>(readLe32(bmp, 22))));
    EXPECT_EQ(readLe16(vkm, 14), 2 * expected.colourCount);
    if (*expected.picture == '\0') continue;
    const auto [first, inserted] =
        firstOfPicture.try_emplace(expected.picture, expected.file, shownColours(vkm));
    if (!inserted) {
      EXPECT_TRUE(first->second.second == shownColours(vkm))
          << "shows another picture than " << first->second.first;
    }
  }
}

// With --colors=256 every file that holds a readable picture converts, true-colour ones too;
// refused are only the broken files, compressions other than run-length and bit fields (JPEG,
// PNG, Huffman, RLE24), the 64-bit image, and sizes the output header cannot hold.
const std::map<std::string, std::string> kRefusedWithColours = {
    {"bmpsuite/b/badbitcount.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"bmpsuite/b/badwidth.bmp", "Error: Bitmap too large, max 65535 x 65535 px!"},
    {"bmpsuite/b/reallybig.bmp", "Error: Bitmap too large, max 65535 x 65535 px!"},
    {"bmpsuite/b/rletopdown.bmp", "Error: RLE bitmap stored top-down is not allowed."},
    {"bmpsuite/b/shortfile.bmp", "Error: Wrong bitmap legth!"},
    {"bmpsuite/q/pal1huffmsb.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/q/rgb24jpeg.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/q/rgb24png.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/q/rgb24rle24.bmp", "Error: Compressed file not supported yet."},
    {"bmpsuite/q/rgba64.bmp", "Error: support only 16 & 256 colors bmp!"},
    {"pngsuite/xc1n0g08.png", "Error: Broken PNG file: Invalid IHDR data."},
    {"pngsuite/xc9n2c08.png", "Error: Broken PNG file: Invalid IHDR data."},
    {"pngsuite/xcrn0g04.png", "Error: Wrong format of file - in.png"},
    {"pngsuite/xcsn0g01.png", "Error: Broken PNG file: IDAT: CRC error."},
    {"pngsuite/xd0n2c08.png", "Error: Broken PNG file: Invalid IHDR data."},
    {"pngsuite/xd3n2c08.png", "Error: Broken PNG file: Invalid IHDR data."},
    {"pngsuite/xd9n2c08.png", "Error: Broken PNG file: Invalid IHDR data."},
    {"pngsuite/xdtn0g01.png", "Error: Broken PNG file: IEND: out of place."},
    {"pngsuite/xhdn0g08.png", "Error: Broken PNG file: IHDR: CRC error."},
    {"pngsuite/xlfn0g04.png", "Error: Wrong format of file - in.png"},
    {"pngsuite/xs1n0g01.png", "Error: Wrong format of file - in.png"},
    {"pngsuite/xs2n0g01.png", "Error: Wrong format of file - in.png"},
    {"pngsuite/xs4n0g01.png", "Error: Wrong format of file - in.png"},
    {"pngsuite/xs7n0g01.png", "Error: Wrong format of file - in.png"},
};

TEST(CorpusTest, EveryReadableFileConvertsWithColours) {
  if (!testing::fs::is_directory(kCorpusDir)) GTEST_SKIP() << "no corpus at " << kCorpusDir;
  std::map<std::string, std::vector<uint16_t>> shown;
  for (const auto& entry : testing::fs::recursive_directory_iterator(kCorpusDir)) {
    const path source = entry.path();
    if (source.extension() != ".bmp" && source.extension() != ".png") continue;
    const std::string relative = testing::fs::relative(source, kCorpusDir).string();
    SCOPED_TRACE(relative);
    testing::TempDir dir;
    const std::string input = "in" + source.extension().string();
    testing::fs::copy_file(source, dir / input);
    const testing::ProgramResult result =
        testing::runProgram({input, "--colors=256"}, testing::inDirectory(dir.path()));
    const std::vector<std::string> errors = errorLines(result.out);
    const auto refused = kRefusedWithColours.find(relative);
    if (refused != kRefusedWithColours.end()) {
      EXPECT_EQ(result.status, 1);
      EXPECT_EQ(errors, std::vector<std::string>{refused->second});
      continue;
    }
    ASSERT_EQ(result.status, 0) << result.out;
    const std::vector<uint16_t> colours = shownColours(testing::readBytes(dir / "in.vkm"));
    EXPECT_EQ(std::count(colours.begin(), colours.end(), 0xFFFF), 0) << "index beyond the palette";
    shown[relative] = colours;
  }
  // Paint.NET's copies of PngSuite's pictures with samples of 8 bits or fewer hold the same
  // pixels (it reduces 16-bit samples to 8 its own way).
  for (const auto& [name, colours] : shown) {
    if (!name.starts_with("paintnet/") || name.ends_with("16.bmp")) continue;
    const std::string twin = "pngsuite/" + name.substr(9, name.size() - 13) + ".png";
    ASSERT_TRUE(shown.contains(twin)) << twin;
    EXPECT_TRUE(colours == shown[twin]) << name << " shows another picture than " << twin;
  }
}

TEST(CorpusTest, TableNamesEveryFile) {
  if (!testing::fs::is_directory(kCorpusDir)) GTEST_SKIP() << "no corpus at " << kCorpusDir;
  std::map<std::string, bool> listed;
  for (const Expected& expected : kCorpus) listed[expected.file] = true;
  for (const auto& entry : testing::fs::recursive_directory_iterator(kCorpusDir)) {
    if (entry.path().extension() != ".bmp" && entry.path().extension() != ".png") continue;
    const std::string relative = testing::fs::relative(entry.path(), kCorpusDir).string();
    EXPECT_TRUE(listed.contains(relative)) << relative << " has no expected outcome";
  }
}

}  // namespace
}  // namespace quillpix
