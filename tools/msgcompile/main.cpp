// msgcompile SOURCE OUTPUT [INSERTS]: compiles the message catalogue into the binary message
// repository, and into INSERTS the C++ table of what each message's callers pass.
// Any fault in the source is reported as "SOURCE:LINE: what" and nothing is written; each output
// is written to a temporary file and renamed, so a build never sees half of one.
#include <cstdio>
#include <fstream>
#include <iostream>

#include "catalogue.h"

namespace {

bool writeWhole(const std::string& path, const std::string& bytes) {
  std::string temp = path + ".tmp";
  std::ofstream out(temp, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (out && std::rename(temp.c_str(), path.c_str()) == 0) return true;
  std::remove(temp.c_str());
  std::cerr << "msgcompile: cannot write " << path << "\n";
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::cerr << "usage: msgcompile SOURCE OUTPUT [INSERTS]\n";
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
  if (!writeWhole(argv[2], bytes)) return 1;
  if (argc == 4 && !writeWhole(argv[3], msgc::insertTableSource(messages))) return 1;
  return 0;
}
