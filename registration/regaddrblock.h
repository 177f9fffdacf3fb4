// The address block of the contact page: P.O. box, street, city, state or province, postal
// code, country and the French-correspondence check box. It fills the country list and the
// chosen country's states, shows the fields the language uses, moves the texts between the
// controls and the registrant's address record, checks a field when the user leaves it and
// puts the focus on the field a validation message is about. User-interface thread only.
#pragma once

#include <string>

#include "regaddress.h"
#include "regcontrols.h"
#include "regpageids.h"

class CLanguageRules;
class CProductCustomization;
class CRegistrant;
class CRegException;

// What a page asks of an address block. Every setter keeps its text and writes it into its
// control; every getter reads its control into the kept text and returns a copy.
class CAddressBlockInterface {
 public:
  virtual ~CAddressBlockInterface() = default;
  // The selected country's number (its index in the country table); -1 for none.
  virtual int selectedCountry() const = 0;
  virtual void setCountry(const std::string& text, int number) = 0;
  virtual void setCountryText(const std::string& text) = 0;
  virtual std::string countryText() = 0;
  virtual void setStateText(const std::string& text) = 0;
  virtual std::string stateText() = 0;
  virtual void setCity(const std::string& text) = 0;
  virtual std::string city() = 0;
  virtual void setStreet(const std::string& text) = 0;
  virtual std::string street() = 0;
  virtual void setPoBox(const std::string& text) = 0;
  virtual std::string poBox() = 0;
  virtual void setPostalCode(const std::string& text) = 0;
  virtual std::string postalCode() = 0;
  // The edit controls' ids; the interface's defaults answer none (0).
  virtual int poBoxControl() const { return 0; }
  virtual int streetControl() const { return 0; }
  virtual int cityControl() const { return 0; }
  virtual int postalCodeControl() const { return 0; }
};

class CAddressBlock : public CAddressBlockInterface {
 public:
  // Takes the registrant's address record: its texts and French preference.
  CAddressBlock(CRegControls& controls, const CLanguageRules& language,
                const CProductCustomization& product);

  // Writes the texts into the controls with their limits and the French box, and hides label
  // and field of each of P.O. box, street, city, postal code and country the language leaves
  // out.
  void load();
  // Fills the country list, selects the saved or the default country, shows or hides the
  // French box and fills and selects the states.
  void initLists();
  // The user chose another country: the state list and the French box follow it.
  void countryChanged();
  // The values as the address check sees them.
  DAddressPanel panel();
  // The selected country's rules; with none selected, rules of no country (whose checks ask
  // for the country).
  const CAddressRules& countryRules() const;
  // Into the registrant's address record, with the language's code.
  void store(CRegistrant& registrant);

  // The check when the focus leaves control id ("|" or "\": 217; the postal code then by the
  // country's rules, 217 or 246); the focus goes back. False when id is not a checked field.
  bool leaveField(int id);
  // Puts the focus on the field a message is about, when that field shows; with context 7 a
  // postal-code question (224, 225, 1516, 1517) moves no focus and sets the
  // postal-code-answered flag. 1 only when it set the flag.
  int focusFor(int messageId, int context);
  bool postalCodeAnswered() const { return m_postalCodeAnswered; }
  void setPostalCodeAnswered(bool answered) { m_postalCodeAnswered = answered; }
  bool frenchShown() const { return m_frenchShown; }

  int selectedCountry() const override;
  void setCountry(const std::string& text, int number) override;
  void setCountryText(const std::string& text) override;
  std::string countryText() override;
  void setStateText(const std::string& text) override;
  std::string stateText() override;
  void setCity(const std::string& text) override;
  std::string city() override;
  void setStreet(const std::string& text) override;
  std::string street() override;
  void setPoBox(const std::string& text) override;
  std::string poBox() override;
  void setPostalCode(const std::string& text) override;
  std::string postalCode() override;
  int poBoxControl() const override { return kAddrPoBox; }
  int streetControl() const override { return kAddrStreet; }
  int cityControl() const override { return kAddrCity; }
  int postalCodeControl() const override { return kAddrPostalCode; }

 private:
  bool countryHasStates(int number) const;
  bool frenchOffered(int number) const;
  void showFrench(bool shown);
  void fillStates(int number);

  CRegControls& m_controls;
  const CLanguageRules& m_language;
  const CProductCustomization& m_product;
  std::string m_poBox, m_street, m_postalCode, m_city, m_country, m_state;
  int m_french = 0;
  bool m_frenchShown = false;
  bool m_postalCodeAnswered = false;
};
