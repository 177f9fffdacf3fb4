#include "nlstable.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "agtmem.h"
#include "nlstestenv.h"

namespace {

struct FormatCase {
  int number;
  const char* format;
  char separator;
};

TEST(NlsTable, DateFormatsSetTheSeparatorFromTheFormat) {
  const FormatCase cases[] = {{1, "%m/%d/%Y", '/'}, {2, "%d-%m-%Y", '-'}, {3, "%Y-%m-%d", '-'},
                              {4, "%d.%m.%Y", '.'}, {5, "%Y.%m.%d", '.'}, {0, "%m/%d/%Y", '/'}};
  nlsFuncTable* t = nlsTestTable();
  for (const FormatCase& c : cases) {
    t->m_SetDateFormat(t, c.number);
    EXPECT_STREQ(c.format, t->m_DateFormat) << c.number;
    EXPECT_EQ(c.separator, t->m_DateSeparator) << c.number;
  }
}

TEST(NlsTable, TimeFormatsSetSeparatorAndMarkers) {
  const FormatCase cases[] = {{1, "%H:%M:%S", ':'}, {2, "%H,%M,%S", ','}, {3, "%H.%M.%S", '.'},
                              {4, "%I:%M:%S%p", ':'}, {0, "%H:%M:%S", ':'}};
  nlsFuncTable* t = nlsTestTable();
  for (const FormatCase& c : cases) {
    t->m_SetTimeFormat(t, c.number);
    EXPECT_STREQ(c.format, t->m_TimeFormat) << c.number;
    EXPECT_EQ(c.separator, t->m_TimeSeparator) << c.number;
    EXPECT_STREQ(c.number == 4 ? "AM" : "", t->m_AmString) << c.number;
    EXPECT_STREQ(c.number == 4 ? "PM" : "", t->m_PmString) << c.number;
  }
}

TEST(NlsTable, AnUnknownFormatNumberKeepsTheStoredFormat) {
  nlsFuncTable* t = nlsTestTable(3, 2);
  nlsSetDateFormat(t, 9);
  nlsSetTimeFormat(t, -1);
  EXPECT_STREQ("%Y-%m-%d", t->m_DateFormat);
  EXPECT_EQ('-', t->m_DateSeparator);
  EXPECT_STREQ("%H,%M,%S", t->m_TimeFormat);

  // A cleared table has nothing stored: it takes format 1 rather than an empty format.
  nlsFuncTable cleared = *t;
  cleared.m_DateFormat[0] = '\0';
  nlsSetDateFormat(&cleared, 7);
  EXPECT_STREQ("%m/%d/%Y", cleared.m_DateFormat);
}

TEST(NlsTable, NumberFormatsSetBothSeparators) {
  const struct {
    int number;
    char thousands;
    char decimal;
  } cases[] = {{1, ',', '.'}, {2, ',', ','}, {3, ' ', ','}, {4, ' ', '.'},
               {5, '.', ','}, {6, '\'', ','}, {0, ',', '.'}, {7, ',', '.'}};
  nlsFuncTable* t = nlsTestTable();
  for (const auto& c : cases) {
    t->m_SetNumberFormat(t, c.number);
    EXPECT_EQ(c.thousands, t->m_ThousandsSeparator) << c.number;
    EXPECT_EQ(c.decimal, t->m_DecimalSeparator[0]) << c.number;
    EXPECT_EQ(c.decimal, t->m_DecimalSeparator[1]) << c.number;
  }
}

TEST(NlsTable, GetClearsAndInitFillsEverySlot) {
  nlsFuncTable* t = nlsGetFuncTable();
  EXPECT_EQ(nullptr, t->m_StrCpy);
  EXPECT_EQ(0, nlsInitFuncTable(t));
  EXPECT_EQ(NLS_CODESET_SINGLE_BYTE, t->m_CodeSetClass);
  EXPECT_EQ(t, nlsActiveFuncTable());
  // Every operation slot, from slot 30 to slot 68, is filled.
  const char* firstP = reinterpret_cast<const char*>(&t->m_StrLen);
  const char* endP = reinterpret_cast<const char*>(t) + sizeof *t;
  size_t slots = static_cast<size_t>(endP - firstP) / sizeof(void (*)());
  ASSERT_EQ(39u, slots);
  for (size_t i = 0; i < slots; ++i) {
    void (*slot)();
    memcpy(&slot, firstP + i * sizeof slot, sizeof slot);
    EXPECT_NE(nullptr, slot) << "slot " << 30 + i;
  }
  EXPECT_EQ(0, nlsInitFuncTable(nullptr));
}

TEST(NlsTable, CaseAndLetterOperationsLeaveMultiByteTextAlone) {
  nlsFuncTable* t = nlsTestTable();
  char text[] = "Grüße, Ann 42";
  EXPECT_STREQ("GRüßE, ANN 42", t->m_StrUpr(text));
  EXPECT_STREQ("grüße, ann 42", t->m_StrLwr(text));
  EXPECT_EQ(0, t->m_IsAlpha('\xc3'));
  EXPECT_EQ(0, t->m_IsBlank("\xa0"));
  EXPECT_EQ(1, t->m_IsBlank("\t"));
  EXPECT_EQ('\xc3', t->m_ToUpper('\xc3'));
  EXPECT_EQ(1, t->m_IsAlnum('7'));
  EXPECT_EQ(0, t->m_StrICmp("Master", "MASTER"));
  EXPECT_EQ(1, t->m_StrIsEmpty(nullptr));
  EXPECT_EQ(1, t->m_StrIsEmpty(""));
  EXPECT_EQ(0, t->m_StrIsEmpty("x"));
}

TEST(NlsTable, CharacterSteppingStopsAtBothEnds) {
  nlsFuncTable* t = nlsTestTable();
  const char* text = "ab";
  EXPECT_EQ(text + 1, t->m_CharNext(text));
  EXPECT_EQ(text + 2, t->m_CharNext(text + 2));
  EXPECT_EQ(text, t->m_CharPrev(text, text + 1));
  EXPECT_EQ(text, t->m_CharPrev(text, text));
  EXPECT_EQ(1, t->m_CharLen(text));
  EXPECT_EQ(0, t->m_ByteType(text, 1));
}

TEST(NlsTable, StrToLClampsToThe32BitRange) {
  nlsFuncTable* t = nlsTestTable();
  char* endP = nullptr;
  EXPECT_EQ(42, t->m_StrToL("42abc", &endP, 10));
  EXPECT_STREQ("abc", endP);
  errno = 0;
  EXPECT_EQ(2147483647L, t->m_StrToL("99999999999", nullptr, 10));
  EXPECT_EQ(ERANGE, errno);
  EXPECT_EQ(-2147483647L - 1, t->m_StrToL("-99999999999", nullptr, 10));
  EXPECT_EQ(255, t->m_StrToL("ff", nullptr, 16));
}

TEST(NlsTable, StrDupCopiesIntoAFreshBlock) {
  nlsFuncTable* t = nlsTestTable();
  EXPECT_EQ(nullptr, t->m_StrDup(nullptr));
  char* copyP = t->m_StrDup("master");
  ASSERT_NE(nullptr, copyP);
  EXPECT_STREQ("master", copyP);
  FREE(&copyP);
  EXPECT_EQ(nullptr, copyP);
}

// Each thread tokenizes its own text at the same time; a process-wide save pointer would hand
// one thread's tokens to another.
TEST(NlsTable, TokenizerKeepsItsPlacePerThread) {
  nlsFuncTable* t = nlsTestTable();
  constexpr int kThreads = 8;
  constexpr int kRounds = 2000;
  std::vector<int> failures(kThreads, 0);
  std::vector<std::thread> threads;
  for (int n = 0; n < kThreads; ++n) {
    threads.emplace_back([t, n, &failures] {
      std::string expected = "t" + std::to_string(n);
      for (int round = 0; round < kRounds; ++round) {
        std::string text = expected + "," + expected + ";" + expected;
        int tokens = 0;
        for (char* tokP = t->m_StrTok(text.data(), ",;"); tokP != nullptr;
             tokP = t->m_StrTok(nullptr, ",;")) {
          failures[n] += expected != tokP;
          ++tokens;
        }
        failures[n] += tokens != 3;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int n = 0; n < kThreads; ++n) EXPECT_EQ(0, failures[n]) << "thread " << n;
}

}  // namespace
