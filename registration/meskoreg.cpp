// meskoreg: encodes a plain text into the wizard's data file form (meskoreg.dat) and decodes
// it back. Exit code 0 on success, 1 when a file cannot be read or written or a line cannot be
// stored, 2 for a wrong command.
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

#include "regdatafile.h"

namespace {

constexpr char kUsage[] =
    "usage: meskoreg encode|decode INPUT OUTPUT\n"
    "  encode   each line of the text INPUT is stored inverted (every bit flipped), ended by\n"
    "           0x0A and one pad byte\n"
    "  decode   the lines of the data file INPUT as text, one a line; a last line without its\n"
    "           0x0A is dropped, as the wizard drops it\n"
    "INPUT or OUTPUT \"-\": standard input or output.\n";

int fail(const std::string& text) {
  std::cerr << "meskoreg: " << text << '\n';
  return 1;
}

int encode(std::istream& in, std::ostream& out) {
  std::string line, stored;
  for (int number = 1; std::getline(in, line); ++number) {
    if (!regEncodeDataLine(line, stored)) {
      return fail("line " + std::to_string(number) +
                  ": holds the byte 0xF5, which cannot be stored");
    }
    out << stored;
  }
  return 0;
}

int decode(std::istream& in, std::ostream& out) {
  std::string line;
  while (regReadDataLine(in, line)) out << line << '\n';
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::cout << kUsage;
    return 0;
  }
  bool encoding = argc == 4 && std::strcmp(argv[1], "encode") == 0;
  bool decoding = argc == 4 && std::strcmp(argv[1], "decode") == 0;
  if (!encoding && !decoding) {
    std::cerr << kUsage;
    return 2;
  }
  std::ifstream inFile;
  std::ofstream outFile;
  bool stdIn = std::strcmp(argv[2], "-") == 0;
  bool stdOut = std::strcmp(argv[3], "-") == 0;
  if (!stdIn) inFile.open(argv[2], std::ios::binary);
  if (!stdIn && !inFile)
    return fail(std::string(argv[2]) + ": cannot open: " + std::strerror(errno));
  if (!stdOut) outFile.open(argv[3], std::ios::binary | std::ios::trunc);
  if (!stdOut && !outFile) {
    return fail(std::string(argv[3]) + ": cannot create: " + std::strerror(errno));
  }
  std::istream& in = stdIn ? std::cin : inFile;
  std::ostream& out = stdOut ? std::cout : outFile;
  int rc = encoding ? encode(in, out) : decode(in, out);
  out.flush();
  if (rc == 0 && !out) return fail(std::string(argv[3]) + ": cannot write");
  return rc;
}
