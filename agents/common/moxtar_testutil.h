// Test support for the storage-side work: a logged-on session on the stand-in's server with the
// agent's message catalogue loaded, objects stored through the interface, the output of
// hublorsim, and a cancel that fires after a chosen interface call. Unlike StorageFixture, it
// leaves the interface library loaded when it ends.
#pragma once

#include <string>
#include <vector>

#include "moxtarutil.h"
#include "pelkapi_testutil.h"

class MoxtarFixture : public StorageFixture {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Registers the filespace with the agent's attribute record.
  void addFilespace(const std::string& fs, const char* typeP = "SqlData");
  // Stores one object (a new version when it exists) in a transaction of its own.
  void storeObject(const std::string& fs, const std::string& hl, const std::string& ll,
                   const std::string& data = "data", const std::string& objInfo = "");
  // hublorsim's standard output; fails the test when it fails.
  std::string simOutput(const std::vector<std::string>& words);
  // Arms a fault rule (hublorctl.h) in the loaded interface library of this process; fails the
  // test when the rule is refused. clearFaults removes every rule armed so.
  void armFault(const std::string& rule);
  void clearFaults();
  // The sessions this process has logged on to the stand-in and not yet off (this fixture's
  // own among them).
  uint32_t loggedOnSessions();
  // The backup objects of the filespace, in the server's order.
  std::vector<qryRespBackupData> objects(const std::string& fs, uint8_t state = PELK_ANYMATCH);

  pelkUint32_t m_Handle = 0;
  char m_ErrorText[MOXTAR_ERROR_TEXT_SIZE] = "";
};

// How often wanted occurs in text.
int countOf(const std::string& text, const std::string& wanted);

pelkObjName objNameOf(const std::string& fs, const std::string& hl, const std::string& ll);

// The filespace attribute record the agent registers: 'Z', then zeros.
pelkFSAttr agentFsAttr();

// While alive, sets *cancelP when the trace reports the end of the given interface call for the
// nth time (the forwarders trace their exit under the API category).
class CancelAfterCall {
 public:
  CancelAfterCall(uint32_t* cancelP, const char* callNameP, int nth);
  ~CancelAfterCall();
  CancelAfterCall(const CancelAfterCall&) = delete;
  CancelAfterCall& operator=(const CancelAfterCall&) = delete;
};
