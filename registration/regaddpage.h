// CAdditionalInfoPage: the logic of the Additional Information page (template 2404), apart
// from its window (CAdditionalInfoDlg, regflowwin.h): where the product is used, the three
// questions of the set in use, the bookmark offers, and the registration request that Submit
// assembles from the registrant, the system facts, the survey and the answers. User-interface
// thread only.
#pragma once

#include <memory>
#include <string>

#include "regbookmark.h"
#include "regcontrols.h"
#include "regfields.h"
#include "regquestion.h"

class CRegistrant;

// Controls of the Additional Information page (besides the questions', regfields.h).
inline constexpr int kAddUseLabel = 2338;
inline constexpr int kAddTitle = 2291;
inline constexpr int kAddVisitTitle = 2292;
inline constexpr int kAddBack = 2206;
inline constexpr int kAddSubmit = 2202;
inline constexpr int kAddExit = 2312;
inline constexpr int kCustomisedBitmap = 2453;

// The questions of the page as the page sees them: the use-type questions (home and business
// sets behind the use answer) or a customised product's own three.
class CRegQuestions {
 public:
  virtual ~CRegQuestions() = default;
  // Binds the question controls, takes the saved answers from the registrant and shows the set
  // in use.
  virtual void bindAndLoad() = 0;
  virtual void store(CRegistrant& registrant) = 0;
  // "&"-led pairs of the answers.
  virtual std::string queryText() = 0;
  // The use answer and the answers in use into the wizard's stored state (after the registrant
  // was stored).
  virtual void save() = 0;
  // A use radio button was pressed; false when the questions have no use answer.
  virtual bool chooseUse(int /*radioId*/) { return false; }
};

// Makes the question object the product calls for.
std::unique_ptr<CRegQuestions> regMakeQuestions(CRegControls& controls, CQuestionnaire& set);

// Appends "&q<n>=" and the encoded blank for every n from 1 to count that no key "q<n>..."
// of request has, in ascending order (a key counts by the decimal number behind its "q").
std::string regFillQueryGaps(const std::string& request, int count);

class CAdditionalInfoPage {
 public:
  explicit CAdditionalInfoPage(CRegControls& controls);

  // Hides the use question of a customised product, loads the questions and the bookmarks.
  void load();
  // The title's bold face when the language wants it; the bookmark captions.
  void init();
  bool customised() const { return m_questionnaire.isCustomised(); }
  bool chooseUse(int radioId) { return m_questions->chooseUse(radioId); }
  // The answers and the bookmark wishes into the registrant (Back, and Submit's first step).
  void store();
  // Submit's steps up to the transmission: stores, gives the registrant an id, builds the
  // request, saves the registrant and the answers, adds the wished bookmarks. With connect=no
  // the request goes to the diagnostic stream and the CRegException 219 with string 1547 is
  // thrown; otherwise the request to send is returned. Any step may throw CRegException.
  std::string submit();
  // The request text from the stored record (steps 3 to 7 of Submit).
  std::string buildRequest();

 private:
  CRegControls& m_controls;
  CQuestionnaire m_questionnaire;
  std::unique_ptr<CRegQuestions> m_questions;
  CBookmarkOffer m_bookmarks;
};
