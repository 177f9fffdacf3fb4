// Printing the registration into a PostScript file and reading its rows and pages back: the
// layout's margins and the mend for odd metrics, page breaks, blank forms, a cancel, and the
// whole job from the print dialog with the printing dialog beside it.
#include "regprint.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/timer.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>

#include "dialog.h"
#include "filechooser.h"
#include "msgbox.h"
#include "regpageids.h"
#include "regprintdlg.h"
#include "regregistrant.h"
#include "regres.h"
#include "root.h"
#include "uidriver.h"
#include "uitestutil.h"

namespace {

// The PostScript printer with a page cut to hold `rows` rows.
class ShortPages : public zkui::PrintAdapter {
 public:
  ShortPages(std::unique_ptr<zkui::PrintAdapter> inner, int rows) : m_inner(std::move(inner)) {
    m_metrics = m_inner->metrics();
    DPageLayout layout = regPageLayout(m_metrics);
    m_metrics.pageHeight = 2 * layout.top + rows * layout.rowHeight;
  }
  zkui::PrintMetrics metrics() const override { return m_metrics; }
  bool startDoc(const std::string& title) override { return m_inner->startDoc(title); }
  bool startPage() override { return m_inner->startPage(); }
  bool endPage() override { return m_inner->endPage(); }
  bool endDoc() override { return m_inner->endDoc(); }
  void abortDoc() override { m_inner->abortDoc(); }
  void setFont(int points, bool bold) override { m_inner->setFont(points, bold); }
  void text(int x, int y, const std::string& utf8) override { m_inner->text(x, y, utf8); }
  void line(int x1, int y1, int x2, int y2) override { m_inner->line(x1, y1, x2, y2); }
  int textWidth(const std::string& utf8) const override { return m_inner->textWidth(utf8); }

 private:
  std::unique_ptr<zkui::PrintAdapter> m_inner;
  zkui::PrintMetrics m_metrics;
};

// The texts shown on each page of a PostScript file, in order.
std::vector<std::vector<std::string>> pagesOf(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::vector<std::string>> pages;
  std::string line;
  static const std::regex shown(R"(^\((.*)\) (\(\\n\) strsplit|show)$)");
  std::smatch m;
  while (std::getline(in, line)) {
    if (line.rfind("%%Page:", 0) == 0) pages.emplace_back();
    if (!pages.empty() && std::regex_match(line, m, shown)) pages.back().push_back(m[1]);
  }
  return pages;
}

class Printing : public zkui::UiTest {
 protected:
  void SetUp() override {
    zkui::UiTest::SetUp();
    if (IsSkipped()) return;
    m_path = testing::TempDir() + "regprint.ps";
    std::remove(m_path.c_str());
  }
  int print(
      const std::vector<DPrintLine>& lines, int rows,
      const std::function<bool()>& keepGoing = [] { return true; }) {
    ShortPages printer(zkui::makePostScriptPrinter(m_path), rows);
    return regPrintLines(printer, lines, keepGoing);
  }
  static DPrintLine field(const std::string& label, const std::string& value) {
    return {0, label, value};
  }
  static DPrintLine spacer() { return {1, "", ""}; }

