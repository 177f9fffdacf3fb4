#include "dmsgbox.h"

#include <cstring>
#include <mutex>
#include <string>

#include "agttrc.h"
#include "msgbox.h"
#include "msgout.h"

namespace {

constexpr size_t DMSG_CAPTION_SIZE = 256;

std::mutex gCaptionMutex;
char gDefaultCaption[DMSG_CAPTION_SIZE] = "";  // guarded by gCaptionMutex

struct DMsgKindRow {
  int kind;
  unsigned style;
  int yesAnswer;  // the button that makes the result 1; 0: any button does
};
const DMsgKindRow kKinds[] = {
    {DMSG_ERROR, zkui::kMbOk | zkui::kMbIconStop, 0},
    {DMSG_RETRYCANCEL, zkui::kMbRetryCancel | zkui::kMbIconQuestion, zkui::kIdRetry},
    {DMSG_INFORMATION, zkui::kMbOk | zkui::kMbIconInformation, 0},
    {DMSG_YESNO, zkui::kMbYesNo | zkui::kMbIconQuestion, zkui::kIdYes},
};

const DMsgKindRow* kindRow(int kind) {
  for (const DMsgKindRow& row : kKinds) {
    if (row.kind == kind) return &row;
  }
  return nullptr;
}

std::string defaultCaption() {
  std::lock_guard<std::mutex> lock(gCaptionMutex);
  return gDefaultCaption;
}

}  // namespace

int showMessageBox(const char* textP, int kind, const char* captionP) {
  TRACE_ENTRY(TRC_GUI, "showMessageBox");
  if (!textP || std::strlen(textP) > DMSG_TEXT_MAX) TRACE_RETURN(0);
  const DMsgKindRow* rowP = kindRow(kind);
  if (!rowP) TRACE_RETURN(0);
  std::string caption = captionP ? captionP : defaultCaption();
  int answer = zkui::messageBox(nullptr, textP, caption, rowP->style | zkui::kMbTaskModal);
  TRACE_RETURN(rowP->yesAnswer == 0 || answer == rowP->yesAnswer ? 1 : 0);
}

int showMessageNumber(int messageNumber, int kind, const char* captionP) {
  char text[DMSG_TEXT_MAX];
  nlsprintf(text, sizeof text, messageNumber & 0xFFFF);
  return showMessageBox(text, kind, captionP);
}

void showInformationBox(const char* textP) {
  showMessageBox(textP, DMSG_INFORMATION, nullptr);
}

void showErrorBox(const char* textP) {
  showMessageBox(textP, DMSG_ERROR, nullptr);
}

void setDefaultCaption(const char* textP) {
  std::lock_guard<std::mutex> lock(gCaptionMutex);
  std::snprintf(gDefaultCaption, sizeof gDefaultCaption, "%s", textP ? textP : "");
}
