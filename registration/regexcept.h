// CRegException: the wizard's one exception class. Every page, check and transfer reports a
// failure by throwing one (by value; catch by reference) with a string-table id, which is also
// the key by which reportRegException decides how to show it.
#pragma once

#include <cstdint>
#include <string>

// Tags that tell the two text constructors apart.
struct RegTextFirst {
  std::string text;
};
struct RegStringFirst {
  std::string text;
};

class CRegException {
 public:
  // Text: string id; id 234 keeps it empty, id 247 takes string 222.
  CRegException(int id, std::intptr_t value);
  // Text: the given text, then string id.
  CRegException(int id, const RegTextFirst& text, std::intptr_t value);
  // Text: string id, then the given text.
  CRegException(int id, const RegStringFirst& text, std::intptr_t value);
  // Text: the strings of the ids one after the other; the message id is the first.
  CRegException(int firstId, int secondId, std::intptr_t value);
  CRegException(int firstId, int secondId, int thirdId, std::intptr_t value);

  int id() const { return m_Id; }
  const std::string& text() const { return m_Text; }
  // What the thrower attached (a control to focus, a number); the reporter does not read it.
  std::intptr_t value() const { return m_Value; }

 private:
  int m_Id;
  std::string m_Text;
  std::intptr_t m_Value;
};

// How an exception is shown, by its id.
enum class RegShow {
  OkBox,              // warning box with OK; result IDOK
  YesNoBox,           // warning box with Yes and No; result IDYES or IDNO
  ConnectionFailure,  // the connection-failure sequence
  PhoneRegistration,  // the telephone-registration sequence
  ExitConfirmation,   // the exit-confirmation dialog; result 2328 (Yes) or 2329 (No)
  Nothing             // result 0
};

RegShow regShowFor(int id);

inline constexpr int kRegIdOk = 1;
inline constexpr int kRegIdYes = 6;
inline constexpr int kRegIdNo = 7;
inline constexpr int kRegCaptionString = 313;

// What shows an exception: the windows of the wizard, or a test's recorder.
class CRegPresenter {
 public:
  virtual ~CRegPresenter() = default;
  // A warning message box owned by the main window; returns the button pressed.
  virtual int messageBox(const std::string& text, const std::string& caption, bool yesNo) = 0;
  // text: the failure message.
  virtual int connectionFailure(const std::string& text) = 0;
  virtual int phoneRegistration() = 0;
  virtual int exitConfirmation() = 0;
};

// Makes presenter the one that reportRegException uses (nullptr: none; then nothing is shown
// and the result is 0). Set at start-up on the user-interface thread.
void regSetPresenter(CRegPresenter* presenter);

// Shows the exception as regShowFor says and returns the user's answer.
int reportRegException(const CRegException& e);
