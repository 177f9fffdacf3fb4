#include "regsysinfo.h"

#include <sys/utsname.h>

#include <cstdio>
#include <cstdlib>
#include <random>

#include "regconst.h"
#include "regcustom.h"
#include "regprogram.h"
#include "regquery.h"
#include "regres.h"
#include "regtextutil.h"

namespace {

std::string trimmed(const std::string& text) {
  std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return "";
  std::size_t last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

std::string hexOf(unsigned char byte) {
  char text[3];
  std::snprintf(text, sizeof text, "%x", byte);
  return text;
}

// 32 hexadecimal digits of a random (version 4) GUID.
std::string freshGuidDigits() {
  std::random_device device;
  unsigned char bytes[16];
  for (unsigned char& b : bytes) b = static_cast<unsigned char>(device());
  bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);
  bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);
  std::string digits;
  for (unsigned char b : bytes) {
    char two[3];
    std::snprintf(two, sizeof two, "%02X", b);
    digits += two;
  }
  return digits;
}

}  // namespace

CSystemInfo& CSystemInfo::instance() {
  static CSystemInfo record;
  return record;
}

void CSystemInfo::getBiosInfo(std::string& manufacturer, std::string& product,
                              std::string& serial) const {
  manufacturer = trimmed(getBios(regconst::kBiosManufacturerKey));
  product = trimmed(getBios(regconst::kBiosProductKey));
  serial = trimmed(getBios(regconst::kBiosSerialKey));
}

const std::string& CSystemInfo::getQueryText() {
  m_Text = regQueryPairs(m_General);
  if (!m_SendBios || m_Bios.empty()) return m_Text;
  if (!m_Text.empty()) m_Text += '&';
  m_Text += regQueryPairs(m_Bios);
  return m_Text;
}

std::string CSystemInfo::getProductListText() const {
  std::string text;
  int count = std::atoi(get(regconst::kNumOfProds).c_str());
  for (int i = 1; i <= count; ++i) text += " " + get(regconst::kProdPrefix + std::to_string(i));
  std::size_t first = text.find_first_not_of(" \t");
  return first == std::string::npos ? "" : text.substr(first);
}

void CSystemInfo::release() {
  m_General.clear();
  m_Bios.clear();
  m_Text.clear();
  m_SendBios = true;
}

std::string getOsName() {
  utsname names{};
  return uname(&names) == 0 ? names.sysname : "";
}

std::string getOsVersion() {
  utsname names{};
  if (uname(&names) != 0) return "";
  int major = 0, minor = 0, patch = 0;
  std::sscanf(names.release, "%d.%d.%d", &major, &minor, &patch);
  char text[64];
  std::snprintf(text, sizeof text, "V%d.%d (Build %d)", major, minor, patch & 0xFFFF);
  return text;
}

std::string getVersionBanner() {
  return regLoadString(1059) + CProductCustomization::instance().productName() + " " + regAppName();
}

// The codes of the texts' first bytes are taken as unsigned bytes, so a byte of 0x80 and above
// gives two digits and the id keeps its length.
std::string makeRegistrantIdFrom(const std::string& guidDigits, const std::string& first,
                                 const std::string& second) {
  std::string id = guidDigits.size() > 17 ? guidDigits.substr(17) : "";
  if (second.size() < 2) {
    id = id.substr(std::min<std::size_t>(2, id.size())) +
         (second.empty() ? "0" : hexOf(static_cast<unsigned char>(second[0])));
    if (!first.empty()) {
      id = id.substr(std::min<std::size_t>(2, id.size())) +
           hexOf(static_cast<unsigned char>(first[0]));
    }
  } else {
    id = id.substr(std::min<std::size_t>(4, id.size())) +
         hexOf(static_cast<unsigned char>(second[0])) +
         hexOf(static_cast<unsigned char>(second[1]));
  }
  return regUpper(id);
}

std::string makeRegistrantId(const std::string& first, const std::string& second) {
  return makeRegistrantIdFrom(freshGuidDigits(), first, second);
}
