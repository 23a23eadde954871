// Broken inputs, failing disks and odd standard streams: no crash, no read outside the buffer,
// no lost or partial file, and no failure reported as success.
#include <sys/mount.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/bmp_builder.h"
#include "tests/fuzz/conversion_check.h"
#include "tests/test_support.h"

namespace quillpix {
namespace {

using testing::BmpBuilder;
using testing::readBytes;
using testing::runProgram;
using testing::TempDir;
using Bytes = std::vector<uint8_t>;

BmpBuilder sampleImage(uint16_t bitCount, uint32_t width, int32_t height) {
  BmpBuilder bmp;
  bmp.bitCount = bitCount;
  bmp.width = width;
  bmp.height = height;
  bmp.colours = testing::greyRamp(bitCount == 4 ? 16 : 256);
  bmp.fillByte = 0x3C;
  return bmp;
}

void expectInvariants(const Bytes& input, const std::string& what) {
  const fuzzing::CheckedRun run = fuzzing::checkConversion(input);
  EXPECT_EQ(run.broken, "") << what << "\n" << run.report;
}

// Every prefix of a few valid files: each boundary of header, table and rows is crossed.
TEST(BrokenInputTest, EveryTruncationIsRefusedCleanly) {
  for (const BmpBuilder& bmp : {sampleImage(8, 3, 2), sampleImage(4, 5, -3), [] {
                                  BmpBuilder large = sampleImage(4, 2, 2);
                                  large.infoHeaderSize = 124;
                                  return large;
                                }()}) {
    const Bytes whole = bmp.build();
    for (size_t length = 0; length < whole.size(); ++length) {
      expectInvariants(Bytes(whole.begin(), whole.begin() + length),
                       "prefix of " + std::to_string(length) + " bytes");
    }
    EXPECT_TRUE(fuzzing::checkConversion(whole).accepted);
  }
}

// Each header byte set to values that flip signs, zero fields or push them to their extremes.
TEST(BrokenInputTest, EveryCorruptHeaderByteKeepsInvariants) {
  const Bytes whole = sampleImage(8, 5, 3).build();
  for (size_t at = 0; at < 54; ++at) {
    for (uint8_t value : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
      Bytes corrupt = whole;
      corrupt[at] = value;
      expectInvariants(corrupt, "byte " + std::to_string(at) + " = " + std::to_string(value));
    }
  }
}

// Inputs the fuzzer found, kept under tests/fuzz/regressions: each keeps the invariants in
// memory (or claims more than the fuzzer lets through), and the program ends on it with one
// error line or a file.
TEST(BrokenInputTest, FuzzFindingsStayFixed) {
  const testing::fs::path folder =
      testing::fs::path(QUILLPIX_SOURCE_DIR) / "tests/fuzz/regressions";
  size_t replayed = 0;
  for (const auto& entry : testing::fs::directory_iterator(folder)) {
    const std::string file = entry.path().filename().string();
    const Bytes input = readBytes(entry.path());
    const fuzzing::CheckedRun run = fuzzing::checkConversion(input);
    EXPECT_EQ(run.broken, "") << file << "\n" << run.report;

    // The program, given the same settings on its command line.
    TempDir dir;
    const std::string name = "in" + entry.path().extension().string();
    testing::writeBytes(dir / name, input);
    std::vector<std::string> arguments = fuzzing::switchesFor(fuzzing::optionsFor(input));
    arguments.insert(arguments.begin(), name);
    const testing::ProgramResult result = runProgram(arguments, testing::inDirectory(dir.path()));
    size_t errors = 0;
    for (size_t at = result.out.find("Error: "); at != std::string::npos;
         at = result.out.find("Error: ", at + 1)) {
      ++errors;
    }
    if (result.status == 0) {
      EXPECT_EQ(errors, 0u) << file;
      EXPECT_TRUE(testing::fs::exists(dir / "in.vkm")) << file;
    } else {
      EXPECT_EQ(result.status, 1) << file;
      EXPECT_EQ(errors, 1u) << file << "\n" << result.out;
    }
    ++replayed;
  }
  EXPECT_GT(replayed, 0u) << "no regression inputs in " << folder;
}

class StreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const Bytes bmp = sampleImage(8, 300, 40).build();
    testing::writeBytes(reference_ / "pic.bmp", bmp);
    ASSERT_EQ(runProgram({"pic.bmp", "--debug"}, testing::inDirectory(reference_.path())).status,
              0);
    expected_ = readBytes(reference_ / "pic.vkm");
    testing::writeBytes(dir_ / "pic.bmp", bmp);
  }
  TempDir reference_, dir_;
  Bytes expected_;
};

TEST_F(StreamTest, ClosedStandardOutput) {
  testing::RunOptions options = testing::inDirectory(dir_.path());
  options.closeStdout = true;
  const testing::ProgramResult result = runProgram({"pic.bmp", "--debug"}, options);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(readBytes(dir_ / "pic.vkm"), expected_);
  EXPECT_EQ(dir_.entries(), (std::vector<std::string>{"pic.bmp", "pic.vkm"}));

  // A refusal keeps its status too.
  options.closeStdout = true;
  EXPECT_EQ(runProgram({"missing.bmp"}, options).status, 1);
}

