// The tree view's items and the operations that are not check rules (dtreecheck.cpp has those).
#include "dtreeview.h"

#include "agttrc.h"
#include "help.h"
#include "nlstable.h"

int DTreeView::s_specialImage = 0;
int DTreeView::s_specialSelectedImage = 0;
int DTreeView::s_stateImageMode = 0;

DTreeView::DTreeView() : m_nodeList(deleteDTreeNodeData) {
  s_specialImage = 0;
  s_specialSelectedImage = 0;
}

DTreeView::~DTreeView() {
  if (m_ctrl) m_ctrl->setEvents(nullptr);
  m_nodeList.freeAll();
  m_treeStart.freeAll();
}

void DTreeView::attachTreeCtrl(std::unique_ptr<DTreeCtrl> ctrl) {
  if (m_ctrl) m_ctrl->setEvents(nullptr);
  m_ctrl = std::move(ctrl);
  if (m_ctrl) m_ctrl->setEvents(this);
}

bool DTreeView::haveWindow(const char* opP) const {
  if (m_ctrl && m_ctrl->exists()) return true;
  TRACE_LINE(TRC_GUI, "The Window element of the tree has not been created. %s aborted.\n", opP);
  return false;
}

void DTreeView::ciHideView() {
  TRACE_ENTRY(TRC_GUI, "DTreeView::ciHideView");
  if (haveWindow("ciHideView")) m_ctrl->show(false);
}

void DTreeView::ciShowView() {
  TRACE_ENTRY(TRC_GUI, "DTreeView::ciShowView");
  if (!haveWindow("ciShowView")) return;
  m_ctrl->show(true);
  m_ctrl->raise();
}

void DTreeView::ciBringViewToTop() {
  TRACE_ENTRY(TRC_GUI, "DTreeView::ciBringViewToTop");
  if (haveWindow("ciBringViewToTop")) m_ctrl->raise();
}

HTREEITEM DTreeView::ciInsertItem(const std::string& label, DTreeNodeData* recordP, int hasChildren,
                                  HTREEITEM insertAfter) {
  TRACE_ENTRY(TRC_GUI, "DTreeView::ciInsertItem");
  if (!haveWindow("ciInsertItem")) return nullptr;
  if (!recordP) {
    TRACE_LINE(TRC_GUI, "Error inserting item with label %s\n", label.c_str());
    return nullptr;
  }
  DTreeInsert insert;
  insert.parent = recordP->m_hParentItem;
  insert.insertAfter = insertAfter;
  insert.text = label;
  insert.image = recordP->m_image;
  insert.selectedImage =
      recordP->m_image == s_specialImage ? s_specialSelectedImage : recordP->m_image;
  insert.param = recordP;
  insert.hasChildren = hasChildren == 1;
  if (s_stateImageMode == 1) {
    if (recordP->m_state == 0 && recordP->m_hParentItem) {
      recordP->m_state = m_ctrl->getStateImage(recordP->m_hParentItem);
      TRACE_LINE(TRC_GUI, "Using state image of parent %d\n", recordP->m_state);
    }
    insert.stateImage = recordP->m_state;
  }
  HTREEITEM item = m_ctrl->insertItem(insert);
  if (!item) {
    TRACE_LINE(TRC_GUI, "Error inserting item with label %s\n", label.c_str());
    return nullptr;
  }
  recordP->m_hItem = item;
  return item;
}

int DTreeView::ciInstallImageLists(int normalBitmapId, int stateBitmapId) {
  TRACE_ENTRY(TRC_GUI, "DTreeView::ciInstallImageLists");
  if (!haveWindow("ciInstallImageLists")) TRACE_RETURN(1);
  int rc = m_ctrl->installImageLists(normalBitmapId, stateBitmapId);
  if (rc == 1) TRACE_LINE(TRC_GUI, "Error creating normal imagelist\n");
  if (rc == 2) TRACE_LINE(TRC_GUI, "Error creating state imagelist\n");
  TRACE_RETURN(rc == RC_OK ? 0 : 1);
}

namespace {

// The abort line of the expansion queries, which name the notification they serve.
bool haveExpandingWindow(const DTreeCtrl* ctrlP) {
  if (ctrlP && ctrlP->exists()) return true;
  TRACE_LINE(TRC_GUI,
             "The Window element of the tree has not been created. OnItemexpanding aborted "
             "with LRESULT 1.\n");
  return false;
}

}  // namespace

