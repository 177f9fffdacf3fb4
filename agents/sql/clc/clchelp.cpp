// Help: each help topic's list of messages, printed with paging.
#include <cstring>
#include <vector>

#include "agtrc.h"
#include "clc.h"
#include "cmdparse.h"
#include "msgout.h"
#include "psutil.h"

namespace {

constexpr int kEnd = -1;
constexpr int kFirstLine = 15;  // the lines the banner and the command took

struct HelpTopic {
  uint32_t id;
  std::vector<int> messages;
};

std::vector<int> range(int first, int last) {
  std::vector<int> numbers;
  for (int n = first; n <= last; n++) numbers.push_back(n);
  return numbers;
}

std::vector<int> join(std::initializer_list<std::vector<int>> parts) {
  std::vector<int> numbers;
  for (const std::vector<int>& part : parts)
    numbers.insert(numbers.end(), part.begin(), part.end());
  return numbers;
}

// The messages of each help topic id, in the order they are printed.
const std::vector<HelpTopic>& helpTopics() {
  static const std::vector<HelpTopic> kTopics = {
      {8, join({{5001, 5006, 5007, 5002, 5003, 5004, 5005},
                range(5008, 5015),
                range(5017, 5022),
                {5016, 5023, 5024, 5025},
                range(5027, 5033),
                {5026, 5038, 5039},
                range(5034, 5037),
                range(5040, 5047)})},
      {9, join({{5006, 5007, 5002, 5003, 5004, 5005}, range(5008, 5013)})},
      {10, {5002, 5003}},
      {11, {5004, 5005}},
      {12, {5006, 5007}},
      {13, {5008, 5009}},
      {14, {5010, 5011}},
      {15, {5012, 5013}},
      {16, {5014}},
      {17, {5015}},
      {18, join({range(5017, 5022), {5016}})},
      {19, {5016}},
      {20, {5017}},
      {21, {5018}},
      {22, {5019}},
      {23, {5020}},
      {24, {5021}},
      {25, {5022}},
      {26, join({{5023, 5024, 5025}, range(5027, 5033), {5026}})},
      {27, {5023, 5024, 5025}},
      {28, {5023, 5024, 5025}},
      {29, {5023, 5024, 5025}},
      {30, {5026}},
      {31, {5027}},
      {32, {5028}},
      {33, {5029}},
      {34, {5030}},
      {35, {5031}},
      {36, {5032}},
      {37, {5033}},
      {38, join({{5038, 5039}, range(5034, 5037), range(5040, 5045)})},
      {39, {5034, 5035}},
      {40, {5036, 5037}},
      {41, {5038, 5039}},
      {42, {5040, 5041}},
      {43, {5042, 5043}},
      {44, {5044, 5045}},
      {45, {5046, 5047}},
  };
  return kTopics;
}

// Prints lines, pausing on a terminal whenever a page is full.
class CPager {
 public:
  CPager() {
    int columns = 0;
    psGetConsoleSize(&m_Rows, &columns);
    m_PromptLength = nlsprintf(m_Prompt, sizeof m_Prompt, CLC_MSG_HELP_PROMPT);
  }
  void print(const char* lineP) {
    if (m_Count >= m_Rows) pause();
    nlprintf(CLC_MSG_LINE, lineP);
    m_Count++;
  }

 private:
  void pause() {
    if (!psStdoutRedirected()) {
      nlprintf(CLC_MSG_TEXT, m_Prompt);
      psWaitForEnterKey();
      nlprintf(CLC_MSG_HELP_BLANK, m_PromptLength, " ");
    }
    m_Count = 0;
  }

  int m_Rows = 0;  // psGetConsoleSize's rows: one less than the terminal's height
  int m_Count = kFirstLine;
  char m_Prompt[CLC_MSG_BUFFER_LEN] = {};
  int m_PromptLength = 0;
};

void printMessage(CPager* pagerP, int msgNum) {
  std::vector<char> text(CLC_MSG_BUFFER_LEN + 1);
  nlsprintf(text.data(), text.size(), msgNum);
  std::vector<char*> linesP(strlen(text.data()) + 1);
  int count = tokenize(text.data(), "\n", int(linesP.size()), linesP.data());
  for (int i = 0; i < count; i++) pagerP->print(linesP[i]);
}

}  // namespace

int displayHelp(const int* msgNumsP) {
  CPager pager;
  for (; *msgNumsP != kEnd; msgNumsP++) printMessage(&pager, *msgNumsP);
  return RC_OK;
}

int clcHelp(ClcRun* runP) {
  for (const HelpTopic& topic : helpTopics()) {
    if (topic.id != runP->options.command) continue;
    std::vector<int> numbers = topic.messages;
    numbers.push_back(kEnd);
    return displayHelp(numbers.data());
  }
  return RC_INTERNAL_ERROR;
}
