#include "catalogue.h"

#include <gtest/gtest.h>

#include <sstream>

namespace msgc {
namespace {

bool parse(const std::string& source, std::vector<Message>* msgsP,
           std::vector<std::string>* errorsP) {
  std::istringstream in(source);
  return parseCatalogue(in, "cat", msgsP, errorsP);
}

struct LineCase {
  const char* line;
  const char* error;  // null when the line is accepted
};

void PrintTo(const LineCase& c, std::ostream* os) {
  *os << c.line;
}

class CatalogueLine : public testing::TestWithParam<LineCase> {};

TEST_P(CatalogueLine, IsAcceptedOrRefusedWithItsReason) {
  std::vector<Message> msgs;
  std::vector<std::string> errors;
  bool ok = parse(GetParam().line, &msgs, &errors);
  if (GetParam().error == nullptr) {
    EXPECT_TRUE(ok) << (errors.empty() ? "" : errors[0]);
    return;
  }
  ASSERT_FALSE(ok);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find(GetParam().error), std::string::npos) << errors[0];
  EXPECT_EQ(errors[0].rfind("cat:1: ", 0), 0u) << errors[0];
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CatalogueLine,
    testing::Values(
        LineCase{R"(5 E - - "Not enough memory.")", nullptr},
        LineCase{R"(13 Z - int,ullong "%*llu B")", nullptr},
        LineCase{R"(152 I - double,str "%.1f s in %s, 100%% done")", nullptr},
        LineCase{R"(7 Z - double "%.1f")", nullptr},
        LineCase{R"(20 W yn str,int "%2$d copies of %1$-10s\n")", nullptr},
        LineCase{R"(21 I - ptr,size,long,char "%p %zu %ld %c")", nullptr},
        LineCase{R"(22 I - int "%s")", "the text takes str but the inserts are int"},
        LineCase{R"(23 I - int "%ld")", "the text takes long but the inserts are int"},
        LineCase{R"(24 I - uint "%d")", "the text takes int but the inserts are uint"},
        LineCase{R"(25 I - str "%s %s")", "the text takes str,str but the inserts are str"},
        LineCase{R"(26 I - str,str "%s")", "the text takes str but the inserts are str,str"},
        LineCase{R"(27 I - ullong "%*llu")", "the text takes int,ullong"},
        LineCase{R"(28 I - int "%n")", "%n is not allowed"},
        LineCase{R"(29 I - double "%Lf")", "unknown conversion"},
        LineCase{R"(30 I - int "100%")", "not finished"},
        LineCase{R"(31 I - str,int "%1$s %d")", "every conversion numbered"},
        LineCase{R"(32 I - str,str "%1$s %1$s")", "use 1 to 2 once each"},
        LineCase{R"(33 I - str,int "%2$s %1$d")",
                 "insert 2 is declared int but its conversion takes str"},
        LineCase{R"(34 I - int,int "%1$*2$d")", "every conversion numbered and no \"*\""},
        LineCase{R"(0 I - - "x")", "1 to 65535"}, LineCase{R"(65536 I - - "x")", "1 to 65535"},
        LineCase{R"(35 L - - "x")", "severity"},
        LineCase{R"(36 I abcdefgh - "x")", "longer than 7"},
        LineCase{R"(37 I - text "x")", "unknown insert type 'text'"},
        LineCase{R"(38 I - - x)", "double quotes"}, LineCase{R"(39 I - - "x)", "no closing quote"},
        LineCase{R"(40 I - - "x" y)", "after the closing quote"},
        LineCase{R"(41 I - - "a\qb")", "unknown escape"},
        LineCase{R"(42 I - - "a\x00b")", "bad \\x escape"},
        LineCase{R"(43 I - int "[%3584d]")", nullptr},
        LineCase{R"(44 I - int "[%3585d]")", "larger than a message"},
        LineCase{R"(45 I - double "%.4294967297f")", "larger than a message"},
        LineCase{R"(46 I - str "%1$99999999s")", "larger than a message"}),
    [](const testing::TestParamInfo<LineCase>& info) {
      return "Line" + std::to_string(info.index);
    });

TEST(Catalogue, SkipsCommentsAndBlankLinesAndSortsByNumber) {
  std::vector<Message> msgs;
  std::vector<std::string> errors;
  ASSERT_TRUE(parse("# heading\n\n  \n9 Z - - \"b\"\r\n3 W RESP - \"a\\n\\\"q\\\"\\t\\x41\"\n",
                    &msgs, &errors));
  ASSERT_EQ(msgs.size(), 2u);
  EXPECT_EQ(msgs[0].number, 3u);
  EXPECT_EQ(msgs[0].severity, 5u);
  EXPECT_EQ(msgs[0].response, "RESP");
  EXPECT_EQ(msgs[0].text, "a\n\"q\"\tA");
  EXPECT_EQ(msgs[0].line, 5);
  EXPECT_EQ(msgs[1].number, 9u);
}

TEST(Catalogue, RefusesANumberDefinedTwiceAndReportsEveryFault) {
  std::vector<Message> msgs;
  std::vector<std::string> errors;
  EXPECT_FALSE(parse("4 I - - \"a\"\n4 I - - \"b\"\n5 I - int \"%s\"\n", &msgs, &errors));
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors[0], "cat:2: message 4 is already defined on line 1");
  EXPECT_EQ(errors[1].rfind("cat:3: ", 0), 0u);
}

