// zkuidemo: a small program on the windowing layer. It loads an English resource bundle, opens
// dialog 100 by its id, checks its two fields when OK is pressed (a name of at most 20
// characters, a count from 1 to 64) and shows each kind of message box with the answer it
// returned. "More controls..." opens a dialog with a tree of check pictures, a list view with
// state pictures and columns, a spin with its buddy, date and time pickers and a line that
// names the last notification; its "Properties..." opens a two-page property sheet. With
// --screenshots it plays a user itself and writes PNG pictures of every step.
#include <wx/combobox.h>
#include <wx/listctrl.h>
#include <wx/treectrl.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include "datetime.h"
#include "ddx.h"
#include "dialog.h"
#include "msgbox.h"
#include "propsheet.h"
#include "spin.h"
#include "tabstrip.h"
#include "uiapp.h"
#include "uidriver.h"
#include "uiimage.h"

namespace {

using namespace zkui;

const int kDemoDialog = 100;
const int kNameEdit = 1001, kCountEdit = 1002, kAnswerLabel = 1020;
const int kFirstBoxButton = 1101, kMoreButton = 1105;
const int kControlsDialog = 200, kTree = 2001, kList = 2002, kStripesSpin = 2004, kDate = 2005,
          kTime = 2006, kLastLine = 2007, kPropertiesButton = 2010;
const int kGeneralPage = 210, kNodeEdit = 2101, kBuffersSpin = 2104, kLogPage = 211,
          kKeepCombo = 2111;
const int kCheckStrip = 11, kStateStrip = 12;
enum CheckPicture { kUnchecked = 0, kChecked = 1, kPartly = 2 };

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

// A page of the property sheet: any change marks it modified.
class DemoPage : public PropertyPage {
 public:
  explicit DemoPage(int templateId) : PropertyPage(templateId) {}

 protected:
  void onInitDialog() override {
    PropertyPage::onInitDialog();
    if (auto* keep = dynamic_cast<wxComboBox*>(control(kKeepCombo))) {
      for (const char* days : {"7 days", "30 days", "90 days"}) keep->Append(days);
      keep->SetSelection(1);
    }
    if (auto* spin = dynamic_cast<SpinButton*>(control(kBuffersSpin))) {
      spin->setRange(1, 64);
      spin->setPos(8);
    }
  }
  bool onNotify(const Notification&) override {
    setModified();
    return false;
  }
};

class ControlsDialog : public Dialog {
 public:
  explicit ControlsDialog(wxWindow* parentP) : Dialog(kControlsDialog, parentP) {}
  wxTreeCtrl* tree() const { return static_cast<wxTreeCtrl*>(control(kTree)); }
  wxListCtrl* list() const { return static_cast<wxListCtrl*>(control(kList)); }

 protected:
  void onInitDialog() override {
    Dialog::onInitDialog();
    if (auto pictures = resImageList(kCheckStrip, 16)) tree()->AssignImageList(pictures.release());
    wxTreeItemId server = tree()->AddRoot("SQLPROD01", kUnchecked);
    for (const char* db : {"master", "sales", "inventory", "payroll"}) {
      tree()->AppendItem(server, db, kUnchecked);
    }
    if (auto states = resImageList(kStateStrip, 16)) {
      list()->AssignImageList(states.release(), wxIMAGE_LIST_SMALL);
    }
    list()->InsertColumn(0, "Backup", wxLIST_FORMAT_LEFT, 110);
    list()->InsertColumn(1, "Type", wxLIST_FORMAT_LEFT, 80);
    list()->InsertColumn(2, "Date", wxLIST_FORMAT_LEFT, 116);
    struct Row {
      const char* name;
      const char* type;
      const char* date;
      int state;
    };
    const Row rows[] = {{"sales", "full", "12/10/26 22:00", 0},
                        {"sales", "log", "12/11/26 06:00", 0},
                        {"payroll", "full", "12/03/26 22:00", 1},
                        {"inventory", "diff", "12/01/26 22:00", 2}};
    for (const Row& r : rows) {
      long row = list()->InsertItem(list()->GetItemCount(), r.name, r.state);
      list()->SetItem(row, 1, r.type);
      list()->SetItem(row, 2, r.date);
    }
    auto* spin = static_cast<SpinButton*>(control(kStripesSpin));
    spin->setRange(1, 64);
    spin->setPos(1);
    static_cast<DateTimePicker*>(control(kDate))->setValue(DateTime{2026, 12, 11, 6, 30, 0});
    static_cast<DateTimePicker*>(control(kTime))->setValue(DateTime{2026, 12, 11, 6, 30, 0});
  }
  // A click on a check picture turns it over; the line below names every notification.
  bool onNotify(const Notification& n) override {
    std::string line = std::string("Last notification: ") + notifyKindName(n.kind) + " from " +
                       std::to_string(n.id);
    if (n.item.IsOk()) line += ", item " + tree()->GetItemText(n.item).utf8_string();
    if (n.row >= 0) line += ", row " + std::to_string(n.row);
    setItemText(kLastLine, line);
    if (n.id == kTree && n.kind == NotifyKind::Click && n.hit == HitPart::Picture) {
      int now = tree()->GetItemImage(n.item);
      tree()->SetItemImage(n.item, now == kChecked ? kUnchecked : kChecked);
      markServer();
    }
    return false;
  }
  bool onCommand(int id) override {
    if (id != kPropertiesButton) return Dialog::onCommand(id);
    DemoPage general(kGeneralPage), log(kLogPage);
    PropertySheet sheet("Preferences", window());
    sheet.addPage(&general);
    sheet.addPage(&log);
    sheet.doModal();
    return true;
  }

