// The small modal pages of the wizard's exception handling and their sequences: the exit
// confirmation (CExitConfirmPage, 2406), the connection failure (CConnectFailPage, 2407), the
// telephone registration's summary and exit (CPhoneSummaryPage, 2410; CPhoneExitPage, 2411)
// and the privacy statement (CPrivacyPage, 2412). regInstallFlow makes reportRegException run
// these sequences and the contact page's privacy button show the statement. User-interface
// thread only.
#pragma once

#include <functional>
#include <string>

#include "dialog.h"

inline constexpr int kExitConfirmTemplate = 2406;
inline constexpr int kExitPromptLater = 2319;
inline constexpr int kExitYes = 2328;
inline constexpr int kExitNo = 2329;

inline constexpr int kConnectFailTemplate = 2407;
inline constexpr int kFailText = 2244;
inline constexpr int kFailPromptLater = 2245;
inline constexpr int kFailSubmitNow = 2333;
inline constexpr int kFailPrint = 2246;
inline constexpr int kFailOk = 2325;
inline constexpr int kFailCancel = 2326;

inline constexpr int kPhoneSummaryTemplate = 2410;
inline constexpr int kPhoneSummaryText = 2248;
inline constexpr int kPhoneSummaryNext = 2249;
inline constexpr int kPhoneExitTemplate = 2411;
inline constexpr int kPhoneExitBack = 2276;
inline constexpr int kPhoneExitNext = 2277;

inline constexpr int kPrivacyText = 2301;
inline constexpr int kPrivacyOk = 2324;

// Leaving without registering: Yes (2328) writes the re-prompt entry 14 days ahead when its
// check box is checked; No (2329) keeps the check box's state in the registrant.
class CExitConfirmPage : public zkui::Dialog {
 public:
  explicit CExitConfirmPage(wxWindow* parentP);

 protected:
  void onInitDialog() override;
  bool onCommand(int id) override;
};

// What the user chose to do after a failed transmission.
enum class RegFollowUp { None, PromptLater, SubmitAgain, Print };

// A transmission failed: the failure text and the choice of what next, kept in the registrant
// (0 prompt later, -1 submit again, -2 print). OK ends it with 2325, Cancel and the close box
// with 2326; Escape does nothing.
class CConnectFailPage : public zkui::Dialog {
 public:
  CConnectFailPage(const std::string& text, wxWindow* parentP);
  RegFollowUp choice() const { return m_choice; }

 protected:
  void onInitDialog() override;
  bool onCommand(int id) override;
  void onCancel() override {}
  bool onClose() override;

 private:
  std::string m_text;
  RegFollowUp m_choice;
};

// The registration laid out to be read to a representative on the telephone.
class CPhoneSummaryPage : public zkui::Dialog {
 public:
  explicit CPhoneSummaryPage(wxWindow* parentP);

 protected:
  void onInitDialog() override;
  bool onCommand(int id) override;
};

class CPhoneExitPage : public zkui::Dialog {
 public:
  explicit CPhoneExitPage(wxWindow* parentP);

 protected:
  void onInitDialog() override;
  bool onCommand(int id) override;
};

class CPrivacyPage : public zkui::Dialog {
 public:
  explicit CPrivacyPage(wxWindow* parentP);

 protected:
  void onInitDialog() override;
  bool onCommand(int id) override;
};

// The privacy statement's text from strings 236 to 244 (a string without text is left out).
std::string regPrivacyText();

// The sequences of reportRegException: the connection failure (id 219) with the exception's
// text, the telephone registration (234) and the exit confirmation (2243).
int regConnectionFailureSequence(const std::string& text);
int regPhoneSequence();
int regExitConfirmation();

// Prints the registration for the connection-failure page's "Print and register by mail"
// (none set: regPrintRegistration); 0 on success.
void regSetPrintRoutine(std::function<int()> print);

// Sets the sequences into the window presenter and the privacy statement into the contact page.
void regInstallFlow();
