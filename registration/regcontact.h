// CContactInfoPage: the logic of the contact information page (template 2403), apart from its
// window (CContactInfoDlg, regpagewin.h) so that it runs on fake controls in tests. It owns the
// name, address and phone panels, the job title, company and e-mail fields and the consent box,
// the order of the checks on Next and the answer to each check's message. User-interface
// thread only.
#pragma once

#include <string>

#include "regaddrblock.h"
#include "regcontrols.h"
#include "regfields.h"

class CRegException;

class CContactInfoPage {
 public:
  // Takes the registrant's job title (or answer q22), company, e-mail and consent.
  explicit CContactInfoPage(CRegControls& controls);

  // Writes the values into the controls and shows the fields the language and product use.
  void load();
  // The page's first showing: the title's bold face, the name and address lists.
  void init();
  // The checks of Next, each message answered; true when they passed (or the user kept what
  // they were asked about) and the page has been saved into the registrant.
  bool next();
  // The focus left control id: its check (217 for "|" or "\"; the panels' own checks). Leaving
  // the e-mail field also clears the e-mail-declined flag.
  void leaveField(int id);
  // The user chose another country.
  void countryChanged() { m_address.countryChanged(); }
  // Into the registrant, in the record's order.
  void save();

  bool emailDeclined() const { return m_emailDeclined; }
  CNameGroup& name() { return m_name; }
  CAddressBlock& address() { return m_address; }
  CPhoneGroup& phone() { return m_phone; }

 private:
  enum class Decision { Stay, Accept };
  // Throws the first failed check's exception.
  void runChecks();
  Decision decide(const CRegException& e, int answer);
  void focusNamed(const CRegException& e);

  CRegControls& m_controls;
  CNameGroup m_name;
  CAddressBlock m_address;
  CPhoneGroup m_phone;
  std::string m_jobTitle, m_company, m_email;
  int m_consent = 1;
  bool m_emailDeclined = false;
  bool m_jobTitleIsAnswer22 = false;
};