TEST(Catalogue, EncodesANumberedTextInTheReorderingForm) {
  Message m;
  m.number = 20;
  m.inserts = {NLS_ARG_STR, NLS_ARG_INT};
  m.text = "%2$d copies of %1$-10s, 50%%";
  std::string enc, error;
  ASSERT_TRUE(encodeText(m, &enc, &error)) << error;
  // 0, two inserts; argument 0 (str) belongs to insert 1, argument 1 (int) to insert 0.
  std::string want("\0\2\1\0", 4);
  want += std::string("\0\0%d\0", 5);                 // insert 0: no widths, integer, "%d"
  want += std::string("\0\1%-10s\0", 8);              // insert 1: no widths, text, "%-10s"
  want += std::string("\0 copies of \0, 50%\0", 19);  // three pieces, "%%" printed as "%"
  EXPECT_EQ(enc, want);
}

TEST(Catalogue, RefusesATextLongerThanAMessageMayBe) {
  Message m;
  m.severity = 6;  // E: its 9-character prefix counts
  m.text = std::string(NLS_MSG_MAX - 1 - NLS_PREFIX_LEN, 'x');
  std::string enc, error;
  EXPECT_TRUE(encodeText(m, &enc, &error)) << error;
  m.text += 'x';
  EXPECT_FALSE(encodeText(m, &enc, &error));
  m.severity = 1;  // T: no prefix
  EXPECT_TRUE(encodeText(m, &enc, &error)) << error;
}

TEST(Catalogue, DeclaresEveryMessagesInsertsForTheAgent) {
  std::vector<Message> msgs;
  std::vector<std::string> errors;
  ASSERT_TRUE(parse("13 Z - int,ullong \"%*llu B\"\n3 E - - \"x\"\n20 W - str,int \"%2$d %1$s\"\n",
                    &msgs, &errors));
  std::string source = insertTableSource(msgs);
  EXPECT_NE(source.find("const NlsInsertDecl nlsAgentInserts[] = {\n"
                        "    {3, \"\"},\n"
                        "    {13, \"int,ullong\"},\n"
                        "    {20, \"str,int\"},\n"
                        "};\n"),
            std::string::npos)
      << source;
  EXPECT_NE(source.find("const size_t nlsAgentInsertCount = 3;"), std::string::npos) << source;
}

uint16_t u16At(const std::string& b, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8);
}

TEST(Catalogue, BuildsTheIndexAndBlockAlignedRecordsOfSeveralSegments) {
  Message a, b;
  a.number = 1;
  a.severity = 4;
  a.text = "short";
  b.number = 40;  // index ends at byte 64 + 80: records start in block 4
  b.severity = 6;
  b.response = "YN";
  b.text = std::string(1100, 'y');  // 511 + 511 + 78
  std::string file, error;
  ASSERT_TRUE(buildRepository({a, b}, &file, &error)) << error;
  ASSERT_EQ(file.size() % NLS_BLOCK_SIZE, 0u);
  EXPECT_EQ(u16At(file, 0) | u16At(file, 2) << 16, NLS_CONTROL_WORD);
  EXPECT_EQ(u16At(file, 64), 4u);           // message 1
  EXPECT_EQ(u16At(file, 64 + 2 * 1), 0u);   // message 2 is missing
  EXPECT_EQ(u16At(file, 64 + 2 * 39), 5u);  // message 40, the block after message 1's
  NlsSegmentHeader h = nlsDecodeSegmentHeader(u16At(file, 3 * 64));
  EXPECT_EQ(h.textLen, 5u);
  EXPECT_EQ(h.severity, 4u);
  EXPECT_FALSE(h.more);
  size_t at = 4 * 64;
  std::vector<unsigned> lengths;
  for (bool more = true; more;) {
    h = nlsDecodeSegmentHeader(u16At(file, at));
    lengths.push_back(h.textLen);
    EXPECT_EQ(h.severity, 6u);
    EXPECT_EQ(h.responseLen, h.more ? 0u : 2u);  // the record's response rides on its last segment
    at += 2 + h.responseLen + h.textLen;
    more = h.more;
  }
  EXPECT_EQ(lengths, (std::vector<unsigned>{511, 511, 78}));
  EXPECT_EQ(file.substr(at - 78 - 2, 2), "YN");
}

}  // namespace
}  // namespace msgc
