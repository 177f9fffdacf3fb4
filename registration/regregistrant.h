// CRegistrant: everything the wizard knows about the person who registers. Every setter writes
// into one answer map whose keys are the query keys of the registration (and, for most, the
// registry value names); the registrant part of the query is that map's contents. The record
// is made on first use and lives to the end of the process; the pages never own it.
#pragma once

#include <string>

#include "regmap.h"

inline constexpr char kRegressionRegistrantId[] = "00629B380864C61";
inline constexpr char kRegressionVersion[] = "Tamrel Regression Test Version";

class CPersonName {
 public:
  explicit CPersonName(CRegStringMap* answersP) : m_AnswersP(answersP) {}
  virtual ~CPersonName() = default;
  virtual std::string getFirstName() const { return m_AnswersP->get("firstName"); }
  virtual std::string getInitial() const { return m_AnswersP->get("initial"); }
  virtual std::string getLastName() const { return m_AnswersP->get("lastName"); }
  virtual std::string getPrefixText() const { return m_PrefixText; }
  virtual std::string getSuffixText() const { return m_SuffixText; }
  virtual void setFirstName(const std::string& text) { m_AnswersP->set("firstName", text); }
  virtual void setInitial(const std::string& text) { m_AnswersP->set("initial", text); }
  virtual void setLastName(const std::string& text) { m_AnswersP->set("lastName", text); }
  virtual void setPrefixText(const std::string& text) { m_PrefixText = text; }
  // The answer "prefix" is the list's text of index ("" outside 0 to 4).
  virtual void setPrefix(const std::string& text, int index);
  virtual void setSuffixText(const std::string& text) { m_SuffixText = text; }
  // The answer "suffix" is the list's text of index ("" outside 0 to 9).
  virtual void setSuffix(const std::string& text, int index);
  int prefixIndex() const { return m_PrefixIndex; }
  int suffixIndex() const { return m_SuffixIndex; }

 private:
  CRegStringMap* m_AnswersP;
  int m_PrefixIndex = -1;
  int m_SuffixIndex = -1;
  std::string m_PrefixText, m_SuffixText;
};

class CPostalAddress {
 public:
  explicit CPostalAddress(CRegStringMap* answersP) : m_AnswersP(answersP) {}
  virtual ~CPostalAddress() = default;
  virtual int getCountryIndex() const { return m_CountryIndex; }
  // The answer "country" is the two-letter code of the row ("" and no text outside 0 to 168).
  virtual void setCountry(const std::string& text, int index);
  virtual void setCountryText(const std::string& text) { m_CountryText = text; }
  virtual std::string getCountryText() const { return m_CountryText; }
  virtual void setStateText(const std::string& text) { m_StateText = text; }
  virtual std::string getStateText() const { return m_StateText; }
  virtual void setCity(const std::string& text) { m_AnswersP->set("city", text); }
  virtual std::string getCity() const { return m_AnswersP->get("city"); }
  virtual void setStreet(const std::string& text) { m_AnswersP->set("addr1", text); }
  virtual std::string getStreet() const { return m_AnswersP->get("addr1"); }
  virtual void setPoBox(const std::string& text) { m_AnswersP->set("addr2", text); }
  virtual std::string getPoBox() const { return m_AnswersP->get("addr2"); }
  virtual void setPostalCode(const std::string& text) { m_AnswersP->set("zip", text); }
  virtual std::string getPostalCode() const { return m_AnswersP->get("zip"); }
  // A blank code clears the answer "stateProv" and the state text.
  void setState(const std::string& text, const std::string& code);
  const std::string& stateCode() const { return m_StateCode; }
  // The answer "q6" is "fr_CA" for 1, else "".
  void setFrenchCorrespondence(int flag);
  int frenchCorrespondence() const { return m_French; }

 private:
  CRegStringMap* m_AnswersP;
  int m_CountryIndex = -1;
  std::string m_CountryText, m_StateCode, m_StateText;
  int m_French = 0;
};

