// The command line: switches into settings, and the texts the front end prints itself.
#ifndef QUILLPIX_APP_ARGUMENTS_H_
#define QUILLPIX_APP_ARGUMENTS_H_

#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "convert/dither.h"

namespace quillpix {

// Everything the command line sets; filled before anything is printed and not changed after.
struct ConversionSettings {
  std::optional<std::string> inputFileName;
  bool debug = false;
  bool fullColour = true;  // --64 turns it off
  uint8_t backgroundIndex = 0;
  bool backgroundGiven = false;  // --bg was given with a value
  bool usageRequested = false;   // --bg with nothing after it
  std::optional<int> colours;    // --colors=N: build a palette of at most N colours
  Dither dither = Dither::kDiffusion;
  std::string switchError;  // the error line for a switch given a value it does not take
};

// Scans the arguments that follow the program's own name.
ConversionSettings scanArguments(std::span<const char* const> arguments);

// The background value of --bg: a decimal number clamped to 32 bits, then its low eight bits.
uint8_t parseBackgroundIndex(std::string_view text);

void printBanner(std::FILE* out);
void printUsage(std::FILE* out);
void printSettings(const ConversionSettings& settings, std::FILE* out);

// The value of --colors=N, 2 to 256; nothing for anything else.
std::optional<int> parseColourCount(std::string_view text);
// The value of --dither=name; nothing for a name it does not know.
std::optional<Dither> parseDither(std::string_view text);

}  // namespace quillpix

#endif  // QUILLPIX_APP_ARGUMENTS_H_
