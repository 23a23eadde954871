#include "vkm/vkm_writer.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "tests/bmp_builder.h"
#include "tests/test_support.h"
#include "vkm/file_replace.h"

namespace quillpix {
namespace {

using testing::BmpBuilder;
using testing::readBytes;
using testing::Rgb;
using testing::runProgram;
using testing::TempDir;
using Bytes = std::vector<uint8_t>;

TEST(MakeOutputNameTest, KeepsDirectoryAndCutsFileNameAtFirstDot) {
  struct Case {
    const char* input;
    const char* output;
    bool valid;
  };
  const Case cases[] = {
      {"pic.bmp", "pic.vkm", true},
      {"pic", "pic.vkm", true},
      {"pic.", "pic.vkm", true},
      {"pic.old.bmp", "pic.vkm", true},
      {".pic.bmp", "pic.vkm", true},
      {"my.art/pic.bmp", "my.art/pic.vkm", true},
      {"../art/pic.bmp", "../art/pic.vkm", true},
      {"dir/.pic.bmp", "dir/pic.vkm", true},
      {"/abs/x.y/..pic..bmp", "/abs/x.y/pic.vkm", true},
      {"pic.vkm", "pic.vkm", true},
      {"", ".vkm", false},
      {"...", ".vkm", false},
      {"dir/", "dir/.vkm", false},
      {"dir/..", "dir/.vkm", false},
  };
  for (const Case& c : cases) {
    const OutputName name = makeOutputName(c.input);
    EXPECT_EQ(name.path, c.output) << "input \"" << c.input << "\"";
    EXPECT_EQ(name.valid, c.valid) << "input \"" << c.input << "\"";
  }
}

TEST(MakeVkmHeaderTest, WorkedExamples) {
  const VkmHeader fourBit = makeVkmHeader(0, 4, 5, 1, 16);
  EXPECT_EQ(Bytes(fourBit.begin(), fourBit.end()),
            (Bytes{0x7F, 'V', 'K', 'M', 0x03, 0x00, 0x00, 0x01, 0x05, 0x00, 0x01, 0x00, 0x02, 0x00,
                   0x20, 0x00}));
  const VkmHeader eightBit = makeVkmHeader(5, 8, 3, 2, 64);
  EXPECT_EQ(Bytes(eightBit.begin() + 4, eightBit.end()),
            (Bytes{0x03, 0x05, 0x00, 0x02, 0x03, 0x00, 0x02, 0x00, 0x02, 0x00, 0x80, 0x00}));
  const VkmHeader most = makeVkmHeader(0, 8, 65535, 65535, 255);
  EXPECT_EQ(Bytes(most.begin() + 8, most.end()),
            (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x00, 0xFE, 0x01}));
  const VkmHeader full = makeVkmHeader(0, 8, 1, 1, 256);
  EXPECT_EQ(full[14], 0x00);
  EXPECT_EQ(full[15], 0x02);
}

// End-to-end conversions through the program.
class ConversionTest : public ::testing::Test {
 protected:
  testing::ProgramResult convert(const BmpBuilder& bmp, std::vector<std::string> switches,
                                 const std::string& name = "pic.bmp") {
    testing::writeBytes(dir_ / name, bmp.build());
    switches.insert(switches.begin(), name);
    return runProgram(switches, testing::inDirectory(dir_.path()));
  }
  TempDir dir_;
};

TEST_F(ConversionTest, EightBitWithBackgroundInBothModes) {
  BmpBuilder bmp;
  bmp.width = 3;
  bmp.height = 2;
  bmp.colours = {Rgb{0xFF, 0x80, 0x10}, Rgb{255, 255, 255}};
  bmp.storedRows = {{0x01, 0x02, 0x03}, {0x0A, 0x0B, 0x0C}};
  const Bytes header = {0x7F, 'V', 'K', 'M', 3, 5, 0, 2, 3, 0, 2, 0, 2, 0, 4, 0};
  const Bytes pixels = {0x0A, 0x0B, 0x0C, 0x00, 0x01, 0x02, 0x03, 0x00};

  const testing::ProgramResult full = convert(bmp, {"--bg", "5"});
  ASSERT_EQ(full.status, 0) << full.out;
  Bytes expected = header;
  expected.insert(expected.end(), {0x82, 0x61, 0x18, 0x63});
  expected.insert(expected.end(), pixels.begin(), pixels.end());
  EXPECT_EQ(readBytes(dir_ / "pic.vkm"), expected);
  EXPECT_EQ(full.err, "");
  EXPECT_EQ(full.out, testing::kBanner + testing::settingsLines(false, true) +
                          "Work file: pic.bmp (70 bytes)\n"
                          "File analizing... BMP format detected!\n"
                          "\nBMP header:\n"
                          "---------------------------------\n"
                          "  file size: 70 bytes\n"
                          "  image width: 3 px\n"
                          "  image heigth: 2 px\n"
                          "  image planes: 1\n"
                          "  bits/pixel: 8\n"
                          "  compress type: 0 (none)\n"
                          "  image size: 8 bytes\n"
                          "  x pixels per meter: 2835\n"
                          "  y pixels per meter: 2835\n"
                          "  colors in color table: 2\n"
                          "  important color count: 0\n\n"
                          "BMP palette:\n"
                          "---------------------------------\n"
                          "BMP use calculated colors: 2\n\n"
                          "\nBMP Bitmap data...\n"
                          "---------------------------------\n"
                          "Bitmap bits - 8 \n"
                          "workWidth - 3\n"
                          "Bitmap data length - 6 bytes\n"
                          "Bitmap rowSize - 4 bytes\n");

  const testing::ProgramResult cut = convert(bmp, {"--64", "--bg", "5"});
  ASSERT_EQ(cut.status, 0) << cut.out;
  expected = header;
  expected.insert(expected.end(), {0x00, 0x61, 0x18, 0x63});
  expected.insert(expected.end(), pixels.begin(), pixels.end());
  EXPECT_EQ(readBytes(dir_ / "pic.vkm"), expected);
  EXPECT_EQ(dir_.entries(), (std::vector<std::string>{"pic.bmp", "pic.vkm"}));
}

TEST_F(ConversionTest, FourBitBehindLargeHeader) {
  BmpBuilder bmp;
  bmp.bitCount = 4;
  bmp.width = 5;
  bmp.height = 1;
  bmp.infoHeaderSize = 124;
  bmp.colours = testing::greyRamp(16);
  bmp.biClrUsed = 0;
  bmp.storedRows = {{0x01, 0x23, 0x40}};
  const testing::ProgramResult result = convert(bmp, {}, "in.pic.bmp");
  ASSERT_EQ(result.status, 0) << result.out;
  const Bytes file = readBytes(dir_ / "in.vkm");
  ASSERT_EQ(file.size(), 52u);
  EXPECT_EQ(Bytes(file.begin() + 4, file.begin() + 16),
            (Bytes{0x03, 0x00, 0x00, 0x01, 0x05, 0x00, 0x01, 0x00, 0x02, 0x00, 0x20, 0x00}));
  // Grey 17 (level 2) and white (level 24) are the second and last entries.
  EXPECT_EQ(Bytes(file.begin() + 18, file.begin() + 20), (Bytes{0x42, 0x08}));
  EXPECT_EQ(Bytes(file.begin() + 46, file.begin() + 48), (Bytes{0x18, 0x63}));
  EXPECT_EQ(Bytes(file.begin() + 48, file.end()), (Bytes{0x01, 0x23, 0x40, 0x00}));
}

TEST_F(ConversionTest, TopDownAndFullTableImage) {
  BmpBuilder bmp;
  bmp.width = 2;
  bmp.height = -3;
  bmp.colours = testing::greyRamp(256);
  bmp.biClrUsed = 0;
  bmp.storedRows = {{1, 2}, {3, 4}, {5, 6}};
  const testing::ProgramResult result = convert(bmp, {"--bg", "-1"});
  ASSERT_EQ(result.status, 0) << result.out;
  const Bytes file = readBytes(dir_ / "pic.vkm");
  ASSERT_EQ(file.size(), 16u + 512u + 6u);
  EXPECT_EQ(Bytes(file.begin() + 4, file.begin() + 16),
            (Bytes{0x03, 0xFF, 0x00, 0x02, 0x02, 0x00, 0x03, 0x00, 0x02, 0x00, 0x00, 0x02}));
  EXPECT_EQ(Bytes(file.end() - 6, file.end()), (Bytes{1, 2, 3, 4, 5, 6}));
  EXPECT_NE(result.out.find("  image heigth: -3 px\n"), std::string::npos);
}

// Rows are written from where they lie in the loaded file, two gathered parts a row when the
// width is odd: thousands of rows take several gathered writes.
TEST_F(ConversionTest, ManyRowsWrittenInPlace) {
  for (int32_t height : {2500, -2500}) {
    for (uint32_t width : {3u, 4u}) {
      BmpBuilder bmp;
      bmp.width = width;
      bmp.height = height;
      bmp.colours = testing::greyRamp(2);
      Bytes expected;
      for (int32_t r = 0; r < 2500; ++r) {
        Bytes row;
        for (uint32_t x = 0; x < width; ++x) row.push_back(static_cast<uint8_t>(r * 7 + x));
        bmp.storedRows.push_back(row);
        // The output's top row is the stored row 2499 of a bottom-up file.
        const Bytes& top = bmp.storedRows.back();
        Bytes padded = top;
        if (width % 2) padded.push_back(0);
        if (height > 0) expected.insert(expected.begin(), padded.begin(), padded.end());
        if (height < 0) expected.insert(expected.end(), padded.begin(), padded.end());
      }
      bmp.rowPadByte = 0xEE;
      const testing::ProgramResult result = convert(bmp, {});
      ASSERT_EQ(result.status, 0) << result.out;
      const Bytes file = readBytes(dir_ / "pic.vkm");
      ASSERT_EQ(file.size(), 16u + 4u + expected.size()) << width << " x " << height;
      EXPECT_TRUE(std::equal(expected.begin(), expected.end(), file.begin() + 20))
          << width << " x " << height;
    }
  }
}

TEST(ReplaceFileContentsTest, WritesEveryPartInOrder) {
  TempDir dir;
  std::vector<Bytes> pieces;
  std::vector<std::span<const uint8_t>> parts;
  Bytes expected;
  for (int i = 0; i < 3000; ++i) {
    pieces.push_back(Bytes(static_cast<size_t>(i % 5), static_cast<uint8_t>(i)));  // some empty
  }
  for (const Bytes& piece : pieces) {
    parts.push_back(piece);
    expected.insert(expected.end(), piece.begin(), piece.end());
  }
  ASSERT_TRUE(replaceFileContents((dir / "out").string(), parts));
  EXPECT_EQ(readBytes(dir / "out"), expected);
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"out"});
}

