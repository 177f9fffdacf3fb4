#include "regsyspage.h"

#include "regbios.h"
#include "reglang.h"
#include "regsysinfo.h"

namespace {

struct BiosFacts {
  bool read = false;
  std::string manufacturer, model, serial;
};

BiosFacts& facts() {
  static BiosFacts kept;  // user-interface thread only
  return kept;
}

}  // namespace

CSystemInfoPage::CSystemInfoPage(CRegControls& controls) : m_controls(controls) {
  BiosFacts& kept = facts();
  if (kept.read) return;
  kept.read = true;
  CSystemInfo& info = CSystemInfo::instance();
  if (readBiosInfo(info) == 1) info.getBiosInfo(kept.manufacturer, kept.model, kept.serial);
}

void CSystemInfoPage::load() {
  m_controls.postClick(CSystemInfo::instance().sendBios() ? kSystemYes : kSystemNo);
  const struct {
    int id, labelId;
    const std::string& text;
  } shown[] = {{kSystemManufacturer, kSystemManufacturerLabel, manufacturer()},
               {kSystemModel, kSystemModelLabel, model()},
               {kSystemSerial, kSystemSerialLabel, serial()}};
  for (const auto& fact : shown) {
    m_controls.setText(fact.id, fact.text);
    m_controls.enable(fact.labelId, !fact.text.empty());
  }
  m_controls.setText(kSystemOs, getOsName() + " " + getOsVersion());
}

void CSystemInfoPage::init() {
  if (CLanguageRules::instance().boldPageTitles()) m_controls.setBold(kSystemTitle);
}

void CSystemInfoPage::save() {
  CSystemInfo& info = CSystemInfo::instance();
  info.setSendBios(m_send);
  info.setOsName(m_send ? getOsName() : "");
  info.setOsVersion(m_send ? getOsVersion() : "");
}

const std::string& CSystemInfoPage::manufacturer() {
  return facts().manufacturer;
}
const std::string& CSystemInfoPage::model() {
  return facts().model;
}
const std::string& CSystemInfoPage::serial() {
  return facts().serial;
}

void CSystemInfoPage::forgetBiosFacts() {
  facts() = BiosFacts{};
}

void CSystemInfoPage::presetBiosFacts(const std::string& manufacturer, const std::string& model,
                                      const std::string& serial) {
  facts() = BiosFacts{true, manufacturer, model, serial};
}
