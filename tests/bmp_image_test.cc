#include "bmp/bmp_image.h"

#include <sys/resource.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "bmp/input_file.h"
#include "tests/bmp_builder.h"
#include "tests/test_support.h"

namespace quillpix {
namespace {

using testing::BmpBuilder;
using testing::kBanner;
using testing::runProgram;
using testing::settingsLines;
using testing::TempDir;

std::string decodeReport(const std::vector<uint8_t>& file, bool* accepted = nullptr) {
  return testing::captureOutput([&](std::FILE* out) {
    bool ok = decodeBmpImage(std::move(*makeFileImage(file)), "pic.bmp", out).has_value();
    if (accepted != nullptr) *accepted = ok;
  });
}

TEST(DecodeBmpImageTest, ReportsFortyByteHeader) {
  BmpBuilder bmp;
  bmp.width = 3;
  bmp.height = 2;
  bmp.colours = testing::greyRamp(4);
  bool accepted = false;
  EXPECT_EQ(decodeReport(bmp.build(), &accepted),
            "File analizing... BMP format detected!\n"
            "\nBMP header:\n"
            "---------------------------------\n"
            "  file size: 78 bytes\n"
            "  image width: 3 px\n"
            "  image heigth: 2 px\n"
            "  image planes: 1\n"
            "  bits/pixel: 8\n"
            "  compress type: 0 (none)\n"
            "  image size: 8 bytes\n"
            "  x pixels per meter: 2835\n"
            "  y pixels per meter: 2835\n"
            "  colors in color table: 4\n"
            "  important color count: 0\n\n");
  EXPECT_TRUE(accepted);
}

TEST(DecodeBmpImageTest, ReportsLargeHeaderAndKeepsTableBehindIt) {
  BmpBuilder bmp;
  bmp.bitCount = 4;
  bmp.width = 5;
  bmp.height = 1;
  bmp.infoHeaderSize = 124;
  bmp.colours = testing::greyRamp(16);
  bmp.biXPelsPerMeter = -1;
  bmp.biYPelsPerMeter = 0;
  bmp.biClrImportant = 16;
  EXPECT_EQ(decodeReport(bmp.build()),
            "File analizing... BMP format detected!\n"
            "\nBMP header:\n"
            "---------------------------------\n"
            "  file size: 206 bytes\n"
            "  image width: 5 px\n"
            "  image heigth: 1 px\n"
            "  image planes: 1\n"
            "  bits/pixel: 4\n"
            "  compress type: 0 (none)\n"
            "  image size: 4 bytes\n"
            "  x pixels per meter: -1\n"
            "  y pixels per meter: 0\n"
            "  colors in color table: 16\n"
            "  important color count: 16\n\n");

  const BmpImage image = testing::decodeFixture(bmp.build());
  EXPECT_EQ(image.colourTableOffset, 138u);
  EXPECT_EQ(image.bfOffBits, 202u);
}

TEST(DecodeBmpImageTest, ReportsTopDownHeightAsNegative) {
  BmpBuilder bmp;
  bmp.width = 1;
  bmp.height = -200;
  bmp.colours = testing::greyRamp(2);
  bmp.biPlanes = 3;  // printed, never refused
  EXPECT_EQ(decodeReport(bmp.build()),
            "File analizing... BMP format detected!\n"
            "\nBMP header:\n"
            "---------------------------------\n"
            "  file size: 862 bytes\n"
            "  image width: 1 px\n"
            "  image heigth: -200 px\n"
            "  image planes: 3\n"
            "  bits/pixel: 8\n"
            "  compress type: 0 (none)\n"
            "  image size: 800 bytes\n"
            "  x pixels per meter: 2835\n"
            "  y pixels per meter: 2835\n"
            "  colors in color table: 2\n"
            "  important color count: 0\n\n");
}

TEST(DecodeBmpImageTest, ReportsCompressedFileInFullBeforeRefusing) {
  BmpBuilder bmp;
  bmp.width = 256;
  bmp.height = 256;
  bmp.colours = testing::greyRamp(256);
  bmp.biCompression = 2;  // run-length encoding for 4 bits, in an 8-bit file
  bmp.biSizeImage = 0x80000000u;
  bmp.biClrImportant = 0xFFFFFFFFu;
  bool accepted = true;
  EXPECT_EQ(decodeReport(bmp.build(), &accepted),
            "File analizing... BMP format detected!\n"
            "\nBMP header:\n"
            "---------------------------------\n"
            "  file size: 66614 bytes\n"
            "  image width: 256 px\n"
            "  image heigth: 256 px\n"
            "  image planes: 1\n"
            "  bits/pixel: 8\n"
            "  compress type: 2 (RLE 4-bit/pixel)\n"
            "  image size: -2147483648 bytes\n"
            "  x pixels per meter: 2835\n"
            "  y pixels per meter: 2835\n"
            "  colors in color table: 256\n"
            "  important color count: -1\n\n"
            "Error: Compressed file not supported yet.\n");
  EXPECT_FALSE(accepted);
}

TEST(DecodeBmpImageTest, NamesEveryCompressionType) {
  // Each value is refused: run-length encoding only goes with the bit depth it is defined for.
  struct Case {
    uint32_t compression;
    uint16_t bitCount;
    const char* line;
  };
  const Case cases[] = {
      {1, 4, "  compress type: 1 (RLE 8-bit/pixel)\n"},
      {2, 8, "  compress type: 2 (RLE 4-bit/pixel)\n"},
      {1, 1, "  compress type: 1 (RLE 8-bit/pixel)\n"},
      {2, 2, "  compress type: 2 (RLE 4-bit/pixel)\n"},
      {3, 8, "  compress type: 3 (Bit field or Huffman 1D compression for BITMAPCOREHEADER2)\n"},
      {4, 8, "  compress type: 4 (JPEG or RLE-24 compression for BITMAPCOREHEADER2)\n"},
      {5, 8, "  compress type: 5 (PNG)\n"},
      {6, 8, "  compress type: 6 (Bit field)\n"},
      {7, 8, "  compress type: 7 (unknown)\n"},
      {0xFFFFFFFFu, 8, "  compress type: -1 (unknown)\n"},
  };
  for (const Case& c : cases) {
    BmpBuilder bmp;
    bmp.biCompression = c.compression;
    bmp.bitCount = c.bitCount;
    bmp.colours = testing::greyRamp(2);
    const std::string report = decodeReport(bmp.build());
    EXPECT_NE(report.find(c.line), std::string::npos) << report;
    EXPECT_TRUE(report.ends_with("\n\nError: Compressed file not supported yet.\n")) << report;
  }
}

// Whole-program runs of every way loading can fail.
class LoadFailureTest : public ::testing::Test {
 protected:
  testing::ProgramResult run(const std::string& name) {
    return runProgram({name}, testing::inDirectory(dir_.path()));
  }
  std::string expected(const std::string& rest) {
    return kBanner + settingsLines(false, true) + rest;
  }
  TempDir dir_;
};

TEST_F(LoadFailureTest, MissingFile) {
  const testing::ProgramResult result = run("nothing.bmp");
  EXPECT_EQ(result.out,
            expected("Work file: nothing.bmp Error: Can't opening file -  nothing.bmp\n"));
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "");
}

TEST_F(LoadFailureTest, DirectoryAndFifoAreNotFiles) {
  testing::fs::create_directory(dir_ / "folder.bmp");
  ASSERT_EQ(::mkfifo((dir_ / "pipe.bmp").c_str(), 0644), 0);
  testing::writeBytes(dir_ / "pipe.vkm", {'o', 'l', 'd'});
  for (const std::string name : {"folder.bmp", "pipe.bmp"}) {
    const testing::ProgramResult result = run(name);
    EXPECT_EQ(result.out,
              expected("Work file: " + name + " Error: Can't opening file -  " + name + "\n"));
    EXPECT_EQ(result.status, 1);
  }
  EXPECT_EQ(dir_.entries(), (std::vector<std::string>{"folder.bmp", "pipe.bmp", "pipe.vkm"}));
  EXPECT_EQ(testing::readBytes(dir_ / "pipe.vkm"), (std::vector<uint8_t>{'o', 'l', 'd'}));
}

TEST_F(LoadFailureTest, BadContents) {
  std::vector<uint8_t> shortHeader = {'B', 'M'};
  shortHeader.resize(53, 0);
  BmpBuilder tiny;  // shorter than the OS/2 core header
  tiny.biSize = 11;
  BmpBuilder between;  // between the core header and the shortest OS/2 2.x one
  between.biSize = 15;
  std::vector<uint8_t> cutCore = {'B', 'M'};
  cutCore.resize(25, 0);
  cutCore[14] = 12;
  BmpBuilder cut;
  cut.infoHeaderSize = 124;
  std::vector<uint8_t> cutFile = cut.build();
  cutFile.resize(137);
  BmpBuilder hugeHeader;
  hugeHeader.biSize = 0xFFFFFFF0u;

  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    std::string rest;
  };
  auto lengthLine = [](size_t n) { return "(" + std::to_string(n) + " bytes)\n"; };
  const Case cases[] = {
      {"empty.bmp", {}, "Error: Wrong size of file - empty.bmp\n"},
      {"b.bmp", {'B'}, lengthLine(1) + "File analizing... Error: Wrong format of file - b.bmp\n"},
      {"lower.bmp",
       {'b', 'm', 0, 0},
       lengthLine(4) + "File analizing... Error: Wrong format of file - lower.bmp\n"},
      {"short.bmp", shortHeader,
       lengthLine(53) +
           "File analizing... BMP format detected!\nError: Wrong size of file - short.bmp\n"},
      {"tiny.bmp", tiny.build(),
       lengthLine(tiny.build().size()) +
           "File analizing... BMP format detected!\nError: Unsupported BMP header size - 11 "
           "bytes.\n"},
      {"between.bmp", between.build(),
       lengthLine(between.build().size()) +
           "File analizing... BMP format detected!\nError: Unsupported BMP header size - 15 "
           "bytes.\n"},
      {"cutcore.bmp", cutCore,
       lengthLine(25) +
           "File analizing... BMP format detected!\nError: Wrong size of file - cutcore.bmp\n"},
      {"cut.bmp", cutFile,
       lengthLine(137) +
           "File analizing... BMP format detected!\nError: Wrong size of file - cut.bmp\n"},
      {"huge.bmp", hugeHeader.build(),
       lengthLine(hugeHeader.build().size()) +
           "File analizing... BMP format detected!\nError: Wrong size of file - huge.bmp\n"},
  };
  for (const Case& c : cases) {
    testing::writeBytes(dir_ / c.name, c.bytes);
    const testing::ProgramResult result = run(c.name);
    EXPECT_EQ(result.out, expected(std::string("Work file: ") + c.name + " " + c.rest)) << c.name;
    EXPECT_EQ(result.status, 1) << c.name;
    EXPECT_EQ(result.err, "") << c.name;
  }
}

