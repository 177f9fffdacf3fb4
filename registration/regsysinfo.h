// CSystemInfo: the machine's and the products' facts that a registration carries: the
// operating system (q2, q3), the products (numOfProds, prod1 ... prodN, prodName) and the BIOS
// facts (q15 manufacturer, q16 product name, q17 serial number), with a flag that says whether
// the BIOS facts are sent. Made on first use, emptied by the end-of-process clean-up.
//
// On this platform the operating system's name is the kernel's (uname: "Linux") and its version
// "V<major>.<minor> (Build <patch>)" from the kernel release.
#pragma once

#include <string>

#include "regmap.h"

class CSystemInfo {
 public:
  static CSystemInfo& instance();

  void set(const std::string& key, const std::string& value) { m_General.set(key, value); }
  std::string get(const std::string& key) const { return m_General.get(key); }
  void setOsName(const std::string& text) { set("q2", text); }
  void setOsVersion(const std::string& text) { set("q3", text); }
  void setNumOfProds(const std::string& text) { set("numOfProds", text); }
  void setProdName(const std::string& text) { set("prodName", text); }
  void setBios(const std::string& key, const std::string& value) { m_Bios.set(key, value); }
  std::string getBios(const std::string& key) const { return m_Bios.get(key); }
  // Manufacturer, product name and serial number without surrounding white space.
  void getBiosInfo(std::string& manufacturer, std::string& product, std::string& serial) const;
  void setSendBios(bool send) { m_SendBios = send; }
  bool sendBios() const { return m_SendBios; }

  // The general pairs, then (when sent) the BIOS pairs; empty values sent as one blank.
  const std::string& getQueryText();
  // prod1 ... prodN (N = numOfProds) separated by single blanks.
  std::string getProductListText() const;
  CRegStringMap& general() { return m_General; }
  void release();

 private:
  CRegStringMap m_General;
  CRegStringMap m_Bios;
  bool m_SendBios = true;
  std::string m_Text;
};

std::string getOsName();
std::string getOsVersion();
// String 1059, the product customisation's product name, a blank and the program's name.
std::string getVersionBanner();
// A 15-character id from a fresh GUID whose tail is made of the two texts' first bytes.
std::string makeRegistrantId(const std::string& first, const std::string& second);
// The id's steps after the GUID (32 hexadecimal digits).
std::string makeRegistrantIdFrom(const std::string& guidDigits, const std::string& first,
                                 const std::string& second);
