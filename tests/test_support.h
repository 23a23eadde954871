// Helpers shared by the tests: running the real program, temporary folders, files, and
// capturing what a step prints.
#ifndef QUILLPIX_TESTS_TEST_SUPPORT_H_
#define QUILLPIX_TESTS_TEST_SUPPORT_H_

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bmp/bmp_image.h"
#include "convert/pixel_block.h"

namespace quillpix::testing {

namespace fs = std::filesystem;

struct ProgramResult {
  std::string out;
  std::string err;
  int status = -1;  // exit status, or 128 + signal number
};

inline std::vector<uint8_t> readBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::string readText(const fs::path& path) {
  std::vector<uint8_t> bytes = readBytes(path);
  return {bytes.begin(), bytes.end()};
}

inline void writeBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "quillpix-test-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~TempDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const fs::path& path() const { return path_; }
  fs::path operator/(const std::string& name) const { return path_ / name; }

  // The names of everything in the folder, sorted.
  std::vector<std::string> entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  fs::path path_;
};

struct RunOptions {
  fs::path workingDirectory;         // empty: the test's own
  std::function<void()> beforeExec;  // runs in the child, e.g. to set limits
  std::vector<std::string> prefix;   // a wrapper program such as valgrind, before quillpix
  std::string stdoutPath;            // empty: captured; otherwise the file stdout goes to
  bool closeStdout = false;
  std::string program = QUILLPIX_BINARY;  // the binary to run
};

inline RunOptions inDirectory(const fs::path& directory) {
  RunOptions options;
  options.workingDirectory = directory;
  return options;
}

// Runs the quillpix binary (or `options.program`) with `arguments`, capturing stdout and stderr
// through files so that a large report cannot fill a pipe.
inline ProgramResult runProgram(const std::vector<std::string>& arguments,
                                const RunOptions& options = {}) {
  TempDir capture;
  const std::string outPath =
      options.stdoutPath.empty() ? (capture / "stdout").string() : options.stdoutPath;
  const std::string errPath = (capture / "stderr").string();
  std::vector<std::string> command = options.prefix;
  command.push_back(options.program);
  command.insert(command.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : command) argv.push_back(word.data());
  argv.push_back(nullptr);

  std::fflush(nullptr);
  pid_t child = ::fork();
  if (child == 0) {
    if (options.closeStdout) {
      ::close(1);
    } else {
      int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      ::dup2(out, 1);
      ::close(out);
    }
    int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(err, 2);
    ::close(err);
    if (!options.workingDirectory.empty() && ::chdir(options.workingDirectory.c_str()) != 0) {
      ::_exit(126);
    }
    if (options.beforeExec) options.beforeExec();
    ::execvp(argv[0], argv.data());
    ::_exit(127);
  }
  ProgramResult result;
  int wstatus = 0;
  ::waitpid(child, &wstatus, 0);
  result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
  if (options.stdoutPath.empty() && !options.closeStdout) result.out = readText(outPath);
  result.err = readText(errPath);
  return result;
}

// What `print` writes to a stream, as a string.
inline std::string captureOutput(const std::function<void(std::FILE*)>& print) {
  char* text = nullptr;
  size_t size = 0;
  std::FILE* stream = ::open_memstream(&text, &size);
  print(stream);
  std::fclose(stream);
  std::string captured(text, size);
  std::free(text);
  return captured;
}

// A BMP fixture decoded as the loading step would, its header report discarded. An empty image
// when the fixture is refused (the test then fails).
inline BmpImage decodeFixture(const std::vector<uint8_t>& file) {
  std::FILE* sink = std::fopen("/dev/null", "w");
  std::optional<BmpImage> image = decodeBmpImage(std::move(*makeFileImage(file)), "pic.bmp", sink);
  std::fclose(sink);
  EXPECT_TRUE(image.has_value()) << "the fixture was refused";
  return image ? std::move(*image) : BmpImage{};
}

// The block's rows as the output file holds them: each row's pixel bytes, then its pad byte.
inline std::vector<uint8_t> outputRows(const PixelBlock& block) {
  std::vector<uint8_t> bytes;
  for (uint32_t i = 0; i < block.rows(); ++i) {
    bytes.insert(bytes.end(), block.row(i), block.row(i) + block.workWidth());
    if (block.rowLength() > block.workWidth()) bytes.push_back(0);
  }
  return bytes;
}

// The banner every run starts with.
inline const std::string kBanner =
    "\nBMP to VKM v3 (Vektramap) v0.8 (alpha)   11 Feb 2016\n"
    "-----------------------------------------------------------------------------------\n"
    "Converts 16- and 256-colour BMP images into VKM v3 image files.\n"
    "\n";

inline const std::string kUsage =
    "Usage:     quillpix <filename> [commands]\n"
    "Commands:\n"
    "  --debug   enable output debug information (default disabled)\n"
    "  --64      cut palette to atm 64 colors limit (default disabled)\n"
    "  --bg nn   set background color. where nn number from palette (default #00)\n"
    "  --colors=N  build a palette of at most N colors (2 to 256) from the picture\n"
    "  --dither=M  with --colors: none, ordered or diffusion (default diffusion)\n";

// The palette section, with --debug, of black, white and #FF8010, in that order.
inline const std::string kThreeColourPaletteDebug =
    "BMP palette:\n"
    "---------------------------------\n"
    "BMP use calculated colors: 3\n\n"
    "           No #      R   G   B        R   G   B        pentevo    xRRrrrGG gggBBbbb\n"
    "BMP color   0[#00] [#00,#00,#00] ->   0,  0,  0 ->   0,  0[#0000] 00000000 00000000\n"
    "BMP color   1[#01] [#FF,#FF,#FF] ->  24, 24, 24 ->  99, 24[#6318] 01100011 00011000\n"
    "BMP color   2[#02] [#FF,#80,#10] ->  24, 12,  2 ->  97,130[#6182] 01100001 10000010\n";

// The settings lines for the given flags.
inline std::string settingsLines(bool debug, bool fullColour) {
  return std::string("Debug: ") + (debug ? "Enabled\n" : "Disabled\n") +
         "Full colors: " + (fullColour ? "Enabled\n" : "Disabled\n");
}

}  // namespace quillpix::testing

#endif  // QUILLPIX_TESTS_TEST_SUPPORT_H_
