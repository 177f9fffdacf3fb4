// Text conversion limits and the COM error texts of CSqlApi.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "sqlapi_testenv.h"
#include "sqlwide.h"

namespace {

class SqlTextTest : public sqlapitest::SqlApiObjectFixture {
 protected:
  std::string errorText() const { return m_Api->ErrorText(); }
  std::string failedCall() const { return m_Api->FailedCall(); }
};

TEST_F(SqlTextTest, NarrowToWideLimits) {
  WCHAR wide[8];
  EXPECT_EQ(m_Api->CopyNToU("abc", wide, 6), RC_SQL_STRING_TOO_LONG);
  EXPECT_NE(errorText().find("CSqlApi::CopyNToU:"), std::string::npos);
  EXPECT_NE(errorText().find(":1908 strlen(abc...):3 > 2"), std::string::npos) << errorText();
  EXPECT_STREQ(m_Api->RcName(), "( 1900 + 8 )");
  ASSERT_EQ(m_Api->CopyNToU("abc", wide, 8), 0);
  EXPECT_EQ(std::u16string(wide), u"abc");
  // A character outside the basic plane takes two wide characters.
  EXPECT_EQ(m_Api->CopyNToU("a\xF0\x9F\x98\x80", wide, 8), 0);
  EXPECT_EQ(m_Api->CopyNToU("ab\xF0\x9F\x98\x80", wide, 8), RC_SQL_STRING_TOO_LONG);
  // The text shows the source's first 24 characters, not 24 bytes of them.
  std::string accented;
  for (int i = 0; i < 30; i++) accented += "\u00e9";
  EXPECT_EQ(m_Api->CopyNToU(accented.c_str(), wide, 8), RC_SQL_STRING_TOO_LONG);
  EXPECT_NE(errorText().find("strlen(" + accented.substr(0, 48) + "...):30 > 3"), std::string::npos)
      << errorText();
}

TEST_F(SqlTextTest, WideToNarrowLimits) {
  std::u16string text(32, u'x');
  char narrow[64];
  EXPECT_EQ(m_Api->CopyUToN(text.c_str(), narrow, 33), 0);
  EXPECT_EQ(std::string(narrow), std::string(32, 'x'));
  text += u'y';
  EXPECT_EQ(m_Api->CopyUToN(text.c_str(), narrow, 33), RC_SQL_STRING_TOO_LONG);
  EXPECT_NE(errorText().find("strlen(xxxxxxxxxxxxxxxxxxxxxxxx...):33>32"), std::string::npos)
      << errorText();
  EXPECT_STREQ(m_Api->RcName(), "RC_SQL_STRING_TOO_LONG");
  // Narrow text counts bytes: 17 two-byte characters do not fit 33 bytes.
  std::u16string accented(17, u'\u00e9');
  EXPECT_EQ(m_Api->CopyUToN(accented.c_str(), narrow, 33), RC_SQL_STRING_TOO_LONG);
  EXPECT_EQ(m_Api->CopyUToN(accented.c_str(), narrow, 35), 0);
}

TEST_F(SqlTextTest, BstrWithAZeroInsideFails1914) {
  BSTR text = SysAllocStringLen(u"ab\0de", 5);
  char narrow[16];
  EXPECT_EQ(m_Api->CopyBToN(text, narrow, sizeof narrow), RC_SQL_API_FAILURE);
  EXPECT_NE(errorText().find("StringLenB:5 != StringLenU:2"), std::string::npos) << errorText();
  EXPECT_EQ(m_Api->CopyBToNAndFree(text, narrow, sizeof narrow), RC_SQL_API_FAILURE);
  EXPECT_EQ(text, nullptr);  // freed whatever the outcome (ASan checks)
  BSTR fine = SysAllocString(u"fine");
  EXPECT_EQ(m_Api->CopyBToNAndFree(fine, narrow, sizeof narrow), 0);
  EXPECT_STREQ(narrow, "fine");
  EXPECT_EQ(fine, nullptr);
}

TEST_F(SqlTextTest, FailedConversionShowsItsSourceAndTheSystemText) {
  WCHAR wide[64];
  std::string bad = std::string(29, 'n') + "\xFF";  // 30 bytes, malformed at the end
  EXPECT_EQ(m_Api->CopyNToU(bad.c_str(), wide, sizeof wide), RC_SQL_API_FAILURE);
  EXPECT_NE(failedCall().find("MultiByteToWideChar(" + std::string(24, 'n') + "...)"),
            std::string::npos)
      << failedCall();
  EXPECT_NE(errorText().find("GetLastError:1113 "), std::string::npos) << errorText();
  EXPECT_STREQ(m_Api->RcName(), "RC_SQL_API_FAILURE");
  std::string shortBad = std::string(26, 'n') + "\xFF";  // 27 bytes: shown whole
  EXPECT_EQ(m_Api->CopyNToU(shortBad.c_str(), wide, sizeof wide), RC_SQL_API_FAILURE);
  EXPECT_NE(failedCall().find("MultiByteToWideChar(" + shortBad + ")"), std::string::npos);
  const WCHAR lone[] = {u'a', 0xD800, u'b', 0};
  char narrow[16];
  EXPECT_EQ(m_Api->CopyUToN(lone, narrow, sizeof narrow), RC_SQL_API_FAILURE);
  EXPECT_NE(failedCall().find("WideCharToMultiByte("), std::string::npos) << failedCall();
}

TEST_F(SqlTextTest, QuoteNameWritesBrackets) {
  WCHAR wide[16];
  ASSERT_EQ(m_Api->QuoteNameU("sales", wide, 16), 0);  // 5 characters, brackets, terminator
  EXPECT_EQ(std::u16string(wide), u"[sales]");
  EXPECT_EQ(m_Api->QuoteNameU("sales", wide, 14), RC_SQL_STRING_TOO_LONG);
}

TEST_F(SqlTextTest, UpperCaseTest) {
  com::Bstr upper(u"MASTER");
  com::Bstr lower(u"Master");
  EXPECT_TRUE(m_Api->IsUpperCaseB(upper.get()));
  EXPECT_FALSE(m_Api->IsUpperCaseB(lower.get()));
}

TEST_F(SqlTextTest, ComErrorTextWithAndWithoutAnErrorObject) {
  m_Api->SetComErrorText(E_FAIL);
  EXPECT_EQ(errorText(), "Message text not available. HRESULT:0x80004005");
  com::fail(E_FAIL, "Source", "Something broke.");
  m_Api->SetComErrorText(E_FAIL);
  EXPECT_EQ(errorText(), "Something broke. Source (HRESULT:0x80004005)");
  char buffer[1024];
  com::fail(E_FAIL, "Other", "Again.");
  m_Api->FormatComErrorText(E_FAIL, buffer);
  EXPECT_STREQ(buffer, "Again. Other (HRESULT:0x80004005)");
}

TEST_F(SqlTextTest, LastOleErrorForACallersBuffer) {
  char buffer[64] = "old";
  {
    sqlapitest::TraceCapture trace;
    com::fail(E_FAIL, "Source", "Statement failed.");
    m_Api->getLastOleErrorMsg(buffer, sizeof buffer);
    EXPECT_TRUE(trace.contains("Source of the last OLE error: Source\n"));
    EXPECT_TRUE(trace.contains("Description of the last OLE error: Statement failed.\n"));
    EXPECT_TRUE(
        trace.contains("Exit CSqlApi::getLastOleErrorMsg(), rc (not returned to caller) = 0"));
  }
  EXPECT_STREQ(buffer, "Statement failed.\n");
  // Cut so that text, newline and terminator fit.
  char small[8];
  com::fail(E_FAIL, "Source", "Statement failed.");
  m_Api->getLastOleErrorMsg(small, sizeof small);
  EXPECT_STREQ(small, "Statem\n");
  // ... and never inside a character.
  char odd[7];
  com::fail(E_FAIL, "Source", "\u00e9\u00e9\u00e9\u00e9");
  m_Api->getLastOleErrorMsg(odd, sizeof odd);
  EXPECT_STREQ(odd, "\u00e9\u00e9\n");
  // No error object: the message of 1910.
  m_Api->getLastOleErrorMsg(buffer, sizeof buffer);
  EXPECT_EQ(std::string(buffer).rfind("ZUD5457E", 0), 0u) << buffer;
  // No buffer, or none of its size: nothing is written.
  char untouched[8] = "keep";
  com::fail(E_FAIL, "Source", "Statement failed.");
  m_Api->getLastOleErrorMsg(untouched, 0);
  EXPECT_STREQ(untouched, "keep");
  m_Api->getLastOleErrorMsg(nullptr, 10);
}

}  // namespace