class CPhoneNumber {
 public:
  explicit CPhoneNumber(CRegStringMap* answersP) : m_AnswersP(answersP) {}
  virtual ~CPhoneNumber() = default;
  virtual void setPhone(const std::string& text) { m_AnswersP->set("phone", text); }
  virtual std::string getPhone() const { return m_AnswersP->get("phone"); }
  virtual void setExtension(const std::string& text) { m_AnswersP->set("extension", text); }
  virtual std::string getExtension() const { return m_AnswersP->get("extension"); }

 private:
  CRegStringMap* m_AnswersP;
};

class CRegistrant {
 public:
  static CRegistrant& instance();
  CRegistrant();
  CRegistrant(const CRegistrant&) = delete;
  CRegistrant& operator=(const CRegistrant&) = delete;

  CPersonName& name() { return m_Name; }
  CPostalAddress& address() { return m_Address; }
  CPhoneNumber& phone() { return m_Phone; }

  void set(const std::string& key, const std::string& value) { m_Answers.set(key, value); }
  std::string get(const std::string& key) const { return m_Answers.get(key); }
  void setJobTitle(const std::string& text) { set("jobTitle", text); }
  void setCompany(const std::string& text) { set("company", text); }
  void setEmail(const std::string& text) { set("email", text); }
  void setAnswer22(const std::string& text) { set("q22", text); }
  // In regression-test mode the identifier is always the fixed one.
  void setRegistrantId(const std::string& id);
  // "q26": "0" (string 1055) with consent 1, else "2" (string 1056).
  void setMarketingConsent(int consent);
  int marketingConsent() const { return m_Consent; }
  // The contact page's fixed answers q10 (string 1057), q11 (1056) and q4 (1058).
  void setFixedAnswers();
  void setLanguageCode(const std::string& code) { set("q1", code); }
  void setRegNum(const std::string& text) { set("regNum", text); }

  void setSecond(const std::string& key, const std::string& value) { m_Second.set(key, value); }
  std::string getSecond(const std::string& key) const { return m_Second.get(key); }
  void setThird(const std::string& key, const std::string& value) { m_Third.set(key, value); }
  std::string getThird(const std::string& key) const { return m_Third.get(key); }
  CRegStringMap& secondMap() { return m_Second; }
  CRegStringMap& thirdMap() { return m_Third; }

  void setBookmark(int i, int flag) { m_Bookmarks[i] = flag; }
  int bookmark(int i) const { return m_Bookmarks[i]; }
  void setExitConfirmation(int flag) { m_ExitConfirmation = flag; }
  int exitConfirmation() const { return m_ExitConfirmation; }
  void setConnectionOutcome(int outcome) { m_ConnectionOutcome = outcome; }
  bool connectionCancelled() const { return m_ConnectionOutcome == -2; }
  bool connectionOk() const { return m_ConnectionOutcome == 0; }
  bool connectionFailed() const { return m_ConnectionOutcome == -1; }

  void loadFromRegistry();
  void saveToRegistry();
  // The answer pairs, then "&q14=" and the encoded version banner (or the regression
  // literal, encoded like every value).
  const std::string& buildRegistrantQuery();
  const CRegStringMap& answers() const { return m_Answers; }
  // Empties the record (end-of-process clean-up, tests).
  void release();

 private:
  CRegStringMap m_Answers;
  CRegStringMap m_Second;
  CRegStringMap m_Third;
  CPersonName m_Name{&m_Answers};
  CPostalAddress m_Address{&m_Answers};
  CPhoneNumber m_Phone{&m_Answers};
  int m_Consent = 1;
  int m_Bookmarks[3] = {};
  int m_ExitConfirmation = 1;
  int m_ConnectionOutcome = 0;
  std::string m_QueryText;
};

bool regRegressionMode();