TEST_F(ConversionTest, InputNamedLikeItsOutputIsReplaced) {
  BmpBuilder bmp;
  bmp.colours = testing::greyRamp(2);
  const testing::ProgramResult result = convert(bmp, {}, "pic.vkm");
  ASSERT_EQ(result.status, 0) << result.out;
  EXPECT_EQ(readBytes(dir_ / "pic.vkm").size(), 16u + 4u + 2u);
  EXPECT_EQ(dir_.entries(), (std::vector<std::string>{"pic.vkm"}));
}

TEST_F(ConversionTest, NewFileTakesPermissionsFromUmask) {
  BmpBuilder bmp;
  bmp.colours = testing::greyRamp(2);
  testing::writeBytes(dir_ / "pic.bmp", bmp.build());
  testing::RunOptions options = testing::inDirectory(dir_.path());
  options.beforeExec = [] { ::umask(027); };
  ASSERT_EQ(runProgram({"pic.bmp"}, options).status, 0);
  struct stat info;
  ASSERT_EQ(::stat((dir_ / "pic.vkm").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
}

// Ways writing can fail: the message, status 1, and nothing left behind or changed.
class WriteFailureTest : public ConversionTest {
 protected:
  void SetUp() override {
    bmp_.width = 512;
    bmp_.height = 64;
    bmp_.colours = testing::greyRamp(16);
  }
  void expectRefused(const testing::ProgramResult& result, const std::string& outputName) {
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(
        result.out.ends_with("Bitmap rowSize - 512 bytes\nError: Can't write file: " + outputName))
        << result.out;
    EXPECT_EQ(result.err, "");
  }
  BmpBuilder bmp_;
};

TEST_F(WriteFailureTest, TargetIsADirectory) {
  testing::fs::create_directory(dir_ / "pic.vkm");
  testing::writeBytes(dir_ / "pic.vkm" / "keep", {1, 2, 3});
  expectRefused(convert(bmp_, {}), "pic.vkm");
  EXPECT_EQ(dir_.entries(), (std::vector<std::string>{"pic.bmp", "pic.vkm"}));
  EXPECT_EQ(readBytes(dir_ / "pic.vkm" / "keep"), (Bytes{1, 2, 3}));
}

TEST_F(WriteFailureTest, FileSizeLimitMidWrite) {
  testing::writeBytes(dir_ / "pic.bmp", bmp_.build());
  testing::writeBytes(dir_ / "pic.vkm", {'o', 'l', 'd'});
  testing::RunOptions options = testing::inDirectory(dir_.path());
  options.beforeExec = [] {
    ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = {4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
  };
  expectRefused(runProgram({"pic.bmp"}, options), "pic.vkm");
  EXPECT_EQ(dir_.entries(), (std::vector<std::string>{"pic.bmp", "pic.vkm"}));
  EXPECT_EQ(readBytes(dir_ / "pic.vkm"), (Bytes{'o', 'l', 'd'}));
}

TEST_F(WriteFailureTest, FileNameWithoutBase) {
  testing::writeBytes(dir_ / "...", bmp_.build());
  testing::fs::create_directory(dir_ / "sub");
  testing::writeBytes(dir_ / "sub" / "...", bmp_.build());
  expectRefused(runProgram({"..."}, testing::inDirectory(dir_.path())), ".vkm");
  expectRefused(runProgram({"sub/..."}, testing::inDirectory(dir_.path())), "sub/.vkm");
  EXPECT_EQ(dir_.entries(), (std::vector<std::string>{"...", "sub"}));
  EXPECT_EQ(testing::fs::directory_entry(dir_ / "sub" / "...").is_regular_file(), true);
}

}  // namespace
}  // namespace quillpix
