#include "nlscodepage.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "filetext_testutil.h"
#include "nlstestenv.h"
#include "root.h"

namespace {

const uint32_t kPages[] = {NLS_CP_US_ASCII, NLS_CP_PC437, NLS_CP_ISO8859_1, NLS_CP_PC850};

char16_t toUcs2(uint32_t page, uint8_t byte, int* rcP) {
  char16_t out = 0;
  size_t count = 0;
  *rcP = nlsCodePageToUcs2(page, &byte, 1, &out, sizeof out, &count);
  return out;
}

int fromUcs2(uint32_t page, char16_t value, uint8_t* byteP) {
  uint8_t out[2] = {0xAA, 0xAA};
  size_t count = 0;
  int rc = nlsUcs2ToCodePage(page, &value, sizeof value, out, sizeof out, &count);
  *byteP = out[0];
  return rc;
}

// Which bytes each table maps: never the control bytes and 127; 367 nothing above 127; 819
// nothing from 128 to 159.
bool mapped(uint32_t page, int byte) {
  if (byte < 32 || byte == 127) return false;
  if (page == NLS_CP_US_ASCII) return byte < 128;
  if (page == NLS_CP_ISO8859_1) return byte < 128 || byte >= 160;
  return true;
}

TEST(NlsCodePage, EveryMappedByteGoesToUcs2AndBack) {
  for (uint32_t page : kPages) {
    for (int byte = 0; byte < 256; ++byte) {
      int rc;
      char16_t value = toUcs2(page, static_cast<uint8_t>(byte), &rc);
      if (!mapped(page, byte)) {
        EXPECT_EQ(NLS_CP_NO_MAPPING, rc) << page << " byte " << byte;
        continue;
      }
      ASSERT_EQ(NLS_CP_OK, rc) << page << " byte " << byte;
      uint8_t back = 0;
      EXPECT_EQ(NLS_CP_OK, fromUcs2(page, value, &back)) << page << " byte " << byte;
      EXPECT_EQ(byte, back) << page << " byte " << byte;
    }
  }
}

TEST(NlsCodePage, KnownCharactersOfEachPage) {
  const struct {
    uint32_t page;
    uint8_t byte;
    char16_t value;
  } cases[] = {
      {NLS_CP_PC437, 0xE6, 0x03BC},     {NLS_CP_PC437, 0x82, 0x00E9}, {NLS_CP_PC437, 0xE1, 0x00DF},
      {NLS_CP_PC850, 0xE6, 0x00B5},     {NLS_CP_PC850, 0x9B, 0x00F8}, {NLS_CP_PC850, 0xFF, 0x00A0},
      {NLS_CP_ISO8859_1, 0xE9, 0x00E9}, {NLS_CP_US_ASCII, 'A', 'A'},
  };
  for (const auto& c : cases) {
    int rc;
    EXPECT_EQ(int(c.value), int(toUcs2(c.page, c.byte, &rc))) << c.page << " " << int(c.byte);
    EXPECT_EQ(NLS_CP_OK, rc);
  }
}

TEST(NlsCodePage, RefusalsFromUcs2) {
  const struct {
    uint32_t page;
    char16_t value;
    int rc;
  } cases[] = {
      {NLS_CP_ISO8859_1, 0x0085, NLS_CP_NO_MAPPING},
      {NLS_CP_ISO8859_1, 0x0100, NLS_CP_NO_MAPPING},
      {NLS_CP_US_ASCII, 0x00E9, NLS_CP_NO_MAPPING},
      {NLS_CP_PC437, 0x00B5, NLS_CP_NO_MAPPING},
      {NLS_CP_PC850, 0x20AC, NLS_CP_NO_MAPPING},
      {NLS_CP_PC850, 0x000A, NLS_CP_NO_MAPPING},
      {NLS_CP_PC437, 0x007F, NLS_CP_NO_MAPPING},
      {NLS_CP_PC437, 0xFFFF, NLS_CP_NO_MAPPING},
      {1252, 'A', NLS_CP_UNSUPPORTED},
      {NLS_CP_UTF8, 'A', NLS_CP_UNSUPPORTED},
  };
  for (const auto& c : cases) {
    uint8_t byte;
    EXPECT_EQ(c.rc, fromUcs2(c.page, c.value, &byte))
        << c.page << " U+" << std::hex << int(c.value);
  }
  int rc;
  toUcs2(1252, 'A', &rc);
  EXPECT_EQ(NLS_CP_UNSUPPORTED, rc);
}

TEST(NlsCodePage, WholeTextsCountAndTerminate) {
  const uint8_t bytes[] = {'C', 0x82, 't', 0xE6};
  char16_t ucs2[8];
  size_t byteCount = 0;
  ASSERT_EQ(NLS_CP_OK, nlsCodePageToUcs2(NLS_CP_PC437, bytes, 4, ucs2, sizeof ucs2, &byteCount));
  EXPECT_EQ(8u, byteCount);
  EXPECT_EQ(0x03BC, int(ucs2[3]));
  EXPECT_EQ(NLS_CP_OK, nlsCodePageToUcs2(NLS_CP_PC437, bytes, 0, ucs2, sizeof ucs2, &byteCount));
  EXPECT_EQ(0u, byteCount);

  uint8_t text[8];
  size_t chars = 0;
  ASSERT_EQ(NLS_CP_OK, nlsUcs2ToCodePage(NLS_CP_PC850, ucs2, 6, text, sizeof text, &chars));
  EXPECT_EQ(3u, chars);
  EXPECT_EQ(0, text[3]);
  EXPECT_EQ(0x82, text[1]);

  // Outputs too small are refused, never overrun.
  EXPECT_EQ(NLS_CP_OUTPUT_FULL, nlsCodePageToUcs2(NLS_CP_PC437, bytes, 4, ucs2, 6, &byteCount));
  EXPECT_EQ(6u, byteCount);
  EXPECT_EQ(NLS_CP_OUTPUT_FULL, nlsUcs2ToCodePage(NLS_CP_PC850, ucs2, 6, text, 3, &chars));
  EXPECT_EQ(2u, chars);
}

TEST(NlsCodePage, ConsolePageIs850UnlessItMatches) {
  EXPECT_EQ(1252u, psChooseOemCodePage(1252, 1252));
  EXPECT_EQ(850u, psChooseOemCodePage(1252, 850));
  EXPECT_EQ(850u, psChooseOemCodePage(1252, 437));
  nlsTestTable();
  EXPECT_EQ(NLS_CP_UTF8, nlsGetCodePages()->m_AnsiCodePage);
  EXPECT_EQ(NLS_CP_UTF8, nlsGetCodePages()->m_OemCodePage);
}

// The two code pages differ only on a machine whose ANSI page is not its console page; the
// conversions are checked by setting such pages.
class NlsConsoleText : public ::testing::Test {
 protected:
  void SetUp() override {
    nlsTestTable();
    saved = *nlsGetCodePages();
  }
  void TearDown() override {
    *nlsGetCodePages() = saved;
    nlsBindConversionFlags(nullptr, nullptr);
  }
  void setPages(uint32_t ansi, uint32_t oem) {
    nlsGetCodePages()->m_AnsiCodePage = ansi;
    nlsGetCodePages()->m_OemCodePage = oem;
  }

