#include "regwinapp.h"

#include <iostream>

#include "msgbox.h"
#include "regprogram.h"
#include "regsplash.h"
#include "uiapp.h"

namespace {

std::shared_ptr<const zkui::ResourceBundle> loadBundle(const std::string& fileName,
                                                       std::string* whyP) {
  std::string path;
  std::shared_ptr<const zkui::ResourceBundle> bundle;
  if (!regSearchPath(fileName, path)) {
    if (whyP != nullptr) *whyP = fileName + ": not found beside the program";
    return nullptr;
  }
  if (zkui::ResourceBundle::load(path, bundle, whyP) != zkui::kResOk) return nullptr;
  return bundle;
}

}  // namespace

bool CRegBundleModule::loadString(int id, std::string& text) const {
  const std::string* found = m_bundle->string(id);
  if (found == nullptr) return false;
  text = *found;
  return true;
}

std::unique_ptr<CRegResourceModule> regLoadLanguageBundle(const std::string& fileName) {
  std::shared_ptr<const zkui::ResourceBundle> bundle = loadBundle(fileName, nullptr);
  if (!bundle) return nullptr;
  return std::make_unique<CRegBundleModule>(std::move(bundle));
}

bool regUseWindowResources() {
  auto* library = dynamic_cast<const CRegBundleModule*>(&regResourceModule());
  if (library != nullptr) {
    zkui::setCurrentResources(library->bundle());
    return true;
  }
  std::string why;
  std::shared_ptr<const zkui::ResourceBundle> own = loadBundle(kOwnBundleName, &why);
  if (!own) {
    std::cerr << "tamrel: " << why << '\n';
    return false;
  }
  zkui::setCurrentResources(own);
  return true;
}

int CRegWindowPresenter::messageBox(const std::string& text, const std::string& caption,
                                    bool yesNo) {
  unsigned style = (yesNo ? zkui::kMbYesNo : zkui::kMbOk) | zkui::kMbIconExclamation;
  return zkui::messageBox(nullptr, text, caption, style);
}

CRegWindowPresenter& regWindowPresenter() {
  static CRegWindowPresenter presenter;
  return presenter;
}

int regRunSplash(int& argc, char** argv) {
  if (!regUseWindowResources()) return 1;
  if (zkui::uiStart(argc, argv) != zkui::kUiOk) {
    std::cerr << "tamrel: no display (set DISPLAY)\n";
    return 1;
  }
  regSetPresenter(&regWindowPresenter());
  {
    CSplashDlg splash(nullptr);
    splash.doModal();
  }
  regSetPresenter(nullptr);
  zkui::uiStop();
  return 0;
}
