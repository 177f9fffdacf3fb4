#include "regdiag.h"

#include <cstdlib>
#include <fstream>
#include <memory>

namespace {

std::ostream* gDiagP = nullptr;  // set on the user-interface thread only

// Writes nothing anywhere.
class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return traits_type::not_eof(c); }
};

// TAMREL_DEBUG_LOG names the file the stream is appended to; without it the stream is
// dropped, so an ordinary start writes nothing on standard error.
std::ostream& defaultStream() {
  static std::unique_ptr<std::ostream> stream = [] {
    const char* path = std::getenv("TAMREL_DEBUG_LOG");
    if (path != nullptr && *path != '\0') {
      auto file = std::make_unique<std::ofstream>(path, std::ios::app);
      if (*file) return std::unique_ptr<std::ostream>(std::move(file));
    }
    static NullBuffer nothing;
    return std::make_unique<std::ostream>(&nothing);
  }();
  return *stream;
}

}  // namespace

std::ostream& regDiag() {
  return gDiagP != nullptr ? *gDiagP : defaultStream();
}

void regSetDiag(std::ostream* out) {
  gDiagP = out;
}
