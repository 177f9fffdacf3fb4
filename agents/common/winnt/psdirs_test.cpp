#include <gtest/gtest.h>

#include <string>

#include "psutil.h"
#include "registry.h"
#include "root.h"

namespace {

const char kAgentKey[] = "SOFTWARE\\Orbenix\\Moxtar\\CurrentVersion\\ZARNAKSQL\\";
const char kApiKey[] = "SOFTWARE\\Orbenix\\Moxtar\\CurrentVersion\\Api\\";

class AgentDirs : public ::testing::Test {
 protected:
  static void setPath(const char* keyP, const char* pathP) {
    HKEY key = nullptr;
    ASSERT_EQ(createOrOpenReg(HKEY_LOCAL_MACHINE, keyP, &key), RC_OK);
    ASSERT_EQ(putSzValue(HKEY_LOCAL_MACHINE, keyP, "Path", pathP), RC_OK);
  }
  // The text an operation leaves in a buffer of `size` bytes, after "rc:".
  static std::string call(int (*operation)(char*, size_t), size_t size = 1280) {
    std::string buffer(size + 1, 'x');
    int rc = operation(buffer.data(), size);
    EXPECT_EQ(buffer[size], 'x') << "written past the buffer";
    return std::to_string(rc) + ":" + buffer.c_str();
  }
  zkroot::ScopedRoot m_Root;
};

TEST_F(AgentDirs, DirectoriesEndWithASlashAndFilesLieInTheAgentDirectory) {
  setPath(kAgentKey, "/opt/zarnaksql");
  setPath(kApiKey, "/opt/hublor/api/");
  EXPECT_EQ(call(psGetAgentDir), "0:/opt/zarnaksql/");
  EXPECT_EQ(call(psGetAgentLog), "0:/opt/zarnaksql/");
  EXPECT_EQ(call(psGetAgentConfig), "0:/opt/zarnaksql/zarnaksql.cfg");
  EXPECT_EQ(call(psGetMOXTARAPIDir), "0:/opt/hublor/api/");
  EXPECT_EQ(call(psGetMOXTARAPILog), "0:/opt/zarnaksql/");
  EXPECT_EQ(call(psGetMOXTARAPIConfig), "0:/opt/zarnaksql/pelk.opt");
}

TEST_F(AgentDirs, MissingEntriesGiveBareNamesAndTheRegistryCode) {
  EXPECT_EQ(call(psGetAgentDir), "1700:");
  EXPECT_EQ(call(psGetAgentConfig), "1700:zarnaksql.cfg");
  EXPECT_EQ(call(psGetMOXTARAPIConfig), "1700:pelk.opt");
  EXPECT_EQ(call(psGetMOXTARAPIDir), "1700:");
  HKEY key = nullptr;
  ASSERT_EQ(createOrOpenReg(HKEY_LOCAL_MACHINE, kAgentKey, &key), RC_OK);
  EXPECT_EQ(call(psGetAgentConfig), "1701:zarnaksql.cfg");
}

TEST_F(AgentDirs, ShortBuffersNeverOverflow) {
  setPath(kAgentKey, "/opt/zark/");  // ten characters
  EXPECT_EQ(call(psGetAgentConfig, 20), "0:zarnaksql.cfg");
  EXPECT_EQ(call(psGetAgentConfig, 23), "0:zarnaksql.cfg");
  EXPECT_EQ(call(psGetAgentConfig, 24), "0:/opt/zark/zarnaksql.cfg");
  EXPECT_EQ(call(psGetAgentConfig, 10), "1701:");  // not even the bare name fits
  EXPECT_EQ(call(psGetAgentDir, 10), "1701:");
  setPath(kAgentKey, "/opt/zark");  // nine characters: fits, but its slash does not
  EXPECT_EQ(call(psGetAgentDir, 10), "1701:");
  EXPECT_EQ(call(psGetAgentDir, 11), "0:/opt/zark/");
  setPath(kAgentKey, "");  // no directory: the current one
  EXPECT_EQ(call(psGetAgentConfig), "0:zarnaksql.cfg");
}

TEST_F(AgentDirs, HtmlProgramAndBrowserPath) {
  HKEY key = nullptr;
  ASSERT_EQ(createOrOpenReg(HKEY_CLASSES_ROOT, ".htm", &key), RC_OK);
  ASSERT_EQ(putSzValue(HKEY_CLASSES_ROOT, ".htm", nullptr, "htmlfile"), RC_OK);
  const char commandKey[] = "htmlfile\\shell\\open\\command";
  ASSERT_EQ(createOrOpenReg(HKEY_CLASSES_ROOT, commandKey, &key), RC_OK);
  const struct {
    const char* command;
    const char* program;
  } cases[] = {
      {"\"/usr/lib/browser/browse\" -nohome %1", "/usr/lib/browser/browse"},
      {"\"/usr/bin/browse\";", "/usr/bin/browse"},
      {"/usr/bin/browse %1", "/usr/bin/browse %1"},  // unquoted: taken as it stands
      {"\"", ""},
      {"", ""},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(putSzValue(HKEY_CLASSES_ROOT, commandKey, nullptr, c.command), RC_OK);
    EXPECT_EQ(call(psGetHtmlOpenCommand), std::string("0:") + c.program) << c.command;
  }
  EXPECT_EQ(call(psGetBrowserPath), "1700:");
  const char appKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE";
  ASSERT_EQ(createOrOpenReg(HKEY_LOCAL_MACHINE, appKey, &key), RC_OK);
  ASSERT_EQ(putSzValue(HKEY_LOCAL_MACHINE, appKey, "Path", "/usr/lib/browser;"), RC_OK);
  EXPECT_EQ(call(psGetBrowserPath), "0:/usr/lib/browser/");
}

}  // namespace
