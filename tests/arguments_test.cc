#include "app/arguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/test_support.h"

namespace quillpix {
namespace {

using testing::kBanner;
using testing::kUsage;
using testing::runProgram;

struct ScanCase {
  const char* name;
  std::vector<const char*> arguments;
  std::optional<std::string> inputFileName;
  bool debug;
  bool fullColour;
  uint8_t backgroundIndex;
  bool usageRequested;
};

void PrintTo(const ScanCase& c, std::ostream* os) {
  *os << c.name;
}

class ScanArgumentsTest : public ::testing::TestWithParam<ScanCase> {};

TEST_P(ScanArgumentsTest, FillsSettings) {
  const ScanCase& c = GetParam();
  const ConversionSettings settings = scanArguments(c.arguments);
  EXPECT_EQ(settings.inputFileName, c.inputFileName);
  EXPECT_EQ(settings.debug, c.debug);
  EXPECT_EQ(settings.fullColour, c.fullColour);
  EXPECT_EQ(settings.backgroundIndex, c.backgroundIndex);
  EXPECT_EQ(settings.usageRequested, c.usageRequested);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ScanArgumentsTest,
    ::testing::Values(
        ScanCase{"NoArguments", {}, std::nullopt, false, true, 0, false},
        ScanCase{
            "SwitchFirstIsNoFileName", {"--debug", "a.bmp"}, std::nullopt, true, true, 0, false},
        ScanCase{"BgWithoutValue", {"a.bmp", "--bg"}, "a.bmp", false, true, 0, true},
        ScanCase{"PlainNumberEndsScan",
                 {"a.bmp", "--bg", "5", "--debug"},
                 "a.bmp",
                 false,
                 true,
                 5,
                 false},
        ScanCase{"DebugThenBg", {"a.bmp", "--debug", "--bg", "5"}, "a.bmp", true, true, 5, false},
        ScanCase{
            "BgValueIsAlsoASwitch", {"a.bmp", "--bg", "--debug"}, "a.bmp", true, true, 0, false},
        ScanCase{
            "BgTakesBgThenLacksValue", {"a.bmp", "--bg", "--bg"}, "a.bmp", false, true, 0, true},
        ScanCase{"FileAlone", {"a.bmp"}, "a.bmp", false, true, 0, false},
        ScanCase{"SixtyFour", {"a.bmp", "--64"}, "a.bmp", false, false, 0, false},
        ScanCase{"WrongCaseIgnored", {"a.bmp", "--DEBUG", "--64"}, "a.bmp", false, false, 0, false},
        ScanCase{"SuffixIgnored", {"a.bmp", "--debug=1", "--64"}, "a.bmp", false, false, 0, false},
        ScanCase{"DoubleDashIgnored", {"a.bmp", "--", "--64"}, "a.bmp", false, false, 0, false},
        ScanCase{
            "SingleDashOptionEndsScan", {"a.bmp", "-x", "--debug"}, "a.bmp", false, true, 0, false},
        ScanCase{"LoneDashEndsScan", {"a.bmp", "-", "--debug"}, "a.bmp", false, true, 0, false},
        ScanCase{
            "SecondFileEndsScan", {"a.bmp", "b.bmp", "--debug"}, "a.bmp", false, true, 0, false},
        ScanCase{"LoneDashIsNoFileName", {"-"}, std::nullopt, false, true, 0, false},
        ScanCase{"EmptyFileName", {""}, "", false, true, 0, false},
        ScanCase{"LastBgWins", {"a.bmp", "--bg", "--bg", "9"}, "a.bmp", false, true, 9, false}),
    [](const ::testing::TestParamInfo<ScanCase>& info) { return std::string(info.param.name); });

TEST(ParseBackgroundIndexTest, ClampsThenKeepsLowByte) {
  struct Case {
    const char* text;
    uint8_t expected;
  };
  const Case cases[] = {
      {"5", 5},
      {"300", 44},
      {"-1", 255},
      {"-5", 251},
      {"12abc", 12},
      {"0x10", 0},
      {"#05", 0},
      {"256", 0},
      {"255", 255},
      {"1000", 232},
      {"", 0},
      {"-", 0},
      {" \t\n7", 7},
      {"+9", 9},
      {"2147483647", 255},
      {"2147483648", 255},
      {"99999999999999999999999", 255},
      {"-2147483647", 1},
      {"-2147483648", 0},
      {"-2147483649", 0},
      {"-99999999999999999999999", 0},
      {"4294967296", 255},
      {" +-3", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(parseBackgroundIndex(c.text), c.expected) << "value \"" << c.text << "\"";
  }
}

TEST(FrontEndTest, PrintsUsageWhenNoFileIsNamed) {
  const std::vector<std::vector<std::string>> runs = {
      {}, {"--debug", "a.bmp"}, {"-"}, {"a.bmp", "--bg"}};
  for (const auto& arguments : runs) {
    const testing::ProgramResult result = runProgram(arguments);
    EXPECT_EQ(result.out, kBanner + kUsage);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);
  }
}

TEST(FrontEndTest, PrintsSettingsBeforeLoading) {
  struct Case {
    std::vector<std::string> arguments;
    std::string settings;
  };
  const Case cases[] = {
      {{"missing.bmp"}, "Debug: Disabled\nFull colors: Enabled\n"},
      {{"missing.bmp", "--64", "--debug"}, "Debug: Enabled\nFull colors: Disabled\n"},
      {{"missing.bmp", "--bg", "5", "--debug"}, "Debug: Disabled\nFull colors: Enabled\n"},
  };
  for (const Case& c : cases) {
    const testing::ProgramResult result = runProgram(c.arguments);
    EXPECT_EQ(result.out, kBanner + c.settings +
                              "Work file: missing.bmp Error: Can't opening file -  missing.bmp\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 1);
  }
}

TEST(FrontEndTest, EmptyFileNameFailsToOpen) {
  const testing::ProgramResult result = runProgram({""});
  EXPECT_EQ(result.out, kBanner + testing::settingsLines(false, true) +
                            "Work file:  Error: Can't opening file -  \n");
  EXPECT_EQ(result.status, 1);
}

}  // namespace
}  // namespace quillpix
