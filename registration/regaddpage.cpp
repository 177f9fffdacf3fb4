#include "regaddpage.h"

#include <cctype>
#include <cstdlib>
#include <set>

#include "regconfig.h"
#include "regcustom.h"
#include "regdiag.h"
#include "regexcept.h"
#include "reglang.h"
#include "regquery.h"
#include "regregistrant.h"
#include "regres.h"
#include "regstate.h"
#include "regswitch.h"
#include "regsysinfo.h"

namespace {

constexpr int kMsgConnectionFailed = 219;
constexpr int kMsgNoConnect = 1547;
constexpr int kQuestionCountString = 1054;

std::string productSection() {
  return regSetting(RegSetting::ProductSection);
}

// Home, Business, Home/Business behind the use answer, on the page's three lists.
class CUseTypeQuestions : public CRegQuestions {
 public:
  CUseTypeQuestions(CRegControls& controls, CQuestionnaire& set)
      : m_set(set), m_type(controls, set) {}

  // Without a use answer in the registrant, the one saved by an earlier run.
  void bindAndLoad() override {
    CRegistrant& registrant = CRegistrant::instance();
    if (registrant.getSecond(kUseKey).empty()) {
      std::string saved = regReadString(productSection(), kUseKey);
      if (!regUseNumber(saved).empty()) registrant.setSecond(kUseKey, saved);
    }
    for (int q = 0; q < kQuestionsPerGroup; ++q) {
      m_set.home(q).restore(registrant.getSecond(m_set.home(q).key()));
      m_set.business(q).restore(registrant.getSecond(m_set.business(q).key()));
    }
    m_type.open();
  }
  void store(CRegistrant& registrant) override { m_type.store(registrant); }
  std::string queryText() override { return m_type.queryText(); }
  void save() override {
    regWriteString(productSection(), kUseKey, m_type.kind());
    bool home = CQuestionnaire::usesHomeSet(m_type.kind());
    for (int q = 0; q < kQuestionsPerGroup; ++q) {
      CQuestion& question = home ? m_set.home(q) : m_set.business(q);
      regWriteString(productSection(), question.key(), question.selectedText());
    }
  }
  bool chooseUse(int radioId) override { return m_type.choose(radioId); }

 private:
  CQuestionnaire& m_set;
  CCustomerType m_type;
};

// A customised product's three questions, always in use; no use answer.
class CCustomisedQuestions : public CRegQuestions {
 public:
  CCustomisedQuestions(CRegControls& controls, CQuestionnaire& set) : m_set(set) {
    for (int q = 0; q < kQuestionsPerGroup; ++q) {
      m_lists[q] =
          std::make_unique<CControlChoiceList>(controls, kQuestionLabels[q], kQuestionLists[q]);
    }
  }
  void bindAndLoad() override {
    CRegistrant& registrant = CRegistrant::instance();
    for (int q = 0; q < kQuestionsPerGroup; ++q) {
      CQuestion& question = m_set.customised(q);
      question.restore(registrant.getSecond(question.key()));
      question.bind(m_lists[q].get());
      question.show();
    }
  }
  void store(CRegistrant& registrant) override {
    for (int q = 0; q < kQuestionsPerGroup; ++q) {
      CQuestion& question = m_set.customised(q);
      registrant.setSecond(question.key(), question.selectedText());
      registrant.setThird(question.fieldCode(), question.selectedNumber());
    }
  }
  std::string queryText() override {
    std::string text;
    for (int q = 0; q < kQuestionsPerGroup; ++q)
      text += "&" + m_set.customised(q).requestPair(true);
    return text;
  }
  void save() override {
    for (int q = 0; q < kQuestionsPerGroup; ++q) {
      CQuestion& question = m_set.customised(q);
      regWriteString(productSection(), question.key(), question.selectedText());
    }
  }

 private:
  CQuestionnaire& m_set;
  std::unique_ptr<CControlChoiceList> m_lists[kQuestionsPerGroup];
};

// The number behind the "q" of a key ("q13" and "q13x" give 13); -1 when none.
int questionNumber(const std::string& piece) {
  std::string key = piece.substr(0, piece.find('='));
  if (key.size() < 2 || key[0] != 'q' || !std::isdigit(static_cast<unsigned char>(key[1])))
    return -1;
  return std::atoi(key.c_str() + 1);
}

void logUnsent(const std::string& request) {
  regDiag() << request << '\n';
  if (regSwitchIs(kSwitchRegressionTest, "yes")) {
    regDiag() << "OS: Windows Regression OS\nVersion: Windows Regression Version\n";
  } else {
    regDiag() << "OS: " << getOsName() << "\nVersion: " << getOsVersion() << '\n';
  }
}

}  // namespace

std::unique_ptr<CRegQuestions> regMakeQuestions(CRegControls& controls, CQuestionnaire& set) {
  if (set.isCustomised()) return std::make_unique<CCustomisedQuestions>(controls, set);
  return std::make_unique<CUseTypeQuestions>(controls, set);
}

std::string regFillQueryGaps(const std::string& request, int count) {
  std::set<int> present;
  for (std::size_t at = 0; at <= request.size();) {
    std::size_t end = request.find('&', at);
    if (end == std::string::npos) end = request.size();
    present.insert(questionNumber(request.substr(at, end - at)));
    at = end + 1;
  }
  std::string blank = regEncoded(" ");
  std::string text = request;
  for (int n = 1; n <= count; ++n) {
    if (present.count(n) == 0) text += "&q" + std::to_string(n) + "=" + blank;
  }
  return text;
}

CAdditionalInfoPage::CAdditionalInfoPage(CRegControls& controls)
    : m_controls(controls),
      m_questions(regMakeQuestions(controls, m_questionnaire)),
      m_bookmarks(controls, true) {}

void CAdditionalInfoPage::load() {
  if (customised()) {
    for (int id : {kAddUseLabel, kUseHome, kUseBusiness, kUseHomeBusiness})
      m_controls.show(id, false);
  }
  m_questions->bindAndLoad();
  m_bookmarks.load();
}

void CAdditionalInfoPage::init() {
  if (CLanguageRules::instance().boldPageTitles()) {
    m_controls.setBold(kAddTitle);
    m_controls.setBold(kAddVisitTitle);
  }
  m_bookmarks.setTexts();
}

void CAdditionalInfoPage::store() {
  m_questions->store(CRegistrant::instance());
  m_bookmarks.store();
}

std::string CAdditionalInfoPage::buildRequest() {
  CRegistrant& registrant = CRegistrant::instance();
  std::string request = registrant.buildRegistrantQuery();
  request += "&" + CSystemInfo::instance().getQueryText();
  CSurveyRecord& survey = CSurveyRecord::instance();
  survey.setDefaults();
  request += "&" + survey.queryText();
  request += m_questions->queryText();
  return regFillQueryGaps(request, std::atoi(regLoadString(kQuestionCountString).c_str()));
}

std::string CAdditionalInfoPage::submit() {
  CRegistrant& registrant = CRegistrant::instance();
  store();
  if (registrant.get("q13").empty()) {
    registrant.setRegistrantId(
        makeRegistrantId(registrant.name().getFirstName(), registrant.name().getLastName()));
  }
  std::string request = buildRequest();
  registrant.saveToRegistry();
  m_questions->save();
  addSelectedBookmarks();
  if (regSwitchIs(kSwitchConnect, "no")) {
    logUnsent(request);
    throw CRegException(kMsgConnectionFailed, RegTextFirst{regLoadString(kMsgNoConnect)}, 0);
  }
  return request;
}
