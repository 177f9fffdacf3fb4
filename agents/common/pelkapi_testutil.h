// Test support for the storage-server client: a fresh root whose registry names the agent
// directory and the interface directory (the folder of the stand-in's libhublorapi.so), a node
// NODE1 with password "secret" on the stand-in's server, the default option file pelk.opt in the
// agent directory, and a loader object the tests may look into. TearDown ends the set-up and
// unloads the library, so every test starts with nothing loaded.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "pelkapid.h"
#include "root.h"

// The loader with its process-wide slots and module handle open to the tests.
class PeekApiDL : public DPelkApiDL {
 public:
  using DPelkApiDL::DPelkApiDL;
  static PelkEntryPoints& entryPoints() { return m_EntryPoints; }
  static void* module() { return m_ModuleP; }
};

// Makes every timer constructed from now on read a counter that advances stepMs milliseconds
// at each read, for the object's lifetime.
class StepClockForTest {
 public:
  explicit StepClockForTest(int64_t stepMs);
  ~StepClockForTest();
  StepClockForTest(const StepClockForTest&) = delete;
  StepClockForTest& operator=(const StepClockForTest&) = delete;
  // Changes the step of the following reads.
  static void setStep(int64_t stepMs);
};

// The library file the bound entry point pelkInit lives in; empty when the slot is unbound.
std::string pelkBoundLibraryPath();

class StorageFixture : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs hublorsim with the words in the test's root; fails the test when it fails.
  void sim(const std::vector<std::string>& words);
  // Creates the loader (also as gPelkApiObjP); the fixture ends and frees it.
  PeekApiDL& makeApi(const char* nodeNameP = "NODE1", const char* passwordP = "secret",
                     const char* optFileP = nullptr, pelkPasswordCallback callbackP = nullptr);
  // Sets the registry's interface directory (empty: none).
  void setInterfaceDir(const std::string& dir);
  // Replaces the default option file's text (NODENAME NODE1 at the start).
  void writeOptionFile(const std::string& text);
  std::string agentDir() const;  // ends with "/"
  std::string optionFilePath() const { return agentDir() + "pelk.opt"; }

  zkroot::ScopedRoot m_Root;
  DPelkApiStatus m_Status;
  std::unique_ptr<PeekApiDL> m_Api;
};
