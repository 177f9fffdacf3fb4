// The windowed side of tamrel's start-up: the language libraries and the program's own
// resources as resource bundles of the windowing layer, the presenter that shows the wizard's
// exceptions, and the modal run of the splash dialog, from which every page follows.
//
// A language library (reglang.h names it) and the program's own resources (kOwnBundleName)
// are bundles found by the program's search: its own folder, the current folder, PATH. The
// library, once chosen, serves every string, template and picture; without one the program's
// own bundle serves the templates and pictures and its string table the texts.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "regexcept.h"
#include "regres.h"
#include "resbundle.h"

inline constexpr char kOwnBundleName[] = "tamrel.zrc";

// A language library: a resource bundle whose strings the wizard's look-ups use.
class CRegBundleModule : public CRegResourceModule {
 public:
  explicit CRegBundleModule(std::shared_ptr<const zkui::ResourceBundle> bundle)
      : m_bundle(std::move(bundle)) {}
  bool loadString(int id, std::string& text) const override;
  const std::shared_ptr<const zkui::ResourceBundle>& bundle() const { return m_bundle; }

 private:
  std::shared_ptr<const zkui::ResourceBundle> m_bundle;
};

// The library loader of the language choice (regSetLibraryLoader): the bundle of that file
// name, or null when it is not found or cannot be read.
std::unique_ptr<CRegResourceModule> regLoadLanguageBundle(const std::string& fileName);

// Makes the bundle of the resources in use the windows' current source: the language
// library's, else the program's own. False when neither can be had.
bool regUseWindowResources();

// Shows exceptions for reportRegException: warning boxes with OK or Yes and No, modal to every
// window of the wizard; the connection-failure, telephone and exit-confirmation sequences run what
// their pages set (none set: nothing is shown and the answer is 0).
class CRegWindowPresenter : public CRegPresenter {
 public:
  using Sequence = std::function<int()>;
  int messageBox(const std::string& text, const std::string& caption, bool yesNo) override;
  int connectionFailure(const std::string& text) override {
    return m_connectionFailure ? m_connectionFailure(text) : 0;
  }
  int phoneRegistration() override { return run(m_phoneRegistration); }
  int exitConfirmation() override { return run(m_exitConfirmation); }

  std::function<int(const std::string&)> m_connectionFailure;
  Sequence m_phoneRegistration;
  Sequence m_exitConfirmation;

 private:
  static int run(const Sequence& sequence) { return sequence ? sequence() : 0; }
};

CRegWindowPresenter& regWindowPresenter();

// Starts the windowing layer, shows the splash dialog as the main window and runs it modally,
// then ends the layer. 0; 1 when no display can be opened or the resources are missing (the
// reason on standard error).
int regRunSplash(int& argc, char** argv);