// A file that reads back shorter than its length: files under /sys report 4096 bytes and
// deliver only their text.
TEST_F(LoadFailureTest, ShortRead) {
  const std::string name = "/sys/kernel/mm/transparent_hugepage/enabled";
  struct stat info;
  if (::stat(name.c_str(), &info) != 0 || info.st_size <= 64) GTEST_SKIP() << "no such file";
  const testing::ProgramResult result = run(name);
  EXPECT_EQ(result.out, expected("Work file: " + name + " (" + std::to_string(info.st_size) +
                                 " bytes)\nError: Can't read file - " + name + "\n"));
  EXPECT_EQ(result.status, 1);
}

TEST_F(LoadFailureTest, NotEnoughMemory) {
#ifdef QUILLPIX_SANITIZED
  GTEST_SKIP() << "the sanitizers need more address space than the limit leaves";
#endif
  // A sparse 1 GiB file that the address-space limit leaves no room to load.
  std::vector<uint8_t> start = {'B', 'M'};
  testing::writeBytes(dir_ / "big.bmp", start);
  testing::fs::resize_file(dir_ / "big.bmp", uint64_t{1} << 30);
  testing::RunOptions options = testing::inDirectory(dir_.path());
  options.beforeExec = [] {
    struct rlimit limit = {256u << 20, 256u << 20};
    ::setrlimit(RLIMIT_AS, &limit);
  };
  const testing::ProgramResult result = runProgram({"big.bmp"}, options);
  EXPECT_EQ(result.out,
            expected("Work file: big.bmp (1073741824 bytes)\nError: Not enough memory.\n"));
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "");
}

// A large file is loaded in two halves at once: every byte lands where it belongs, and a file
// that ends before its length is a read failure.
TEST(LoadWholeFileTest, LoadsLargeFilesInTwoHalves) {
  TempDir dir;
  for (size_t length : {size_t{100}, (size_t{16} << 20) - 1, (size_t{17} << 20) + 12345}) {
    std::vector<uint8_t> bytes(length);
    for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>(i * 2654435761u >> 13);
    testing::writeBytes(dir / "big", bytes);
    InputFile file((dir / "big").string());
    ASSERT_TRUE(file.isOpen());
    std::optional<ByteBuffer> buffer = ByteBuffer::reserve(length + 1);
    ASSERT_TRUE(buffer);
    ASSERT_EQ(loadWholeFile(file, *buffer, length), LoadStatus::kLoaded) << length;
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), buffer->data())) << length;
    // Asked for more than the file holds.
    std::optional<ByteBuffer> longer = ByteBuffer::reserve(length + 2);
    EXPECT_EQ(loadWholeFile(file, *longer, length + 1), LoadStatus::kReadFailed) << length;
  }
}

}  // namespace
}  // namespace quillpix