  nlsCodePages saved{};
  zkroot::ScopedRoot root;
};

TEST_F(NlsConsoleText, FputsConvertsOnlyWhenItsSwitchIsOn) {
  setPages(NLS_CP_ISO8859_1, NLS_CP_PC850);
  int32_t fileFlag = 0;
  int32_t consoleFlag = 1;
  nlsBindConversionFlags(&fileFlag, &consoleFlag);

  char text[] = "caf\xE9\n";
  ASSERT_GE(nlsFputs(text, stdout), 0);
  EXPECT_STREQ("caf\x82\n", text);  // the caller's text is left in the console page

  std::string path = (zkroot::rootDir() / "out.txt").string();
  FILE* fileP = fopen(path.c_str(), "w");
  char written[] = "caf\xE9\n";
  nlsFputs(written, fileP);
  fileFlag = 1;
  char converted[] = "\xE9t\xE9\n";
  nlsFputs(converted, fileP);
  fclose(fileP);
  EXPECT_EQ("caf\xE9\n\x82t\x82\n", fileText(path));
}

TEST_F(NlsConsoleText, EqualPagesLeaveTextAsItIs) {
  int32_t on = 1;
  nlsBindConversionFlags(&on, &on);
  char text[] =
      "Gr\xC3\xBC\xC3\x9F"
      "e\n";
  std::string before = text;
  nlsFputs(text, stderr);
  EXPECT_EQ(before, text);
  nlsConvertOemToAnsi(text);
  EXPECT_EQ(before, text);
}

TEST_F(NlsConsoleText, OemToAnsiMapsWhatItCanAndMarksTheRest) {
  setPages(NLS_CP_ISO8859_1, NLS_CP_PC437);
  char text[] = "\x82t\xE6\xB0\n";  // e-acute, t, mu (none in 8859-1), a shade block
  nlsConvertOemToAnsi(text);
  EXPECT_STREQ("\xE9t??\n", text);
}

TEST_F(NlsConsoleText, FgetsReadsBoundedLinesAndConverts) {
  setPages(NLS_CP_ISO8859_1, NLS_CP_PC850);
  std::string path = (zkroot::rootDir() / "in.txt").string();
  std::string longLine(1500, 'x');
  {
    std::ofstream out(path, std::ios::binary);
    out << "caf\x82\n" << longLine << "\n";
  }
  FILE* fileP = fopen(path.c_str(), "r");
  char buffer[2048];
  ASSERT_NE(nullptr, nlsFgets(buffer, sizeof buffer, fileP));
  EXPECT_STREQ("caf\xE9\n", buffer);
  ASSERT_NE(nullptr, nlsFgets(buffer, sizeof buffer, fileP));
  EXPECT_EQ(1023u, strlen(buffer));  // at most 1024 bytes with the terminator
  ASSERT_NE(nullptr, nlsFgets(buffer, 4, fileP));
  EXPECT_STREQ("xxx", buffer);
  EXPECT_EQ(nullptr, nlsFgets(buffer, 0, fileP));
  fclose(fileP);
}

TEST_F(NlsConsoleText, CopyTextFileLineByLine) {
  std::string source = (zkroot::rootDir() / "source.txt").string();
  std::string dest = (zkroot::rootDir() / "dest.txt").string();
  std::string text = "first line\n" + std::string(700, 'y') + "\nlast line without end";
  {
    std::ofstream out(source, std::ios::binary);
    out << text;
  }
  EXPECT_EQ(1, copyNlsTextFile(source.c_str(), dest.c_str()));
  EXPECT_EQ(text, fileText(dest));
  EXPECT_EQ(0, copyNlsTextFile((source + ".missing").c_str(), dest.c_str()));
  EXPECT_EQ(0,
            copyNlsTextFile(source.c_str(), ((zkroot::rootDir() / "no/dir/x").string()).c_str()));
}

}  // namespace
