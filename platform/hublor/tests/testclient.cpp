// A second process for the tests: uses libhublorapi.so on the store of $ZARNAK_ROOT.
//   testclient send NODE PASSWORD FS PREFIX COUNT SIZE   sends COUNT objects, one per transaction
//   testclient hang NODE PASSWORD FS HL SIZE             sends one object in an open transaction,
//                                                        prints "ready" and waits to be killed
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "hublorapi.h"

namespace {

uint32_t logon(char* node, char* password) {
  PelkEnvSetUp env{};
  env.stVersion = PELK_ENVSETUP_VERSION;
  if (pelkSetUp(1, &env) != PELK_RC_OK) std::exit(3);
  pelkApiVersion version{3, 7, 2};
  uint32_t handle = 0;
  if (pelkInit(&handle, &version, node, nullptr, password, nullptr, nullptr, nullptr) != 0) {
    std::exit(4);
  }
  return handle;
}

int sendOne(uint32_t h, const char* fs, const std::string& hl, std::vector<char>& data) {
  pelkObjName name{};
  std::snprintf(name.fs, sizeof name.fs, "%s", fs);
  std::snprintf(name.hl, sizeof name.hl, "%s", hl.c_str());
  std::snprintf(name.ll, sizeof name.ll, "\\full");
  name.objType = PELK_OBJ_FILE;
  ObjAttr attr{};
  attr.stVersion = PELK_OBJATTR_VERSION;
  DataBlk blk{PELK_DATABLK_VERSION, static_cast<uint32_t>(data.size()), 0, data.data()};
  if (int rc = pelkSendObj(h, PELK_SEND_BACKUP, nullptr, &name, &attr, nullptr); rc != 0) return rc;
  if (int rc = pelkSendData(h, &blk); rc != 0) return rc;
  return pelkEndSendObj(h);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 7) return 2;
  std::string command = argv[1];
  uint32_t h = logon(argv[2], argv[3]);
  if (command == "send" && argc == 8) {
    int count = std::atoi(argv[6]);
    std::vector<char> data(std::atoi(argv[7]), 'c');
    for (int i = 0; i < count; ++i) {
      uint16_t reason = 0;
      if (pelkBeginTxn(h) != 0) return 5;
      if (sendOne(h, argv[4], std::string(argv[5]) + std::to_string(i), data) != 0) return 6;
      if (pelkEndTxn(h, PELK_VOTE_COMMIT, &reason) != 0) return 7;
    }
    return 0;
  }
  if (command == "hang") {
    std::vector<char> data(std::atoi(argv[6]), 'h');
    if (pelkBeginTxn(h) != 0 || sendOne(h, argv[4], argv[5], data) != 0) return 5;
    std::printf("ready\n");
    std::fflush(stdout);
    pause();
  }
  return 2;
}
