// The data file: its line encoding, the description lines, the per-language values with their
// defaults, the products a registration names, and the meskoreg tool.
#include "regdatafile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "regconst.h"
#include "regdesc.h"
#include "reglang.h"
#include "regproducts.h"
#include "regprogram.h"
#include "root.h"
#include "runprogram.h"

namespace {

std::string fixture(const std::string& name) {
  return std::string(TAMREL_TESTDATA) + "/" + name;
}

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

CRegDataFile loaded(const std::string& name) {
  CRegDataFile file(std::make_unique<std::ifstream>(fixture(name), std::ios::binary));
  file.load();
  return file;
}

CRegDataFile fromLines(const std::string& text) {
  std::istringstream lines(text);
  std::string stored, line;
  while (std::getline(lines, line)) {
    std::string one;
    EXPECT_TRUE(regEncodeDataLine(line, one));
    stored += one;
  }
  CRegDataFile file(std::make_unique<std::istringstream>(stored));
  file.load();
  return file;
}

TEST(DataFileLines, AreInvertedAndEndedByALineEndAndAPadByte) {
  std::string stored;
  ASSERT_TRUE(regEncodeDataLine("Az", stored));
  EXPECT_EQ(stored, std::string("\xBE\x85\x0A\x0D", 4));
  std::string refused;
  EXPECT_FALSE(regEncodeDataLine("\xF5", refused));

  std::istringstream in(stored + stored + std::string("\xBE\x85", 2));
  std::string line;
  EXPECT_TRUE(regReadDataLine(in, line));
  EXPECT_EQ(line, "Az");
  EXPECT_TRUE(regReadDataLine(in, line));
  EXPECT_FALSE(regReadDataLine(in, line));  // the unfinished last line is dropped
}

TEST(DescriptionLines, EachKindSetsItsFieldAndOthersAreIgnored) {
  CRegDataFile file = loaded("product.dat");
  EXPECT_EQ(file.m_Version, "2.2.000817");
  EXPECT_EQ(file.m_CreationDate, "08/17/2000");
  EXPECT_EQ(file.m_ProductName, "ZarnakSQL Backup Agent");
  EXPECT_EQ(file.m_ProductType, "SW");
  EXPECT_EQ(file.m_PartNumber, "ZK-2200");
  EXPECT_EQ(file.valuesForLanguage(kLanguageFrench),
            (std::vector<std::string>{"ZK-2200-FRA", "ZK-2201-FRA"}));
  EXPECT_EQ(file.valuesForLanguage(-1),  // "lang ENU:" (codes compare exactly) and "language"
            (std::vector<std::string>{"ZK-IGNORED-CASE", "notes", "are", "a", "line", "of", "their",
                                      "own", "kind"}));
  EXPECT_TRUE(file.valuesForLanguage(kLanguageItalian).empty());  // "Lang ita:" is no line

  CRegDataFile plain = fromLines("productName:\nproductName: first\nproductName:   \nlang enu:\n");
  EXPECT_EQ(plain.m_ProductName, "");
  EXPECT_TRUE(plain.valuesForLanguage(kLanguageEnglish).empty());
  EXPECT_EQ(CDescriptionLine::create("tamrelversion: 1"), nullptr);
  EXPECT_NE(CDescriptionLine::create("lang"), nullptr);
}

TEST(DataFileValues, DefaultsFollowTheEnglishValueThenTheFirstValue) {
  CRegDataFile product = loaded("product.dat");
  EXPECT_EQ(product.defaultValue(), "ZK-2200-ENU");
  EXPECT_EQ(product.valueForLanguage(kLanguageGerman), "ZK-2200-ENU");   // listed as #default
  EXPECT_EQ(product.valueForLanguage(kLanguageItalian), "ZK-2200-ENU");  // not listed
  EXPECT_EQ(product.valueForLanguage(kLanguageFrench), "ZK-2200-FRA");

  CRegDataFile noEnglish = fromLines("lang fra: F1\nlang deu: #default\n");
  EXPECT_EQ(noEnglish.valueForLanguage(kLanguageGerman), "F1");

  CRegDataFile none = loaded("nodefault.dat");
  EXPECT_EQ(none.defaultValue(), "");
  EXPECT_TRUE(none.valuesForLanguage(kLanguageFrench).empty());  // removed from the store
  EXPECT_EQ(none.valueForLanguage(kLanguageFrench), "");

  CRegDataFile truncated = loaded("truncated.dat");
  EXPECT_EQ(truncated.m_ProductType, "SUITE");
  EXPECT_TRUE(truncated.valuesForLanguage(kLanguageGerman).empty());
}

TEST(DataFileValues, ALoadReadsTheFileOnce) {
  CRegDataFile file = loaded("suite.dat");
  file.addValue(kLanguageGerman, "added");
  file.load();
  EXPECT_EQ(file.valuesForLanguage(kLanguageEnglish), (std::vector<std::string>{"ZK-SUITE-ENU"}));
  EXPECT_EQ(file.valueForLanguage(kLanguageGerman), "added");
}

TEST(DataFileLocation, IsBesideTheProgram) {
  zkroot::ScopedRoot root;
  std::filesystem::path folder = root.path() / "bin";
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "tamrel") << "program";
  const char* oldPath = std::getenv("PATH");
  std::string saved = oldPath != nullptr ? oldPath : "";
  setenv("PATH", folder.c_str(), 1);
  regSetAppName("tamrel");
  CRegDataFile::release();
  EXPECT_EQ(CRegDataFile::dataFile(), nullptr);
  std::filesystem::copy_file(fixture("suite.dat"), folder / kDataFileName);
  CRegDataFile* file = CRegDataFile::dataFile();
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(CRegDataFile::dataFile(), file);
  file->load();
  EXPECT_EQ(file->m_ProductName, "ZarnakSQL Suite");
  CRegDataFile::release();
  regSetAppName("");
  setenv("PATH", saved.c_str(), 1);
}

