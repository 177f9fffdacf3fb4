// msgcompile SOURCE OUTPUT: compiles the message catalogue into the binary message repository.
// Any fault in the source is reported as "SOURCE:LINE: what" and nothing is written; the output
// is written to a temporary file and renamed, so a build never sees half a repository.
#include <cstdio>
#include <fstream>
#include <iostream>

#include "catalogue.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: msgcompile SOURCE OUTPUT\n";
    return 2;
  }
  std::ifstream in(argv[1]);
  if (!in) {
    std::cerr << "msgcompile: cannot read " << argv[1] << "\n";
    return 1;
  }
  std::vector<msgc::Message> messages;
  std::vector<std::string> errors;
  std::string bytes, error;
  if (!msgc::parseCatalogue(in, argv[1], &messages, &errors)) {
    for (const std::string& e : errors) std::cerr << e << "\n";
    return 1;
  }
  if (!msgc::buildRepository(messages, &bytes, &error)) {
    std::cerr << argv[1] << ": " << error << "\n";
    return 1;
  }
  std::string temp = std::string(argv[2]) + ".tmp";
  std::ofstream out(temp, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out || std::rename(temp.c_str(), argv[2]) != 0) {
    std::remove(temp.c_str());
    std::cerr << "msgcompile: cannot write " << argv[2] << "\n";
    return 1;
  }
  return 0;
}
