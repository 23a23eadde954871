#include "app/arguments.h"

#include <cstdint>

namespace quillpix {
namespace {

bool isSwitch(std::string_view argument) {
  return argument.starts_with("--");
}

bool isSpace(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

constexpr std::string_view kColoursSwitch = "--colors";
constexpr std::string_view kDitherSwitch = "--dither";

// The value of a --name=value switch, or nothing when `argument` is not that switch. The name
// alone counts as the switch with no value.
std::optional<std::string_view> switchValue(std::string_view argument, std::string_view name) {
  if (!argument.starts_with(name)) return std::nullopt;
  argument.remove_prefix(name.size());
  if (argument.empty()) return argument;
  if (argument.front() != '=') return std::nullopt;
  return argument.substr(1);
}

}  // namespace

std::optional<int> parseColourCount(std::string_view text) {
  if (text.empty() || text.size() > 3) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value < 2 || value > 256) return std::nullopt;
  return value;
}

std::optional<Dither> parseDither(std::string_view text) {
  if (text == "none") return Dither::kNone;
  if (text == "ordered") return Dither::kOrdered;
  if (text == "diffusion") return Dither::kDiffusion;
  return std::nullopt;
}

uint8_t parseBackgroundIndex(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && isSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // Accumulate the magnitude, saturating just past the 32-bit range so long inputs cannot wrap.
  constexpr int64_t kSaturated = int64_t{INT32_MAX} + 2;
  int64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > kSaturated) magnitude = kSaturated;
  }
  int64_t value = negative ? -magnitude : magnitude;
  if (value > INT32_MAX) value = INT32_MAX;
  if (value < INT32_MIN) value = INT32_MIN;
  return static_cast<uint8_t>(static_cast<uint32_t>(static_cast<int32_t>(value)) & 0xFF);
}

ConversionSettings scanArguments(std::span<const char* const> arguments) {
  ConversionSettings settings;
  size_t next = 0;
  if (!arguments.empty() && arguments[0][0] != '-') settings.inputFileName = arguments[next++];
  // Every pass advances by one argument, --bg included: its value is looked at again as the
  // next argument, and a plain number there ends the scan.
  for (; next < arguments.size() && isSwitch(arguments[next]); ++next) {
    const std::string_view argument = arguments[next];
    if (argument == "--debug") {
      settings.debug = true;
    } else if (argument == "--64") {
      settings.fullColour = false;
    } else if (std::optional<std::string_view> value = switchValue(argument, kColoursSwitch)) {
      settings.colours = parseColourCount(*value);
      if (!settings.colours && settings.switchError.empty()) {
        settings.switchError =
            "Error: --colors takes a number of colors from 2 to 256, as in --colors=16.\n";
      }
    } else if (std::optional<std::string_view> value = switchValue(argument, kDitherSwitch)) {
      const std::optional<Dither> dither = parseDither(*value);
      if (dither) settings.dither = *dither;
      if (!dither && settings.switchError.empty()) {
        settings.switchError =
            "Error: --dither takes none, ordered or diffusion, as in --dither=ordered.\n";
      }
    } else if (argument == "--bg") {
      if (next + 1 < arguments.size()) {
        settings.backgroundIndex = parseBackgroundIndex(arguments[next + 1]);
        settings.backgroundGiven = true;
      } else {
        settings.usageRequested = true;
      }
    }
  }
  return settings;
}

void printBanner(std::FILE* out) {
  std::fputs("\nBMP to VKM v3 (Vektramap) v0.8 (alpha)   11 Feb 2016\n", out);
  std::fputs(
      "-----------------------------------------------------------------------------------\n", out);
  std::fputs("Converts 16- and 256-colour BMP images into VKM v3 image files.\n", out);
  std::fputs("\n", out);
}

void printUsage(std::FILE* out) {
  std::fputs("Usage:     quillpix <filename> [commands]\n", out);
  std::fputs("Commands:\n", out);
  std::fputs("  --debug   enable output debug information (default disabled)\n", out);
  std::fputs("  --64      cut palette to atm 64 colors limit (default disabled)\n", out);
  std::fputs("  --bg nn   set background color. where nn number from palette (default #00)\n", out);
  std::fputs("  --colors=N  build a palette of at most N colors (2 to 256) from the picture\n",
             out);
  std::fputs("  --dither=M  with --colors: none, ordered or diffusion (default diffusion)\n", out);
}

void printSettings(const ConversionSettings& settings, std::FILE* out) {
  std::fprintf(out, "Debug: %s", settings.debug ? "Enabled\n" : "Disabled\n");
  std::fprintf(out, "Full colors: %s", settings.fullColour ? "Enabled\n" : "Disabled\n");
}

}  // namespace quillpix
