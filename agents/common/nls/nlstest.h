// Test support for the message services: a fresh national-language state over a repository
// compiled from catalogue lines, in a temporary root, with the output of each severity caught.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "nlsglob.h"
#include "root.h"

namespace nlstest {

// Compiles catalogue lines into a repository file and declares their inserts as the ones the
// callers pass (msginserts.h); fails the test on a catalogue fault.
void writeRepository(const std::string& path, const std::string& catalogue);

// The language code of the repositories the fixture writes.
constexpr char kLanguage[] = "TEST";

// What the severity callbacks received, in order, with the severity of each.
struct Caught {
  std::mutex mutex;
  std::vector<std::pair<int, std::string>> texts;
};
Caught& caught();

// Sets up the national-language state with callbacks for every severity (catching into
// caught()) and an agent directory in a temporary root holding sqlTEST.txt; TearDown takes it
// down again. initRepository() (re)writes the catalogue and runs NLInit.
class NlsFixture : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Writes the catalogue and runs NLInit with the cache size; returns NLInit's code.
  int initRepository(const std::string& catalogue, int cacheSize = 10);
  std::string repositoryPath() const;
  std::string dir() const { return m_Root->path().string() + "/"; }
  // The callback texts caught so far, and forgets them.
  std::vector<std::pair<int, std::string>> takeCaught();

  std::unique_ptr<zkroot::ScopedRoot> m_Root;
};

}  // namespace nlstest