TEST_F(StreamTest, FullStandardOutput) {
  testing::RunOptions options = testing::inDirectory(dir_.path());
  options.stdoutPath = "/dev/full";
  const testing::ProgramResult result = runProgram({"pic.bmp", "--debug"}, options);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(readBytes(dir_ / "pic.vkm"), expected_);
  EXPECT_EQ(runProgram({"missing.bmp"}, options).status, 1);
}

// A small tmpfs that the output does not fit in; needs root, skipped elsewhere.
TEST(FullFileSystemTest, LeavesNothingBehind) {
  TempDir dir;
  const testing::fs::path mountPoint = dir / "small";
  testing::fs::create_directory(mountPoint);
  if (::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=64k") != 0) {
    GTEST_SKIP() << "cannot mount a tmpfs here";
  }
  const Bytes bmp = sampleImage(8, 200, 200).build();  // 41 KB in, 40 KB out
  testing::writeBytes(mountPoint / "pic.bmp", bmp);
  testing::writeBytes(mountPoint / "pic.vkm", {'o', 'l', 'd'});
  const testing::ProgramResult result = runProgram({"pic.bmp"}, testing::inDirectory(mountPoint));
  std::vector<std::string> left;
  for (const auto& entry : testing::fs::directory_iterator(mountPoint)) {
    left.push_back(entry.path().filename().string());
  }
  std::sort(left.begin(), left.end());
  const Bytes old = readBytes(mountPoint / "pic.vkm");
  ::umount(mountPoint.c_str());

  EXPECT_EQ(result.status, 1);
  EXPECT_TRUE(result.out.ends_with("Bitmap rowSize - 200 bytes\nError: Can't write file: pic.vkm"))
      << result.out;
  EXPECT_EQ(left, (std::vector<std::string>{"pic.bmp", "pic.vkm"}));
  EXPECT_EQ(old, (Bytes{'o', 'l', 'd'}));
}

// Every path through the program under valgrind: no memory error and no leak.
TEST(ValgrindTest, NoErrorOrLeakOnAnyPath) {
#ifdef QUILLPIX_SANITIZED
  GTEST_SKIP() << "valgrind does not run sanitized binaries";
#endif
  if (std::system("valgrind --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "no valgrind";
  TempDir dir;
  testing::writeBytes(dir / "good.bmp", sampleImage(4, 33, 7).build());
  testing::writeBytes(dir / "bad.bmp", {'B', 'X', 1, 2, 3});
  BmpBuilder compressed = sampleImage(8, 2, 2);
  compressed.biCompression = 1;
  testing::writeBytes(dir / "rle.bmp", compressed.build());
  BmpBuilder deep = sampleImage(16, 2, 2);
  deep.colours.clear();
  deep.biClrUsed = 0;
  testing::writeBytes(dir / "deep.bmp", deep.build());
  BmpBuilder mono = sampleImage(1, 2, 2);
  testing::writeBytes(dir / "mono.bmp", mono.build());
  BmpBuilder rle4 = sampleImage(4, 5, 3);
  rle4.biCompression = 2;
  rle4.pixelData = {0x07, 0x12, 0x00, 0x02, 0x01, 0x01, 0x00, 0x03, 0x12, 0x30, 0x00, 0x01};
  testing::writeBytes(dir / "runs.bmp", rle4.build());
  BmpBuilder core = sampleImage(8, 3, 2);
  core.infoHeaderSize = 12;
  testing::writeBytes(dir / "core.bmp", core.build());
  Bytes cut = sampleImage(8, 40, 40).build();
  cut.resize(cut.size() - 100);
  testing::writeBytes(dir / "cut.bmp", cut);
  testing::writeBytes(dir / "taken.bmp", sampleImage(8, 4, 4).build());
  testing::fs::create_directory(dir / "taken.vkm");

  const std::vector<std::pair<std::vector<std::string>, int>> runs = {
      {{"good.bmp", "--debug", "--64"}, 0},
      {{"missing.bmp"}, 1},
      {{"bad.bmp"}, 1},
      {{"rle.bmp"}, 1},
      {{"deep.bmp"}, 1},
      {{"mono.bmp"}, 0},
      {{"runs.bmp", "--debug", "--bg", "3"}, 0},
      {{"core.bmp", "--debug"}, 0},
      {{"cut.bmp"}, 1},
      {{"taken.bmp"}, 1},
      {{}, 0},
  };
  for (const auto& [arguments, status] : runs) {
    testing::RunOptions options = testing::inDirectory(dir.path());
    options.prefix = {"valgrind", "--leak-check=full", "--error-exitcode=99", "--quiet"};
    const testing::ProgramResult result = runProgram(arguments, options);
    const std::string name = arguments.empty() ? "(no arguments)" : arguments.front();
    EXPECT_EQ(result.status, status) << name << "\n" << result.err;
    EXPECT_EQ(result.err, "") << name;
  }
}

}  // namespace
}  // namespace quillpix