int DTreeView::ciIsItemCollapsible(HTREEITEM item, const int32_t* imageP) {
  TRACE_ENTRY(TRC_GUI, "DTreeView::ciIsItemCollapsible");
  if (!haveExpandingWindow(m_ctrl.get())) TRACE_RETURN(0);
  DTreeNodeData* recordP = static_cast<DTreeNodeData*>(m_ctrl->getParam(item));
  if (imageP && recordP && recordP->m_image == *imageP) {
    TRACE_LINE(TRC_GUI, "Tree item with image %d is not collapsible\n", *imageP);
    TRACE_RETURN(0);
  }
  if (!m_ctrl->hasChildren(item)) TRACE_RETURN(0);
  TRACE_RETURN(m_ctrl->isExpanded(item) ? 1 : 0);
}

int DTreeView::ciIsItemExpandable(HTREEITEM item, const int32_t* imageP) {
  TRACE_ENTRY(TRC_GUI, "DTreeView::ciIsItemExpandable");
  if (!haveExpandingWindow(m_ctrl.get())) TRACE_RETURN(0);
  DTreeNodeData* recordP = static_cast<DTreeNodeData*>(m_ctrl->getParam(item));
  if (imageP && recordP && recordP->m_image == *imageP) TRACE_RETURN(0);
  if (!m_ctrl->hasChildren(item)) TRACE_RETURN(0);
  TRACE_RETURN(m_ctrl->isExpanded(item) ? 0 : 1);
}

int DTreeView::ciOnItemExpandingNoCollapse(HTREEITEM item) {
  TRACE_ENTRY(TRC_GUI, "DTreeView::ciOnItemExpandingNoCollapse");
  if (!haveWindow("ciOnItemExpandingNoCollapse")) TRACE_RETURN(1);
  TRACE_RETURN(m_ctrl->expandedOnce(item) ? 1 : 0);
}

int DTreeView::ciSetItemText(HTREEITEM item, const std::string& text) {
  TRACE_ENTRY(TRC_GUI, "DTreeView::ciSetItemText");
  if (!haveWindow("ciSetItemText")) TRACE_RETURN(0);
  if (m_ctrl->setText(item, text)) TRACE_RETURN(1);
  TRACE_LINE(TRC_GUI, "Error setting text to %s\n", text.c_str());
  TRACE_RETURN(0);
}

int DTreeView::ciSetChildren(HTREEITEM item, int count) {
  TRACE_ENTRY(TRC_GUI, "DTreeView::ciSetChildren");
  if (!haveWindow("ciSetChildren")) TRACE_RETURN(0);
  if (m_ctrl->setHasChildren(item, count != 0)) TRACE_RETURN(1);
  TRACE_LINE(TRC_GUI, "Error setting cChildren item\n");
  TRACE_RETURN(0);
}

HTREEITEM DTreeView::ciSetImage(HTREEITEM item, int image, int selectedImage) {
  TRACE_ENTRY(TRC_GUI, "DTreeView::ciSetImage");
  if (!haveWindow("ciSetImage")) return nullptr;
  m_ctrl->setImage(item, image, selectedImage);
  if (auto* recordP = static_cast<DTreeNodeData*>(m_ctrl->getParam(item))) {
    recordP->m_image = image;
  }
  return m_ctrl->getChild(item);
}

HTREEITEM DTreeView::ciSetState(HTREEITEM item, int state) {
  TRACE_ENTRY(TRC_GUI, "DTreeView::ciSetState");
  if (!haveWindow("ciSetState")) return nullptr;
  m_ctrl->setStateImage(item, state);
  if (auto* recordP = static_cast<DTreeNodeData*>(m_ctrl->getParam(item))) {
    recordP->m_state = state;
  }
  return m_ctrl->getChild(item);
}

int DTreeView::ciItemExpandedOnce(HTREEITEM item) {
  TRACE_ENTRY(TRC_GUI, "DTreeView::ciItemExpandedOnce");
  if (!haveWindow("ciItemExpandedOnce")) TRACE_RETURN(0);
  TRACE_RETURN(m_ctrl->expandedOnce(item) ? 1 : 0);
}

HTREEITEM DTreeView::ciFindItem(const std::string& text, HTREEITEM parent) {
  TRACE_ENTRY(TRC_GUI, "DTreeView::ciFindItem");
  if (!haveWindow("ciFindItem")) return nullptr;
  // getChild(null) is the first root item; a parent without children gives null at once.
  for (HTREEITEM item = m_ctrl->getChild(parent); item; item = m_ctrl->getNextSibling(item)) {
    if (nlsActiveFuncTable()->m_StrCmp(m_ctrl->getText(item).c_str(), text.c_str()) == 0) {
      return item;
    }
  }
  TRACE_LINE(TRC_GUI, "Could not find item %s\n", text.c_str());
  return nullptr;
}