 private:
  // The server shows checked, partly checked or clear after its databases.
  void markServer() {
    wxTreeItemId server = tree()->GetRootItem();
    int checked = 0, all = 0;
    wxTreeItemIdValue cookie;
    for (wxTreeItemId c = tree()->GetFirstChild(server, cookie); c.IsOk();
         c = tree()->GetNextChild(server, cookie)) {
      ++all;
      checked += tree()->GetItemImage(c) == kChecked;
    }
    tree()->SetItemImage(server, checked == 0 ? kUnchecked : checked == all ? kChecked : kPartly);
  }
};

class DemoDialog : public Dialog {
 public:
  DemoDialog() : Dialog(kDemoDialog, nullptr) {}
  std::string m_name = "nightly";
  int m_count = 4;
  // Runs after "More controls..." has closed, back in this dialog's own loop.
  std::function<void()> m_afterMore;

 protected:
  void doDataExchange(DataExchange& dx) override {
    dx.text(kNameEdit, m_name);
    dx.maxChars(kNameEdit, m_name, 20);
    dx.number(kCountEdit, m_count);
    dx.range(kCountEdit, m_count, 1, 64);
  }
  bool onCommand(int id) override {
    if (id == kMoreButton) {
      ControlsDialog more(window());
      more.doModal();
      if (m_afterMore) wxTheApp->CallAfter(m_afterMore);
      return true;
    }
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
  void start(DemoDialog& main) {
    main.m_afterMore = [this] { finish(); };
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
    if (kind == static_cast<int>(std::size(kBoxKinds))) return moreControls();
    drive::whenModal([this, kind](wxDialog& box) {
      shot(&box, "03-box-kind" + std::to_string(kind + 1) + ".png");
      drive::click(kind == 1 ? kIdRetry : kind == 3 ? kIdYes : kIdBoxOk, &box);
      wxTheApp->CallAfter([this, kind] { showBox(kind + 1); });
    });
    drive::click(kFirstBoxButton + kind, m_mainP);
  }
  // The second dialog: check two databases by their pictures, choose a stored backup, step the
  // spin and the date, then the property sheet's two pages.
  void moreControls() {
    drive::whenModal([this](wxDialog& d) {
      wxWindow* tree = drive::find(kTree, &d);
      drive::expand(tree, drive::treeItem(tree, {"SQLPROD01"}));
      drive::clickItem(tree, drive::treeItem(tree, {"SQLPROD01", "sales"}), HitPart::Picture);
      drive::clickItem(tree, drive::treeItem(tree, {"SQLPROD01", "payroll"}), HitPart::Picture);
      drive::clickRow(drive::find(kList, &d), 1);
      drive::spin(drive::find(kStripesSpin, &d), 3);
      drive::spin(drive::find(kDate, &d), 1);  // the caret is on the month
      shot(&d, "05-controls.png");
      drive::whenModal([this, &d](wxDialog& sheet) {
        drive::type(kNodeEdit, "PAYROLL-NODE", &sheet);
        shot(&sheet, "06-sheet-general.png");
        for (wxWindow* w : sheet.GetChildren()) {
          if (auto* tabs = dynamic_cast<TabStrip*>(w)) tabs->clickTab(1);
        }
        drive::choose(drive::find(kKeepCombo, &sheet), "90 days");
        shot(&sheet, "07-sheet-log.png");
        drive::click(kIdOk, &sheet);
        // Once the sheet's loop has ended: the end of a dialog must come from its own loop.
        wxTheApp->CallAfter([&d] { drive::click(kIdOk, &d); });
      });
      drive::click(kPropertiesButton, &d);
    });
    drive::click(kMoreButton, m_mainP);
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
  setPickerLocale("C");
  if (uiStart(argc, argv) != kUiOk) {
    std::fprintf(stderr, "zkuidemo: no display (set DISPLAY)\n");
    return 1;
  }
  Tour tour(shotDir);
  DemoDialog dlg;
  if (!shotDir.empty()) {
    std::filesystem::create_directories(shotDir);
    tour.start(dlg);
  }
  int end = dlg.doModal();
  if (end == kIdOk) std::printf("accepted: name '%s', count %d\n", dlg.m_name.c_str(), dlg.m_count);
  if (end != kIdOk) std::printf("cancelled\n");
  uiStop();
  return tour.failures() == 0 ? 0 : 1;
}
