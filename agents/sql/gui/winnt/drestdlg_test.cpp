// The restore windows' settings dialogs on a display: the restore-into and undo-file edits
// with their limits, and the relocate dialog's label editing row by row. With
// ZARNAK_SCREENSHOTS set, the dialogs are written there as PNG files.
#include <wx/listctrl.h>
#include <wx/textctrl.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "dinto.h"
#include "drelocate.h"
#include "drestwin_testutil.h"
#include "dstandby.h"
#include "storedbackup_testutil.h"

namespace {

using zkui::drive::pump;
using zkui::drive::pumpUntil;

class RestoreDialogs : public RestoreWindowsFixture<StoredBackupFixture> {
 protected:
  static void add(CLinkedList<DRelocateEntry>& list, const SqlHublorDbElement* dbP,
                  const char* logicalP, const char* physicalP) {
    DRelocateEntry entry{};
    entry.dbInfoP = dbP;
    std::snprintf(entry.szLogicalName, sizeof entry.szLogicalName, "%s", logicalP);
    std::snprintf(entry.szPhysicalName, sizeof entry.szPhysicalName, "%s", physicalP);
    list.addTail(&entry);
  }
};

// Each edit takes its longest text and no more; OK gives back what it holds.
TEST_F(RestoreDialogs, IntoAndUndoFileEditsStopAtTheirLongestText) {
  struct Case {
    int maxChars;
    int editId;
    const char* shot;
  };
  for (const Case& c : {Case{DINTO_MAX_CHARS, IDC_INTO_NAME, "zarnaksql-into.png"},
                        Case{DSTANDBY_MAX_CHARS, IDC_STANDBY_FILE, "zarnaksql-standby.png"}}) {
    DInto into(nullptr);
    DStandby standby(nullptr);
    zkui::Dialog& dialog = c.editId == IDC_INTO_NAME ? static_cast<zkui::Dialog&>(into) : standby;
    std::string preset;
    size_t held = 0;
    zkui::drive::whenModal([&](wxDialog& d) {
      wxWindow* editP = zkui::drive::find(c.editId, &d);
      preset = zkui::drive::text(editP);
      zkui::drive::type(editP, std::string(c.maxChars + 1, 'x'));
      held = zkui::drive::text(editP).size();
      zkui::drive::type(editP, std::string(c.maxChars, 'y'));
      shoot(&d, c.shot);
      zkui::drive::click(zkui::kIdOk, &d);
    });
    into.m_intoName = "Before";
    standby.m_undoFile = "Before";
    EXPECT_EQ(dialog.doModal(), zkui::kIdOk);
    EXPECT_EQ(preset, "Before");
    EXPECT_LE(held, static_cast<size_t>(c.maxChars));
    const std::string& result = c.editId == IDC_INTO_NAME ? into.m_intoName : standby.m_undoFile;
    EXPECT_EQ(result, std::string(c.maxChars, 'y'));
    EXPECT_TRUE(m_boxes.empty());
  }
  // The undo file loses its leading blanks; blanks alone leave no file.
  const std::pair<const char*, const char*> kUndo[] = {{"  /undo/a.und", "/undo/a.und"},
                                                       {"   ", ""}};
  for (const auto& undo : kUndo) {
    DStandby standby(nullptr);
    zkui::drive::whenModal([&undo](wxDialog& d) {
      zkui::drive::type(IDC_STANDBY_FILE, undo.first, &d);
      zkui::drive::click(zkui::kIdOk, &d);
    });
    EXPECT_EQ(standby.doModal(), zkui::kIdOk);
    EXPECT_EQ(standby.m_undoFile, undo.second);
  }
}

// The dialog shows one database's files; Up and Down move the edit between rows and stay at
// the ends, an empty label keeps the name, Enter ends the edit without closing, and OK writes
// the changed names back.
TEST_F(RestoreDialogs, RelocateEditsTheLabelsRowByRow) {
  SqlHublorDbElement books{};
  SqlHublorDbElement other{};
  CLinkedList<DRelocateEntry> list;
  add(list, &books, "books_data", "/data/books.mdf");
  add(list, &books, "books_g2", "/data/books_g2.ndf");
  add(list, &books, "books_log", "/data/books.ldf");
  add(list, &other, "other_data", "/data/other.mdf");
  DRelocate dialog(nullptr);
  dialog.m_listP = &list;
  dialog.m_firstP = list.getFirst();
  int rows = 0;
  std::string firstColumn;
  std::vector<long> editing;
  bool openAfterEnter = false;
  zkui::drive::whenModal([&](wxDialog& d) {
    auto* listP = dynamic_cast<wxListCtrl*>(zkui::drive::find(IDC_RELOCATE_LIST, &d));
    ASSERT_NE(listP, nullptr);
    rows = listP->GetItemCount();
    firstColumn = listP->GetItemText(1, 1).utf8_string();
    ASSERT_TRUE(pumpUntil([&] { return dialog.editingRow() == 0; }));
    auto step = [&](const char* textP, int key) {
      wxTextCtrl* editP = listP->GetEditControl();
      ASSERT_NE(editP, nullptr);
      if (textP != nullptr) zkui::drive::type(editP, textP);
      zkui::drive::key(key, 0, editP);
      pump(100);
      editing.push_back(dialog.editingRow());
    };
    step(nullptr, WXK_UP);  // the first row stays
    step("/new/books.mdf", WXK_DOWN);
    step("", WXK_DOWN);       // empty: the name stays
    step(nullptr, WXK_DOWN);  // the last row stays
    step(nullptr, WXK_UP);
    shoot(&d, "zarnaksql-relocate.png");
    step("/new/books_g2.ndf", WXK_RETURN);
    openAfterEnter = d.IsShown();
    zkui::drive::click(zkui::kIdOk, &d);
  });
  EXPECT_EQ(dialog.doModal(), zkui::kIdOk);
  EXPECT_EQ(rows, 3);
  EXPECT_EQ(firstColumn, "books_g2");
  EXPECT_EQ(editing, (std::vector<long>{0, 1, 2, 2, 1, -1}));
  EXPECT_TRUE(openAfterEnter);
  std::vector<std::string> names;
  for (DRelocateEntry* eP = list.getFirst(); eP != nullptr; eP = list.getNext(eP)) {
    names.push_back(std::string(eP->szPhysicalName) + (eP->changed ? " changed" : ""));
  }
  EXPECT_EQ(names, (std::vector<std::string>{"/new/books.mdf changed", "/new/books_g2.ndf changed",
                                             "/data/books.ldf", "/data/other.mdf"}));
}

}  // namespace
