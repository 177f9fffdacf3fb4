// For tests of the wizard's pages: fake controls, a presenter that answers each message from a
// script and records it, a product whose job-title field holds the job title, and a language
// library that serves the program's own strings under another language.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "regcontrols.h"
#include "regcustom.h"
#include "regexcept.h"
#include "regres.h"

namespace regtest {

struct FakeControl {
  bool combo = false;
  std::string text;
  bool shown = true;
  bool enabled = true;
  int checked = 0;
  int maxChars = -1;
  std::vector<std::pair<std::string, long>> items;
  int selected = -1;
  int left = 0, width = 100;
  bool bold = false;
};

// Controls kept in a table; the edits and combo boxes a page has are declared first.
class FakeControls : public CRegControls {
 public:
  void edit(int id) { m_controls[id].combo = false; }
  void combo(int id) { m_controls[id].combo = true; }
  FakeControl& at(int id) { return m_controls.at(id); }
  // Chooses the entry whose text is `text`; false when there is none.
  bool choose(int id, const std::string& text);
  int focused() const { return m_focused; }
  std::vector<int> clicks;  // postClick's ids, in order

  bool has(int id) const override { return m_controls.count(id) != 0; }
  void show(int id, bool shown) override {
    with(id, [&](FakeControl& c) { c.shown = shown; });
  }
  bool shown(int id) const override { return has(id) && m_controls.at(id).shown; }
  void enable(int id, bool on) override {
    with(id, [&](FakeControl& c) { c.enabled = on; });
  }
  bool enabled(int id) const override { return has(id) && m_controls.at(id).enabled; }
  std::string text(int id) const override;
  void setText(int id, const std::string& text) override;
  void limitText(int id, int n) override {
    with(id, [&](FakeControl& c) { c.maxChars = n; });
  }
  void focus(int id) override { m_focused = id; }
  int checked(int id) const override { return has(id) ? m_controls.at(id).checked : 0; }
  void setChecked(int id, int s) override {
    with(id, [&](FakeControl& c) { c.checked = s; });
  }
  void postClick(int id) override { clicks.push_back(id); }
  void clearItems(int id) override;
  void insertItem(int id, int index, const std::string& text, long data) override;
  int itemCount(int id) const override;
  std::string itemText(int id, int index) const override;
  long itemData(int id, int index) const override;
  int selection(int id) const override { return has(id) ? m_controls.at(id).selected : -1; }
  void select(int id, int index) override {
    with(id, [&](FakeControl& c) { c.selected = index; });
  }
  int right(int id) const override;
  void setRight(int id, int right) override;
  void setBold(int id) override {
    with(id, [](FakeControl& c) { c.bold = true; });
  }

 private:
  template <typename F>
  void with(int id, F f) {
    auto it = m_controls.find(id);
    if (it != m_controls.end()) f(it->second);
  }
  std::map<int, FakeControl> m_controls;
  int m_focused = 0;
};

// The contact page's controls (edits, and the combo boxes of the language in use).
void declareContactControls(FakeControls& controls, bool freeAffixes);
void declareSystemControls(FakeControls& controls);

// Answers every message box from a script (kRegIdYes, kRegIdNo; OK when the script is empty)
// and records the message ids in the order shown. The exit confirmation answers exitAnswer.
class ScriptedPresenter : public CRegPresenter {
 public:
  ScriptedPresenter() { regSetPresenter(this); }
  ~ScriptedPresenter() override { regSetPresenter(nullptr); }
  int messageBox(const std::string& text, const std::string& caption, bool yesNo) override;
  int connectionFailure(const std::string&) override { return 0; }
  int phoneRegistration() override { return 0; }
  int exitConfirmation() override {
    ++exitAsked;
    return exitAnswer;
  }
  // Message ids of the boxes shown, found by their texts.
  std::vector<int> shown;
  std::deque<int> answers;
  int exitAnswer = 2328;
  int exitAsked = 0;
};

// A product like the maker's whose job-title field holds the job title and the company field
// is its own.
std::unique_ptr<CProductCustomization> companyProduct();
// The maker's product with a customised question set (q23 to q25): no use question.
std::unique_ptr<CProductCustomization> customisedProduct();

// A language library that answers the program's own strings (what a translated library would
// hold in its language).
class OwnStringsLibrary : public CRegResourceModule {
 public:
  bool loadString(int id, std::string& text) const override;
};

// Makes the language `name` current with a library, for the length of a test.
class ScopedLanguage {
 public:
  explicit ScopedLanguage(const std::string& name);
  ~ScopedLanguage();
};

}  // namespace regtest
