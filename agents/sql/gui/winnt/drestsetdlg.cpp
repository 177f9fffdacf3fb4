#include "drestsetdlg.h"

#include "dinto.h"
#include "drelocate.h"
#include "dstandby.h"

namespace {

class DRestoreDialogs : public DRestoreSettingsDialogs {
 public:
  bool askIntoName(std::string* nameP) override {
    DInto dialog(nullptr);
    dialog.m_intoName = *nameP;
    if (dialog.doModal() != zkui::kIdOk) return false;
    *nameP = dialog.m_intoName;
    return true;
  }
  bool askUndoFile(std::string* fileP) override {
    DStandby dialog(nullptr);
    dialog.m_undoFile = *fileP;
    if (dialog.doModal() != zkui::kIdOk) return false;
    *fileP = dialog.m_undoFile;
    return true;
  }
  void editRelocations(CLinkedList<DRelocateEntry>* listP, DRelocateEntry* firstP) override {
    DRelocate dialog(nullptr);
    dialog.m_listP = listP;
    dialog.m_firstP = firstP;
    dialog.doModal();
  }
};

}  // namespace

DRestoreSettingsDialogs& theRestoreSettingsDialogs() {
  static DRestoreDialogs dialogs;
  return dialogs;
}
