#include "dmsgbox.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "msgbox.h"
#include "nlstest.h"

namespace {

// Answers every box with `m_answer` and records what was asked.
class DMsgBoxTest : public nlstest::NlsFixture {
 protected:
  void SetUp() override {
    NlsFixture::SetUp();
    m_previous = zkui::setMessageBoxHook([this](const zkui::MessageBoxRequest& r) {
      m_asked.push_back(r);
      return m_answer;
    });
    setDefaultCaption("Zarnak SQL");
  }
  void TearDown() override {
    zkui::setMessageBoxHook(m_previous);
    NlsFixture::TearDown();
  }
  int m_answer = zkui::kIdBoxOk;
  std::vector<zkui::MessageBoxRequest> m_asked;
  zkui::MessageBoxHook m_previous;
};

TEST_F(DMsgBoxTest, EachKindHasItsIconButtonsAndResult) {
  struct Case {
    int kind;
    int answer;
    unsigned style;  // 0: nothing shown
    int result;
  };
  const Case cases[] = {
      {DMSG_ERROR, zkui::kIdBoxOk, zkui::kMbOk | zkui::kMbIconStop, 1},
      {DMSG_RETRYCANCEL, zkui::kIdRetry, zkui::kMbRetryCancel | zkui::kMbIconQuestion, 1},
      {DMSG_RETRYCANCEL, zkui::kIdBoxCancel, zkui::kMbRetryCancel | zkui::kMbIconQuestion, 0},
      {DMSG_INFORMATION, zkui::kIdBoxOk, zkui::kMbOk | zkui::kMbIconInformation, 1},
      {DMSG_YESNO, zkui::kIdYes, zkui::kMbYesNo | zkui::kMbIconQuestion, 1},
      {DMSG_YESNO, zkui::kIdNo, zkui::kMbYesNo | zkui::kMbIconQuestion, 0},
      {0, zkui::kIdBoxOk, 0, 0},
      {5, zkui::kIdBoxOk, 0, 0},
  };
  for (const Case& c : cases) {
    m_asked.clear();
    m_answer = c.answer;
    EXPECT_EQ(c.result, showMessageBox("text", c.kind, "Title")) << c.kind;
    if (c.style == 0) {
      EXPECT_TRUE(m_asked.empty()) << c.kind;
      continue;
    }
    ASSERT_EQ(1u, m_asked.size());
    EXPECT_EQ(c.style | zkui::kMbTaskModal, m_asked[0].style);
    EXPECT_EQ(nullptr, m_asked[0].ownerP);
    EXPECT_EQ("Title", m_asked[0].caption);
  }
}

TEST_F(DMsgBoxTest, TextOfExactly3584BytesIsShownAndOneMoreIsNot) {
  std::string limit(DMSG_TEXT_MAX, 'x');
  EXPECT_EQ(1, showMessageBox(limit.c_str(), DMSG_INFORMATION, nullptr));
  ASSERT_EQ(1u, m_asked.size());
  EXPECT_EQ(limit, m_asked[0].text);
  EXPECT_EQ("Zarnak SQL", m_asked[0].caption);  // null caption: the default one
  std::string over = limit + "x";
  EXPECT_EQ(0, showMessageBox(over.c_str(), DMSG_INFORMATION, nullptr));
  EXPECT_EQ(1u, m_asked.size());
}

TEST_F(DMsgBoxTest, NumberedMessagesAndTheOutputRoutines) {
  ASSERT_EQ(0, initRepository("5714 Z - - \"Zarnak Backup for SQL\"\n"
                              "5721 E - - \"Select a SQL Server first.\"\n"));
  setDefaultCaption("caption one");
  EXPECT_EQ(1, showMessageNumber(0x10000 + 5721, DMSG_ERROR, nullptr));  // low 16 bits
  showInformationBox("done");
  showErrorBox("failed");
  ASSERT_EQ(3u, m_asked.size());
  EXPECT_NE(std::string::npos, m_asked[0].text.find("Select a SQL Server first."));
  EXPECT_EQ("caption one", m_asked[0].caption);
  EXPECT_EQ(zkui::kMbIconInformation, m_asked[1].style & 0xF0);
  EXPECT_EQ(zkui::kMbIconStop, m_asked[2].style & 0xF0);
  EXPECT_EQ("failed", m_asked[2].text);
}

}  // namespace