TEST(Products, ComeFromTheCommandLineForASuiteAndFromTheFileOtherwise) {
  CRegDataFile suite = loaded("suite.dat");
  CRegDataFile product = loaded("product.dat");
  CRegDataFile empty = loaded("nodefault.dat");
  struct Case {
    const char* what;
    const CRegDataFile* file;
    std::vector<std::string> params;
    int language;
    RegAnswers wanted;
  };
  const Case cases[] = {
      {"suite with parameters",
       &suite,
       {"A-1", "B-2"},
       kLanguageEnglish,
       {{"numOfProds", "2"}, {"prod1", "A-1"}, {"prod2", "B-2"}, {"prodName", "ZarnakSQL Suite"}}},
      {"suite without parameters",
       &suite,
       {},
       kLanguageEnglish,
       {{"numOfProds", "1"}, {"prod1", "ZK-SUITE-ENU"}, {"prodName", "ZarnakSQL Suite"}}},
      {"other type ignores parameters",
       &product,
       {"A-1"},
       kLanguageFrench,
       {{"numOfProds", "2"},
        {"prod1", "ZK-2200-FRA"},
        {"prod2", "ZK-2201-FRA"},
        {"prodName", "ZarnakSQL Backup Agent"}}},
      {"a #default language",
       &product,
       {},
       kLanguageGerman,
       {{"numOfProds", "1"}, {"prod1", "ZK-2200-ENU"}, {"prodName", "ZarnakSQL Backup Agent"}}},
      {"the single part number",
       &product,
       {},
       kLanguageItalian,
       {{"numOfProds", "1"}, {"prod1", "ZK-2200"}, {"prodName", "ZarnakSQL Backup Agent"}}},
      {"no file",
       nullptr,
       {"A-1"},
       kLanguageEnglish,
       {{"numOfProds", "1"}, {"prod1", "OrbenixLexNone"}, {"prodName", "Unknown"}}},
      {"a file naming none",
       &empty,
       {},
       kLanguageFrench,
       {{"numOfProds", "1"}, {"prod1", "OrbenixLexNone"}, {"prodName", "Unknown"}}},
  };
  for (const Case& c : cases) {
    RegAnswers general;
    regSelectProducts(general, c.file, c.params, c.language);
    EXPECT_EQ(general, c.wanted) << c.what;
  }
  RegAnswers general;
  setProductsFromCommandLine(general, {});
  EXPECT_EQ(general, (RegAnswers{{regconst::kNumOfProds, "0"}}));
}

