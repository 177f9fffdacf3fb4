// zkuidemo: a small program on the windowing layer. It loads an English resource bundle, opens
// dialog 100 by its id, checks its two fields when OK is pressed (a name of at most 20
// characters, a count from 1 to 64) and shows each kind of message box with the answer it
// returned. With --screenshots it plays a user itself and writes PNG pictures of every step.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "ddx.h"
#include "dialog.h"
#include "msgbox.h"
#include "uiapp.h"
#include "uidriver.h"

namespace {

using namespace zkui;

const int kDemoDialog = 100;
const int kNameEdit = 1001, kCountEdit = 1002, kAnswerLabel = 1020;
const int kFirstBoxButton = 1101;

struct BoxKind {
  const char* text;
  unsigned style;
};
// The kinds the windowed program uses: error, retry/cancel question, information, yes/no question.
const BoxKind kBoxKinds[] = {
    {"The storage server cannot be reached.", kMbOk | kMbIconStop | kMbTaskModal},
    {"The tape is not mounted yet. Try again?", kMbRetryCancel | kMbIconQuestion | kMbTaskModal},
    {"The backup has ended.", kMbOk | kMbIconInformation | kMbTaskModal},
    {"Replace the existing database?", kMbYesNo | kMbIconQuestion | kMbTaskModal},
};

const char* answerName(int id) {
  static const char* const names[] = {"none",  "OK",     "Cancel", "Abort",
                                      "Retry", "Ignore", "Yes",    "No"};
  return id >= 0 && id <= 7 ? names[id] : "?";
}

class DemoDialog : public Dialog {
 public:
  DemoDialog() : Dialog(kDemoDialog, nullptr) {}
  std::string m_name = "nightly";
  int m_count = 4;

 protected:
  void doDataExchange(DataExchange& dx) override {
    dx.text(kNameEdit, m_name);
    dx.maxChars(kNameEdit, m_name, 20);
    dx.number(kCountEdit, m_count);
    dx.range(kCountEdit, m_count, 1, 64);
  }
  bool onCommand(int id) override {
    int kind = id - kFirstBoxButton;
    if (kind < 0 || kind >= static_cast<int>(std::size(kBoxKinds))) return Dialog::onCommand(id);
    const BoxKind& box = kBoxKinds[kind];
    int answer = messageBox(nullptr, box.text, "Layer demonstration", box.style);
    setItemText(kAnswerLabel, std::string("Returned ") + std::to_string(answer) + " (" +
                                  answerName(answer) + ")");
    return true;
  }
};

// Plays the user: each step runs when the next modal window is up, takes its picture and acts.
class Tour {
 public:
  explicit Tour(std::string dir) : m_dir(std::move(dir)) {}
  void start() {
    drive::whenModal([this](wxDialog& d) { dialogShown(d); });
  }
  int failures() const { return m_failures; }

 private:
  void shot(wxWindow* w, const std::string& name) {
    drive::pump(300);  // let it paint
    std::string path = (std::filesystem::path(m_dir) / name).string();
    if (drive::screenshot(w, path) != 0) {
      std::fprintf(stderr, "zkuidemo: cannot write %s\n", path.c_str());
      ++m_failures;
    }
  }
  void dialogShown(wxDialog& d) {
    m_mainP = &d;
    shot(&d, "01-dialog.png");
    drive::type(kNameEdit, "weekly full", &d);
    drive::type(kCountEdit, "65", &d);
    drive::whenModal([this](wxDialog& box) {
      shot(nullptr, "02-refusal.png");  // the whole screen: the box over the dialog
      drive::click(kIdBoxOk, &box);
      wxTheApp->CallAfter([this] { showBox(0); });
    });
    drive::click(kIdOk, &d);
  }
  void showBox(int kind) {
    if (kind == static_cast<int>(std::size(kBoxKinds))) return finish();
    drive::whenModal([this, kind](wxDialog& box) {
      shot(&box, "03-box-kind" + std::to_string(kind + 1) + ".png");
      drive::click(kind == 1 ? kIdRetry : kind == 3 ? kIdYes : kIdBoxOk, &box);
      wxTheApp->CallAfter([this, kind] { showBox(kind + 1); });
    });
    drive::click(kFirstBoxButton + kind, m_mainP);
  }
  void finish() {
    drive::type(kCountEdit, "64", m_mainP);
    shot(m_mainP, "04-after-boxes.png");
    drive::click(kIdOk, m_mainP);
  }

  std::string m_dir;
  wxDialog* m_mainP = nullptr;
  int m_failures = 0;
};

void usage(FILE* out) {
  std::fprintf(out,
               "usage: zkuidemo [--bundle FILE] [--screenshots DIR]\n"
               "  --bundle FILE       the English resource bundle (default: zkuidemo-en.zrc\n"
               "                      beside the program)\n"
               "  --screenshots DIR   play the user and write PNG pictures of each step to DIR\n");
}

}  // namespace

int main(int argc, char** argv) {
  std::string bundlePath =
      (std::filesystem::path(argv[0]).parent_path() / "zkuidemo-en.zrc").string();
  std::string shotDir;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help") return usage(stdout), 0;
    if ((arg == "--bundle" || arg == "--screenshots") && i + 1 < argc) {
      (arg == "--bundle" ? bundlePath : shotDir) = argv[++i];
      continue;
    }
    std::fprintf(stderr, "zkuidemo: unknown or incomplete argument '%s'\n", argv[i]);
    return 2;
  }
  std::shared_ptr<const ResourceBundle> bundle;
  std::string why;
  if (ResourceBundle::load(bundlePath, bundle, &why) != kResOk) {
    std::fprintf(stderr, "zkuidemo: %s\n", why.c_str());
    return 1;
  }
  setCurrentResources(bundle);
  if (uiStart(argc, argv) != kUiOk) {
    std::fprintf(stderr, "zkuidemo: no display (set DISPLAY)\n");
    return 1;
  }
  Tour tour(shotDir);
  if (!shotDir.empty()) {
    std::filesystem::create_directories(shotDir);
    tour.start();
  }
  DemoDialog dlg;
  int end = dlg.doModal();
  if (end == kIdOk) std::printf("accepted: name '%s', count %d\n", dlg.m_name.c_str(), dlg.m_count);
  if (end != kIdOk) std::printf("cancelled\n");
  uiStop();
  return tour.failures() == 0 ? 0 : 1;
}
