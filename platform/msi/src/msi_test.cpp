// The installer stand-in's calls: size rules, handle checks, product information, records and
// the log, faults, and the session file.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "msisession.h"

namespace {

using zkmsi::SessionData;

// A session that is closed at the end of the test.
struct Session {
  explicit Session(const SessionData& data) : handle(zkmsi::openSession(data)) {}
  ~Session() { MsiCloseHandle(handle); }
  SessionData state() const {
    SessionData data;
    EXPECT_TRUE(zkmsi::readSession(handle, data));
    return data;
  }
  MSIHANDLE handle;
};

SessionData withProperty(const std::string& name, const std::string& value) {
  SessionData data;
  data.properties[name] = value;
  return data;
}

TEST(MsiSizeRules, PropertyAndProductInfoFillTheBufferAsFarAsItGoes) {
  SessionData data = withProperty("ProductLanguage", "1033");
  data.products["{P}"]["InstallLocation"] = "1033";
  Session session(data);
  struct Case {
    bool nullBuffer;
    UINT room;
    UINT rc;
    UINT size;
    const char* text;
  };
  const Case cases[] = {
      {true, 0, ERROR_SUCCESS, 4, ""},      // only the length is told
      {false, 0, ERROR_MORE_DATA, 4, "#"},  // buffer untouched
      {false, 1, ERROR_MORE_DATA, 4, ""},   {false, 4, ERROR_MORE_DATA, 4, "103"},
      {false, 5, ERROR_SUCCESS, 4, "1033"}, {false, 40, ERROR_SUCCESS, 4, "1033"},
  };
  for (const Case& c : cases) {
    for (bool product : {false, true}) {
      char buffer[64] = "#";
      UINT size = c.room;
      char* target = c.nullBuffer ? nullptr : buffer;
      UINT rc = product ? MsiGetProductInfoA("{P}", "InstallLocation", target, &size)
                        : MsiGetPropertyA(session.handle, "ProductLanguage", target, &size);
      SCOPED_TRACE(std::to_string(c.room) + (product ? " product" : " property"));
      EXPECT_EQ(rc, c.rc);
      EXPECT_EQ(size, c.size);
      if (!c.nullBuffer) {
        EXPECT_STREQ(buffer, c.text);
      }
    }
  }
}

TEST(MsiProperties, UnsetReadsEmptyAndSettingEmptyRemoves) {
  Session session(withProperty("INSTALLDIR", "/opt/old"));
  char buffer[16] = "#";
  UINT size = sizeof buffer;
  EXPECT_EQ(MsiGetPropertyA(session.handle, "installdir", buffer, &size), ERROR_SUCCESS);
  EXPECT_STREQ(buffer, "");  // names compare exactly
  EXPECT_EQ(size, 0u);

  EXPECT_EQ(MsiSetPropertyA(session.handle, "TAMRELLANGUAGE", "fra"), ERROR_SUCCESS);
  EXPECT_EQ(MsiSetPropertyA(session.handle, "INSTALLDIR", ""), ERROR_SUCCESS);
  EXPECT_EQ(MsiSetPropertyA(session.handle, nullptr, "x"), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(MsiGetPropertyA(session.handle, "X", buffer, nullptr), ERROR_INVALID_PARAMETER);
  SessionData state = session.state();
  EXPECT_EQ(state.properties, (std::map<std::string, std::string>{{"TAMRELLANGUAGE", "fra"}}));
}

TEST(MsiHandles, WrongOrClosedHandlesAreRefused) {
  MSIHANDLE record = MsiCreateRecord(1);
  MSIHANDLE closed = zkmsi::openSession({});
  ASSERT_EQ(MsiCloseHandle(closed), ERROR_SUCCESS);
  char buffer[8];
  UINT size = sizeof buffer;
  for (MSIHANDLE wrong : {MSIHANDLE{0}, record, closed}) {
    EXPECT_EQ(MsiGetPropertyA(wrong, "A", buffer, &size), ERROR_INVALID_HANDLE);
    EXPECT_EQ(MsiSetPropertyA(wrong, "A", "1"), ERROR_INVALID_HANDLE);
    EXPECT_EQ(MsiProcessMessage(wrong, INSTALLMESSAGE_INFO, record), -1);
  }
  Session session({});
  EXPECT_EQ(MsiRecordSetStringA(session.handle, 1, "x"), ERROR_INVALID_HANDLE);
  EXPECT_EQ(MsiProcessMessage(session.handle, INSTALLMESSAGE_INFO, session.handle), -1);
  EXPECT_EQ(MsiCloseHandle(closed), ERROR_INVALID_HANDLE);
  EXPECT_EQ(MsiCloseHandle(record), ERROR_SUCCESS);
  EXPECT_EQ(MsiRecordGetFieldCount(record), static_cast<UINT>(-1));
}

TEST(MsiProducts, AnsweredFromTheLastOpenSession) {
  SessionData first;
  first.products["{A}"]["InstallLocation"] = "/opt/a";
  Session older(first);
  char buffer[32];
  UINT size = sizeof buffer;
  EXPECT_EQ(MsiGetProductInfoA("{B}", "InstallLocation", buffer, &size), ERROR_UNKNOWN_PRODUCT);
  EXPECT_EQ(MsiGetProductInfoA("{A}", "VersionString", buffer, &size), ERROR_UNKNOWN_PROPERTY);
  EXPECT_EQ(MsiGetProductInfoA(nullptr, "InstallLocation", buffer, &size), ERROR_INVALID_PARAMETER);
  {
    Session newer({});
    size = sizeof buffer;
    EXPECT_EQ(MsiGetProductInfoA("{A}", "InstallLocation", buffer, &size), ERROR_UNKNOWN_PRODUCT);
  }
  size = sizeof buffer;
  ASSERT_EQ(MsiGetProductInfoA("{A}", "InstallLocation", buffer, &size), ERROR_SUCCESS);
  EXPECT_STREQ(buffer, "/opt/a");
}

TEST(MsiMessages, RecordsBecomeLogLines) {
  Session session({});
  MSIHANDLE plain = MsiCreateRecord(2);
  EXPECT_EQ(MsiRecordGetFieldCount(plain), 2u);
  EXPECT_EQ(MsiRecordSetStringA(plain, 1, "first line"), ERROR_SUCCESS);
  EXPECT_EQ(MsiRecordSetStringA(plain, 3, "x"), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(MsiProcessMessage(session.handle, INSTALLMESSAGE_INFO, plain), IDOK);
  EXPECT_EQ(MsiRecordSetStringA(plain, 2, "more"), ERROR_SUCCESS);
  EXPECT_EQ(MsiRecordSetStringA(plain, 0, "[2]: [1] [9] [x]"), ERROR_SUCCESS);
  EXPECT_EQ(MsiProcessMessage(session.handle, INSTALLMESSAGE(INSTALLMESSAGE_WARNING | 0x30), plain),
            IDOK);
  MsiCloseHandle(plain);

  std::ostringstream out;
  zkmsi::printSession(out, session.state());
  EXPECT_EQ(out.str(), "log info: first line\nlog warning: more: first line  [x]\n");
}

TEST(MsiFaults, ArmedCallsFailForTheirNameOnly) {
  SessionData data = withProperty("ProductCode", "{P}");
  data.products["{P}"]["InstallLocation"] = "/opt/p";
  data.faults = {{"MsiGetProperty", "ProductCode", 1603},
                 {"MsiSetProperty", "*", 5},
                 {"MsiGetProductInfo", "{P}", 1610}};
  Session session(data);
  char buffer[16];
  UINT size = sizeof buffer;
  EXPECT_EQ(MsiGetPropertyA(session.handle, "ProductCode", buffer, &size), 1603u);
  EXPECT_EQ(MsiGetPropertyA(session.handle, "Other", buffer, &size), ERROR_SUCCESS);
  EXPECT_EQ(MsiSetPropertyA(session.handle, "Any", "1"), 5u);
  EXPECT_EQ(MsiGetProductInfoA("{P}", "InstallLocation", buffer, &size), 1610u);
}

TEST(MsiSessionFile, ReadsEntriesAndNamesTheBadLine) {
  std::istringstream good(
      "# a session\n"
      "property ProductLanguage=1033 \n"
      "property Empty=\r\n"
      "\n"
      "product {P} InstallLocation=C:=x y\n"
      "fault MsiSetProperty INSTALLDIR 1603\n");
  SessionData data;
  std::string error;
  ASSERT_TRUE(zkmsi::parseSession(good, data, error)) << error;
  EXPECT_EQ(data.properties["ProductLanguage"], "1033 ");
  EXPECT_EQ(data.properties.count("Empty"), 1u);
  EXPECT_EQ(data.products["{P}"]["InstallLocation"], "C:=x y");
  ASSERT_EQ(data.faults.size(), 1u);
  EXPECT_EQ(data.faults[0].code, 1603u);

  for (const char* bad : {"property NoValue", "property =x", "product {P}", "fault A B",
                          "fault A B 0", "fault A B 12x", "fault A B 1 2", "setting X=1"}) {
    std::istringstream in(std::string("property A=1\n") + bad + "\n");
    SessionData ignored;
    EXPECT_FALSE(zkmsi::parseSession(in, ignored, error)) << bad;
    EXPECT_EQ(error.rfind("line 2: ", 0), 0u) << error;
  }
}

}  // namespace
