// Notifications and the driver's gestures: each gesture gives the notifications a user's
// gesture gives, once each, with the right id, item and part.
#include "notify.h"

#include <wx/combobox.h>
#include <wx/frame.h>
#include <wx/imaglist.h>
#include <wx/listbox.h>
#include <wx/listctrl.h>
#include <wx/treectrl.h>

#include <functional>
#include <sstream>

#include "dialog.h"
#include "help.h"
#include "spin.h"
#include "uidriver.h"
#include "uitestutil.h"

namespace zkui {
namespace {

const char kBundle[] = R"(
dialog 300 0 0 460 330 "Gestures"
  edit 1001 10 10 120 22 ""
  edit 1002 140 10 120 22 ""
  combo 1003 270 10 150 25 "" droplist
  tree 1004 10 45 200 200 ""
  listview 1005 220 45 230 200 "" single
  edit 1007 10 260 40 22 "5" number
  spin 1006 50 260 14 22 "" autobuddy
  list 1008 80 255 120 60 ""
  button 1 280 290 80 28 "OK" default
  button 2 370 290 80 28 "Cancel"
end
)";

// A square picture of one colour, for the image lists.
wxBitmap square(unsigned char r, unsigned char g, unsigned char b) {
  wxImage image(16, 16);
  image.SetRGB(wxRect(0, 0, 16, 16), r, g, b);
  return wxBitmap(image);
}

class Gestures : public Dialog {
 public:
  Gestures() : Dialog(300, nullptr) {}
  std::vector<std::string> m_seen;
  bool m_vetoExpanding = false;
  std::vector<int> m_commands;
  wxTreeCtrl* tree() const { return static_cast<wxTreeCtrl*>(control(1004)); }
  wxListCtrl* list() const { return static_cast<wxListCtrl*>(control(1005)); }

