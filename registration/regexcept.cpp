#include "regexcept.h"

#include "regres.h"

namespace {

struct ShowRange {
  int first;
  int last;
  RegShow show;
};

constexpr ShowRange kShowRanges[] = {
    {201, 212, RegShow::OkBox},
    {215, 215, RegShow::OkBox},
    {217, 218, RegShow::OkBox},
    {221, 222, RegShow::OkBox},
    {246, 247, RegShow::OkBox},
    {1519, 1520, RegShow::OkBox},
    {213, 213, RegShow::YesNoBox},
    {216, 216, RegShow::YesNoBox},
    {223, 225, RegShow::YesNoBox},
    {1515, 1517, RegShow::YesNoBox},
    {219, 219, RegShow::ConnectionFailure},
    {234, 234, RegShow::PhoneRegistration},
    {2243, 2243, RegShow::ExitConfirmation},
};

CRegPresenter* gPresenterP = nullptr;  // set at start-up on the user-interface thread

std::string ownText(int id) {
  if (id == 234) return "";
  return regLoadString(id == 247 ? 222 : id);
}

}  // namespace

CRegException::CRegException(int id, std::intptr_t value)
    : m_Id(id), m_Text(ownText(id)), m_Value(value) {}

CRegException::CRegException(int id, const RegTextFirst& text, std::intptr_t value)
    : m_Id(id), m_Text(text.text + regLoadString(id)), m_Value(value) {}

CRegException::CRegException(int id, const RegStringFirst& text, std::intptr_t value)
    : m_Id(id), m_Text(regLoadString(id) + text.text), m_Value(value) {}

CRegException::CRegException(int firstId, int secondId, std::intptr_t value)
    : m_Id(firstId), m_Text(regLoadString(firstId) + regLoadString(secondId)), m_Value(value) {}

CRegException::CRegException(int firstId, int secondId, int thirdId, std::intptr_t value)
    : m_Id(firstId),
      m_Text(regLoadString(firstId) + regLoadString(secondId) + regLoadString(thirdId)),
      m_Value(value) {}

RegShow regShowFor(int id) {
  for (const ShowRange& range : kShowRanges) {
    if (id >= range.first && id <= range.last) return range.show;
  }
  return RegShow::Nothing;
}

void regSetPresenter(CRegPresenter* presenter) {
  gPresenterP = presenter;
}

int reportRegException(const CRegException& e) {
  RegShow show = regShowFor(e.id());
  if (gPresenterP == nullptr || show == RegShow::Nothing) return 0;
  switch (show) {
    case RegShow::OkBox:
    case RegShow::YesNoBox:
      return gPresenterP->messageBox(e.text(), regLoadString(kRegCaptionString),
                                     show == RegShow::YesNoBox);
    case RegShow::ConnectionFailure:
      return gPresenterP->connectionFailure(e.text());
    case RegShow::PhoneRegistration:
      return gPresenterP->phoneRegistration();
    case RegShow::ExitConfirmation:
      return gPresenterP->exitConfirmation();
    case RegShow::Nothing:
      break;
  }
  return 0;
}
