// meskoreg: encodes a plain text into the wizard's data file form (meskoreg.dat) and decodes
// it back. Exit code 0 on success, 1 when a file cannot be read or written or a line cannot be
// stored, 2 for a wrong command.
//
// The whole input is read before the output is touched, and a file output is written beside
// its place and renamed over it at the end: the same file may be input and output, and a
// failure leaves the old output (or none), never a part.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "regdatafile.h"

namespace {

constexpr char kUsage[] =
    "usage: meskoreg encode|decode INPUT OUTPUT\n"
    "  encode   each line of the text INPUT (ended by LF or CR LF) is stored inverted (every\n"
    "           bit flipped), ended by 0x0A and one pad byte\n"
    "  decode   the lines of the data file INPUT as text, one a line; a last line without its\n"
    "           0x0A is dropped, as the wizard drops it\n"
    "INPUT or OUTPUT \"-\": standard input or output.\n";

int fail(const std::string& text) {
  std::cerr << "meskoreg: " << text << '\n';
  return 1;
}

int usageError(const std::string& text) {
  std::cerr << "meskoreg: " << text << '\n' << kUsage;
  return 2;
}

// The whole input into bytes; false (errno set) when it cannot be opened or read (a folder
// opens but fails its first read).
bool readInput(const std::string& name, std::string& bytes) {
  int fd = name == "-" ? STDIN_FILENO : ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char buffer[65536];
  ssize_t got;
  while ((got = ::read(fd, buffer, sizeof buffer)) != 0) {
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) break;
    bytes.append(buffer, static_cast<size_t>(got));
  }
  int saved = errno;
  if (fd != STDIN_FILENO) ::close(fd);
  errno = saved;
  return got == 0;
}

// The output written to a file beside name, renamed over it once it is whole.
bool writeOutput(const std::string& name, const std::string& bytes) {
  if (name == "-") {
    std::cout << bytes;
    std::cout.flush();
    return static_cast<bool>(std::cout);
  }
  std::string partial = name + ".partial";
  {
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    out << bytes;
    out.flush();
    if (!out) {
      int saved = errno;
      std::remove(partial.c_str());
      errno = saved;
      return false;
    }
  }
  if (std::rename(partial.c_str(), name.c_str()) == 0) return true;
  int saved = errno;
  std::remove(partial.c_str());
  errno = saved;
  return false;
}

int encode(const std::string& text, std::string& out) {
  std::istringstream in(text);
  std::string line, stored;
  for (int number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!regEncodeDataLine(line, stored)) {
      return fail("line " + std::to_string(number) +
                  ": holds the byte 0xF5, which cannot be stored");
    }
    out += stored;
  }
  return 0;
}

int decode(const std::string& bytes, std::string& out) {
  std::istringstream in(bytes);
  std::string line;
  while (regReadDataLine(in, line)) out += line + '\n';
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::cout << kUsage;
    return 0;
  }
  if (argc < 2) return usageError("no command given");
  bool encoding = std::strcmp(argv[1], "encode") == 0;
  if (!encoding && std::strcmp(argv[1], "decode") != 0) {
    return usageError("unknown command \"" + std::string(argv[1]) + "\"");
  }
  if (argc < 4) return usageError(std::string(argv[1]) + ": INPUT and OUTPUT are both needed");
  if (argc > 4) return usageError("one argument too many: \"" + std::string(argv[4]) + "\"");
  std::string inName = argv[2];
  std::string outName = argv[3];
  std::string input;
  if (!readInput(inName, input)) return fail(inName + ": cannot read: " + std::strerror(errno));
  std::string output;
  int rc = encoding ? encode(input, output) : decode(input, output);
  if (rc != 0) return rc;
  if (!writeOutput(outName, output)) {
    return fail(outName + ": cannot write: " + std::strerror(errno));
  }
  return 0;
}