 protected:
  void onInitDialog() override {
    Dialog::onInitDialog();
    auto* combo = static_cast<wxComboBox*>(control(1003));
    combo->Append("alpha");
    combo->Append("beta");
    auto* pictures = new wxImageList(16, 16);
    pictures->Add(square(200, 0, 0));
    pictures->Add(square(0, 160, 0));
    tree()->AssignImageList(pictures);
    wxTreeItemId root = tree()->AddRoot("Servers", 0, 0);
    tree()->AppendItem(root, "alpha", 0, 0);
    tree()->AppendItem(root, "beta", 1, 1);
    auto* rowPictures = new wxImageList(16, 16);
    rowPictures->Add(square(0, 0, 200));
    list()->AssignImageList(rowPictures, wxIMAGE_LIST_SMALL);
    list()->InsertColumn(0, "Database", wxLIST_FORMAT_LEFT, 120);
    list()->InsertColumn(1, "Size", wxLIST_FORMAT_RIGHT, 80);
    for (int i = 0; i < 3; ++i) {
      long row = list()->InsertItem(i, "db" + std::to_string(i), 0);
      list()->SetItem(row, 1, std::to_string(10 * (i + 1)));
    }
    static_cast<SpinButton*>(control(1006))->setRange(0, 10);
    static_cast<SpinButton*>(control(1006))->setPos(5);
    auto* box = static_cast<wxListBox*>(control(1008));
    box->Append("first");
    box->Append("second");
  }
  bool onNotify(const Notification& n) override {
    std::ostringstream out;
    out << notifyKindName(n.kind) << " " << n.id;
    if (n.item.IsOk()) out << " " << tree()->GetItemText(n.item).utf8_string();
    if (n.row >= 0) out << " row " << n.row;
    static const char* const parts[] = {"", " picture", " label", " button", " row"};
    out << parts[static_cast<int>(n.hit)];
    if (n.kind == NotifyKind::SpinStep) out << " " << n.step;
    if (n.kind == NotifyKind::ItemExpanding) out << (n.expand ? " open" : " close");
    m_seen.push_back(out.str());
    return n.kind == NotifyKind::ItemExpanding && m_vetoExpanding;
  }
  bool onCommand(int id) override {
    m_commands.push_back(id);
    return Dialog::onCommand(id);
  }
};

using Seen = std::vector<std::string>;

struct GestureCase {
  const char* name;
  std::function<void(Gestures&)> play;
  Seen expected;
};

TEST(NotifyKinds, HaveNames) {
  EXPECT_STREQ("EditLeft", notifyKindName(NotifyKind::EditLeft));
  EXPECT_STREQ("DateTimeChanged", notifyKindName(NotifyKind::DateTimeChanged));
}

using NotifyWindow = UiTest;

TEST_F(NotifyWindow, EachGestureGivesItsNotificationsOnce) {
  TempBundle bundle(kBundle);
  auto servers = [](Gestures& g) { return drive::treeItem(g.tree(), {"Servers"}); };
  auto beta = [](Gestures& g) { return drive::treeItem(g.tree(), {"Servers", "beta"}); };
  const GestureCase cases[] = {
      {"typing", [](Gestures& g) { drive::type(g.control(1001), "abc"); }, {"EditChanged 1001"}},
      {"tab out of an edit", [](Gestures&) { drive::key(WXK_TAB); }, {"EditLeft 1001"}},
      {"combo entry",
       [](Gestures& g) { drive::choose(g.control(1003), "beta"); },
       {"EditLeft 1002", "ComboChanged 1003 row 1"}},
      {"expand by the button",
       [&](Gestures& g) { EXPECT_TRUE(drive::expand(g.tree(), servers(g))); },
       {"ItemExpanding 1004 Servers open", "Click 1004 Servers button"}},
      {"click a label",
       [&](Gestures& g) { EXPECT_TRUE(drive::clickItem(g.tree(), beta(g))); },
       {"SelChanged 1004 beta", "Click 1004 beta label"}},
      {"click a picture",
       [&](Gestures& g) { EXPECT_TRUE(drive::clickItem(g.tree(), beta(g), HitPart::Picture)); },
       {"Click 1004 beta picture"}},
      {"right click an item",
       [&](Gestures& g) {
         EXPECT_TRUE(drive::clickItem(g.tree(), beta(g), HitPart::Label, drive::Mouse::Right));
       },
       {"RightClick 1004 beta label"}},
      {"collapse vetoed",
       [&](Gestures& g) {
         g.m_vetoExpanding = true;
         EXPECT_TRUE(drive::clickItem(g.tree(), servers(g), HitPart::Button));
         EXPECT_TRUE(g.tree()->IsExpanded(servers(g)));
       },
       {"ItemExpanding 1004 Servers close", "Click 1004 Servers button"}},
      {"list row label",
       [](Gestures& g) { EXPECT_TRUE(drive::clickRow(g.list(), 1)); },
       {"SelChanged 1005 row 1", "Click 1005 row 1 label"}},
      {"list row picture",
       [](Gestures& g) { EXPECT_TRUE(drive::clickRow(g.list(), 1, HitPart::Picture)); },
       {"Click 1005 row 1 picture"}},
      {"list other column",
       [](Gestures& g) { EXPECT_TRUE(drive::clickRow(g.list(), 2, HitPart::Row)); },
       {"SelChanged 1005 row 2", "Click 1005 row 2 row"}},
      {"list double click",
       [](Gestures& g) {
         EXPECT_TRUE(drive::clickRow(g.list(), 2, HitPart::Label, drive::Mouse::Double));
       },
       {"Click 1005 row 2 label", "DoubleClick 1005 row 2 label"}},
      {"list right click",
       [](Gestures& g) {
         EXPECT_TRUE(drive::clickRow(g.list(), 0, HitPart::Label, drive::Mouse::Right));
       },
       {"SelChanged 1005 row 0", "RightClick 1005 row 0 label"}},
      {"list box row",
       [](Gestures& g) { EXPECT_TRUE(drive::clickRow(g.control(1008), 1)); },
       {"SelChanged 1008 row 1"}},
      {"list box double click on the chosen row",
       [](Gestures& g) {
         EXPECT_TRUE(drive::clickRow(g.control(1008), 1, HitPart::Label, drive::Mouse::Double));
       },
       {"DoubleClick 1008 row 1"}},
      {"spin up", [](Gestures& g) { drive::spin(g.control(1006), 1); }, {"SpinStep 1006 1"}},
      {"spin down twice",
       [](Gestures& g) { drive::spin(g.control(1006), -2); },
       {"SpinStep 1006 -1", "SpinStep 1006 -1"}},
  };
  Gestures dlg;
  drive::whenModal([&](wxDialog& d) {
    drive::pump(100);  // the dialog takes the focus for its first control when it comes up
    ASSERT_TRUE(drive::focus(dlg.control(1001)));
    for (const GestureCase& c : cases) {
      dlg.m_seen.clear();
      c.play(dlg);
      drive::pump(30);
      EXPECT_EQ(c.expected, dlg.m_seen) << c.name;
    }
    EXPECT_EQ("4", drive::text(dlg.control(1007)));  // the buddy follows the steps: 5+1-2
    drive::click(kIdCancel, &d);
  });
  EXPECT_EQ(kIdCancel, dlg.doModal());
}

TEST_F(NotifyWindow, KeysReachTheDialogAndTheFocusedControl) {
  TempBundle bundle(kBundle);
  struct KeyCase {
    const char* name;
    int keyCode;
    int modifiers;
    int end;  // the dialog's end code, 0 while it stays
  };
  const KeyCase cases[] = {
      {"Enter is the default button", WXK_RETURN, 0, kIdOk},
      {"Escape cancels", WXK_ESCAPE, 0, kIdCancel},
      {"Alt+F4 is the close box", WXK_F4, drive::kKeyAlt, kIdCancel},
  };
  for (const KeyCase& c : cases) {
    Gestures dlg;
    drive::whenModal([&](wxDialog&) {
      drive::focus(dlg.control(1001));
      drive::key(c.keyCode, c.modifiers);
    });
    EXPECT_EQ(c.end, dlg.doModal()) << c.name;
  }
  // Arrows move a tree's selection.
  Gestures dlg;
  drive::whenModal([&](wxDialog& d) {
    wxTreeItemId alpha = drive::treeItem(dlg.tree(), {"Servers", "alpha"});
    drive::expand(dlg.tree(), drive::treeItem(dlg.tree(), {"Servers"}));
    drive::clickItem(dlg.tree(), alpha);
    dlg.m_seen.clear();
    drive::key(WXK_DOWN);
    EXPECT_EQ(Seen{"SelChanged 1004 beta"}, dlg.m_seen);
    drive::click(kIdCancel, &d);
  });
  dlg.doModal();
}

TEST_F(NotifyWindow, HelpByKeyAndRightClickGoesByTheTable) {
  TempBundle bundle(kBundle);
  clearHelpCalls();
  setHelpFile("zarnaksql.hlp");
  Gestures dlg;
  dlg.setHelpTable({{1001, 61}, {1004, 62}, {300, 63}});
  drive::whenModal([&](wxDialog& d) {
    drive::focus(dlg.control(1001));
    drive::key(WXK_F1);
    drive::clickItem(dlg.tree(), drive::treeItem(dlg.tree(), {"Servers"}), HitPart::Label,
                     drive::Mouse::Right);
    drive::focus(dlg.control(1002));  // not in the table: nothing
    drive::key(WXK_F1);
    drive::click(kIdCancel, &d);
  });
  dlg.doModal();
  std::vector<HelpCall> expected = {
      {"zarnaksql.hlp", HelpCommand::ContextPopup, 61, ""},
      {"zarnaksql.hlp", HelpCommand::ContextPopup, 62, ""},
  };
  EXPECT_EQ(expected, helpCalls());

  // A tree outside a dialog answers both with its one context id.
  clearHelpCalls();
  auto* frame = new wxFrame(nullptr, wxID_ANY, "view");
  auto* tree = new wxTreeCtrl(frame, 50, wxDefaultPosition, wxSize(200, 150));
  tree->AddRoot("Servers");
  bindContextHelp(tree, 14);
  frame->Show();
  drive::pumpUntil([tree] { return tree->IsShownOnScreen(); });
  drive::focus(tree);
  drive::key(WXK_F1);
  drive::clickItem(tree, tree->GetRootItem(), HitPart::Label, drive::Mouse::Right);
  frame->Destroy();
  expected = {{"zarnaksql.hlp", HelpCommand::Context, 14, ""},
              {"zarnaksql.hlp", HelpCommand::Context, 14, ""}};
  EXPECT_EQ(expected, helpCalls());
  setHelpFile("");
}

}  // namespace
}  // namespace zkui