  std::string m_path;
};

TEST_F(Printing, TheLayoutKeepsMarginsAndAtLeastOneRow) {
  zkui::PrintMetrics letter{2550, 3300, 300, 300, 50, 25};
  DPageLayout layout = regPageLayout(letter);
  EXPECT_EQ(layout.left, 295 * 3 / 4);  // 25 mm at 300 dpi: 295 dots
  EXPECT_EQ(layout.top, 295);
  EXPECT_EQ(layout.rowsPerPage, (3300 - 2 * 295) / 50);
  EXPECT_EQ(regPageLayout(letter, 400, 10).left, 400);  // the device's own offset wins
  // Odd metrics: a page shorter than its margins, a font without height.
  EXPECT_EQ(regPageLayout({2550, 400, 300, 300, 50, 25}).rowsPerPage, 1);
  DPageLayout flat = regPageLayout({2550, 3300, 300, 300, 0, 25});
  EXPECT_EQ(flat.rowHeight, 1);
  EXPECT_GE(flat.rowsPerPage, 1);
}

TEST_F(Printing, RowsFillPagesAndBlankValuesTakeNoRow) {
  std::vector<DPrintLine> lines = {field("23:", "Veltrona"),  field("31:", "   "),
                                   field("32:", "Ada"),       spacer(),
                                   field("33:", " Lovelace"), field("34:", "x")};
  ASSERT_EQ(print(lines, 3), 0);
  // The spacer at the bottom of a full page counts; the next line starts the next page.
  EXPECT_EQ(pagesOf(m_path), (std::vector<std::vector<std::string>>{{"23:Veltrona", "32:Ada"},
                                                                    {"33: Lovelace", "34:x"}}));
}

TEST_F(Printing, ABlankFormGivesOneEmptyPageAndAFullPageNoEmptyOne) {
  ASSERT_EQ(print({field("31:", ""), field("32:", " ")}, 3), 0);
  EXPECT_EQ(pagesOf(m_path), (std::vector<std::vector<std::string>>{{}}));
  ASSERT_EQ(print({field("1:", "a"), field("2:", "b"), field("3:", "c")}, 3), 0);
  EXPECT_EQ(pagesOf(m_path).size(), 1u);
  // Odd printer metrics: a page with room for no row still prints one row a page.
  ASSERT_EQ(print({field("1:", "a"), field("2:", "b")}, 0), 0);
  EXPECT_EQ(pagesOf(m_path).size(), 2u);
}

TEST_F(Printing, ACancelAbandonsTheDocument) {
  std::vector<DPrintLine> lines(10, field("1:", "a"));
  int asked = 0;
  EXPECT_EQ(print(lines, 3, [&] { return ++asked < 4; }), -2);
  EXPECT_FALSE(std::ifstream(m_path).good());
}

// The whole job: the print dialog picks the file, the printing dialog shows beside the pages.
TEST_F(Printing, TheRegistrationPrintsFromThePrintDialog) {
  zkroot::ScopedRoot root;
  std::shared_ptr<const zkui::ResourceBundle> own;
  std::string why;
  ASSERT_EQ(zkui::ResourceBundle::load(TAMREL_RES_DIR "/tamrel.zrc", own, &why), zkui::kResOk);
  std::shared_ptr<const zkui::ResourceBundle> previous = zkui::setCurrentResources(own);
  CRegistrant::instance().release();
  CRegistrant::instance().name().setFirstName("Ada");
  std::string chosenTitle;
  bool chosen = false;
  zkui::setFileChooserHook([&](const zkui::FileChooserRequest& r, std::string& path) {
    chosenTitle = r.title;
    if (!chosen) return zkui::kIdBoxCancel;
    path = m_path;
    return zkui::kIdBoxOk;
  });
  EXPECT_EQ(regPrintRegistration(nullptr), -1);  // no printer chosen
  chosen = true;
  EXPECT_EQ(regPrintRegistration(nullptr), 0);
  EXPECT_EQ(chosenTitle, regLoadString(kPrintDocumentName));
  std::vector<std::vector<std::string>> pages = pagesOf(m_path);
  ASSERT_FALSE(pages.empty());
  EXPECT_EQ(pages.front().front(), regLoadString(314));
  EXPECT_EQ(pages.back().back(), regLoadString(2121));
  bool named = false;
  for (const auto& page : pages) {
    for (const std::string& row : page) named = named || row == "31:Ada";
  }
  EXPECT_TRUE(named);

  // Cancel in the printing dialog while the pages print.
  // The click comes from the display as the pages print: a timer due by the time the printing
  // dialog shows.
  wxTimer cancel;
  cancel.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    if (zkui::drive::click(kPrintingCancel)) cancel.Stop();
  });
  zkui::setFileChooserHook([&](const zkui::FileChooserRequest&, std::string& path) {
    path = m_path;
    cancel.Start(1);
    return zkui::kIdBoxOk;
  });
  // From the loop of a page, as the connection-failure page prints.
  int rc = 0;
  bool ownerEnabledAfter = false;
  zkui::drive::whenModal([&](wxDialog& owner) {
    rc = regPrintRegistration(&owner);
    ownerEnabledAfter = owner.IsEnabled();
    owner.EndModal(2);
  });
  zkui::Dialog owner(2400, nullptr);
  owner.doModal();
  EXPECT_EQ(rc, -2);
  EXPECT_TRUE(ownerEnabledAfter);
  EXPECT_EQ(regPrintCancelled(), 1);
  EXPECT_FALSE(std::ifstream(m_path).good());
  zkui::setFileChooserHook(nullptr);
  zkui::setCurrentResources(previous);
}

}  // namespace