DTreeNodeData* DTreeView::ciGetItemData(HTREEITEM item) {
  TRACE_ENTRY(TRC_GUI, "DTreeView::ciGetItemData");
  if (!haveWindow("ciGetItemData")) return nullptr;
  auto* recordP = static_cast<DTreeNodeData*>(m_ctrl->getParam(item));
  if (!recordP) TRACE_LINE(TRC_GUI, "GetItemData returned NULL\n");
  return recordP;
}

int DTreeView::ciDeleteAllItems() {
  TRACE_ENTRY(TRC_GUI, "DTreeView::ciDeleteAllItems");
  if (!haveWindow("ciDeleteAllItems")) TRACE_RETURN(0);
  TRACE_RETURN(m_ctrl->deleteAllItems() ? 1 : 0);
}

int DTreeView::ciDeleteItem(HTREEITEM item) {
  TRACE_ENTRY(TRC_GUI, "DTreeView::ciDeleteItem");
  if (!haveWindow("ciDeleteItem")) TRACE_RETURN(0);
  TRACE_RETURN(m_ctrl->deleteItem(item) ? 1 : 0);
}

int DTreeView::ciExpand(HTREEITEM item, int code) {
  TRACE_ENTRY(TRC_GUI, "DTreeView::ciExpand");
  if (!haveWindow("ciExpand")) TRACE_RETURN(0);
  TRACE_RETURN(m_ctrl->expand(item, code) ? 1 : 0);
}

HTREEITEM DTreeView::ciGetChild(HTREEITEM item) {
  if (!haveWindow("ciGetChild")) return nullptr;
  return m_ctrl->getChild(item);
}

HTREEITEM DTreeView::ciGetSibling(HTREEITEM item) {
  if (!haveWindow("ciGetSibling")) return nullptr;
  return m_ctrl->getNextSibling(item);
}

COLORREF DTreeView::ciGetTextColor() {
  if (!haveWindow("ciGetTextColor")) return 0;
  return m_ctrl->getTextColor();
}

COLORREF DTreeView::ciSetTextColor(COLORREF color) {
  if (!haveWindow("ciSetTextColor")) return 0;
  return m_ctrl->setTextColor(color);
}

HTREEITEM DTreeView::ciGetTopItemWithState() {
  if (!haveExpandingWindow(m_ctrl.get())) return nullptr;
  HTREEITEM root = m_ctrl->getChild(nullptr);
  return root ? m_ctrl->getChild(root) : nullptr;
}

std::string DTreeView::ciGetQualifiedSelectedItemText(char separator,
                                                      const std::string& defaultText) {
  TRACE_ENTRY(TRC_GUI, "DTreeView::ciGetQualifiedSelectedItemText");
  if (!haveWindow("ciGetQualifiedSelectedItemText")) return std::string();
  HTREEITEM item = m_ctrl->getSelection();
  if (!item) {
    TRACE_LINE(TRC_GUI, "There was no selected tree item\n");
    return defaultText.empty() ? std::string() : defaultText + separator;
  }
  // Every part ends with the separator, the last one too, as the default does: with NUL as
  // the separator the path ends with an empty part, which is how its readers find its end.
  std::string result = m_ctrl->getText(item) + separator;
  for (HTREEITEM up = m_ctrl->getParent(item); up; up = m_ctrl->getParent(up)) {
    result = m_ctrl->getText(up) + separator + result;
  }
  return result;
}

std::vector<std::string> DTreeView::ciSplitQualifiedText(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t end = path.find('\0'); end != std::string::npos; end = path.find('\0', start)) {
    if (end == start) break;
    parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

int DTreeView::ciSetTreeDefaults(int specialImage, int specialSelectedImage, int stateImageMode) {
  s_specialImage = specialImage;
  s_specialSelectedImage = specialSelectedImage;
  s_stateImageMode = stateImageMode;
  return specialImage;
}

bool DTreeView::OnItemexpanding(HTREEITEM, bool) {
  return false;
}

void DTreeView::OnLButtonDown(HTREEITEM, DTreeHit) {}

void DTreeView::OnSelchanged(HTREEITEM) {}

void DTreeView::OnContextMenu() {
  showContextHelp();
}

void DTreeView::OnHelpInfo() {
  showContextHelp();
}

void DTreeView::showContextHelp() {
  TRACE_ENTRY(TRC_GUI, "DTreeView::showContextHelp");
  zkui::help(zkui::HelpCall{zkui::helpFile(),
                            zkui::HelpCommand::Context,
                            static_cast<unsigned long>(getContextHelpId()),
                            {}});
}

bool DTreeView::treeItemExpanding(HTREEITEM item, bool expand) {
  return OnItemexpanding(item, expand);
}

void DTreeView::treeLeftClick(HTREEITEM item, DTreeHit hit) {
  OnLButtonDown(item, hit);
}