TEST(Meskoreg, EncodesAndDecodesTheFixtures) {
  zkroot::ScopedRoot root;
  for (const char* name : {"product", "suite", "nodefault"}) {
    std::string dat = (root.path() / (std::string(name) + ".dat")).string();
    std::string txt = (root.path() / (std::string(name) + ".txt")).string();
    EXPECT_EQ(zkrun::runProgram(MESKOREG_PATH, {"encode", fixture(std::string(name) + ".txt"), dat})
                  .exitCode,
              0);
    EXPECT_EQ(readAll(dat), readAll(fixture(std::string(name) + ".dat"))) << name;
    zkrun::ProgramRun decoded = zkrun::runProgram(MESKOREG_PATH, {"decode", dat, "-"});
    EXPECT_EQ(decoded.exitCode, 0);
    EXPECT_EQ(decoded.out, readAll(fixture(std::string(name) + ".txt")));
  }
  zkrun::ProgramRun truncated =
      zkrun::runProgram(MESKOREG_PATH, {"decode", fixture("truncated.dat"), "-"});
  EXPECT_EQ(truncated.out, readAll(fixture("suite.txt")));

  std::string bad = (root.path() / "bad.txt").string();
  std::ofstream(bad) << "ok\n\xF5\n";
  EXPECT_EQ(zkrun::runProgram(MESKOREG_PATH, {"encode", bad, "-"}).exitCode, 1);
  EXPECT_EQ(zkrun::runProgram(MESKOREG_PATH, {"decode", "/nonexistent.dat", "-"}).exitCode, 1);
  EXPECT_EQ(zkrun::runProgram(MESKOREG_PATH, {"convert", bad, "-"}).exitCode, 2);
  zkrun::ProgramRun help = zkrun::runProgram(MESKOREG_PATH, {"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("usage: meskoreg"), std::string::npos);
}

TEST(Meskoreg, ReadsLinesEndedByCarriageReturnAndLineFeed) {
  zkroot::ScopedRoot root;
  std::string crlf = (root.path() / "suite-crlf.txt").string();
  std::string text = readAll(fixture("suite.txt"));
  std::string withCr;
  for (char c : text) withCr += c == '\n' ? std::string("\r\n") : std::string(1, c);
  std::ofstream(crlf, std::ios::binary) << withCr;
  std::string dat = (root.path() / "suite.dat").string();
  ASSERT_EQ(zkrun::runProgram(MESKOREG_PATH, {"encode", crlf, dat}).exitCode, 0);
  EXPECT_EQ(readAll(dat), readAll(fixture("suite.dat")));
}

// Each failure ends 1 (2 for a wrong command line) with a line that names what failed, and an
// output file keeps what it held before.
TEST(Meskoreg, FailuresAreReportedAndLeaveTheOldOutput) {
  zkroot::ScopedRoot root;
  std::string bad = (root.path() / "bad.txt").string();
  std::ofstream(bad) << "ok\n\xF5\n";
  std::string out = (root.path() / "out.dat").string();
  std::string folder = root.path().string();
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string said;
  };
  const Case cases[] = {
      {{"encode", bad, out}, 1, "line 2"},
      {{"decode", folder, out}, 1, folder + ": cannot read"},
      {{"encode", fixture("suite.txt"), folder + "/missing/out.dat"}, 1, "cannot write"},
      {{"convert", bad, out}, 2, "unknown command \"convert\""},
      {{"encode", bad}, 2, "INPUT and OUTPUT"},
      {{"decode", bad, out, "extra"}, 2, "\"extra\""},
  };
  for (const Case& c : cases) {
    std::ofstream(out, std::ios::binary | std::ios::trunc) << "old";
    zkrun::ProgramRun run = zkrun::runProgram(MESKOREG_PATH, c.args);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.args[0] << " " << c.args[1];
    EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
    EXPECT_EQ(readAll(out), "old") << c.args[0] << " " << c.args[1];
  }
  EXPECT_FALSE(std::filesystem::exists(out + ".partial"));
}

TEST(Meskoreg, TheSameFileMayBeInputAndOutput) {
  zkroot::ScopedRoot root;
  std::string file = (root.path() / "suite").string();
  std::filesystem::copy_file(fixture("suite.txt"), file);
  ASSERT_EQ(zkrun::runProgram(MESKOREG_PATH, {"encode", file, file}).exitCode, 0);
  EXPECT_EQ(readAll(file), readAll(fixture("suite.dat")));
}

}  // namespace
