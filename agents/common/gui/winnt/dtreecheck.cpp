// The tree view's check rules: counting children by check value, the parent's picture from its
// children, and carrying a check down, across and up the tree.
#include "agttrc.h"
#include "dtreeview.h"

namespace {

bool isCheckValue(int value) {
  return value >= S_CLEAR && value <= S_DISABLED;
}

// The parent's picture from the counts of its children.
int pictureFromCounts(int32_t children, int32_t checked, int32_t partial) {
  if (partial > 0) return S_PARTIAL;
  if (checked == 0) return S_CLEAR;
  if (checked == children) return S_CHECK;
  return S_PARTIAL;
}

}  // namespace

// A child's value for the counts: its state picture in state-image mode, else its picture when
// that is a check value; 0 for a plain picture.
int DTreeView::checkValue(HTREEITEM item) const {
  if (s_stateImageMode == 1) return m_ctrl->getStateImage(item);
  int image = m_ctrl->getImage(item);
  return isCheckValue(image) ? image : 0;
}

// An ancestor's value in the upward state pass: any state-image mode reads the state picture;
// otherwise the picture, where S_NOSELECT and S_DISABLED read as clear and plain pictures as 0,
// which ends the pass.
int DTreeView::stateUpValue(HTREEITEM item) const {
  int value;
  if (s_stateImageMode != 0) {
    value = m_ctrl->getStateImage(item);
  } else {
    int image = m_ctrl->getImage(item);
    value = image == S_NOSELECT || image == S_DISABLED ? S_CLEAR : isCheckValue(image) ? image : 0;
  }
  TRACE_LINE(TRC_GUI, "parent state image is %d\n", value);
  return value;
}

int DTreeView::ciCheckOnKids(HTREEITEM item, int32_t* childrenP, int32_t* checkedP,
                             int32_t* partialP, int32_t* clearP) {
  TRACE_ENTRY(TRC_GUI, "DTreeView::ciCheckOnKids");
  if (!haveWindow("ciCheckOnKids")) TRACE_RETURN(0);
  int32_t total = 0, checked = 0, partial = 0, clear = 0, excluded = 0;
  HTREEITEM child = m_ctrl->getChild(item);
  if (!child) ciCheckOnDir(item, &total, &checked, &clear);
  for (; child; child = m_ctrl->getNextSibling(child)) {
    ++total;
    switch (checkValue(child)) {
      case S_CLEAR:
        ++clear;
        break;
      case S_CHECK:
        ++checked;
        break;
      case S_PARTIAL:
        ++partial;
        break;
      case S_NOSELECT:
      case S_DISABLED:
        ++excluded;
        break;
      default:
        break;  // a plain picture: a child that is neither checked nor partial
    }
  }
  *childrenP = total - excluded;
  *checkedP = checked;
  *partialP = partial;
  *clearP = clear;
  TRACE_RETURN(1);
}

int DTreeView::ciCheckOnDir(HTREEITEM, int32_t*, int32_t*, int32_t*) {
  TRACE_LINE(TRC_GUI, "Missing Implementation for ciCheckOnDir()\n");
  return 1;
}

int DTreeView::pictureFromChildren(HTREEITEM parent) {
  int32_t children = 0, checked = 0, partial = 0, clear = 0;
  ciCheckOnKids(parent, &children, &checked, &partial, &clear);
  return pictureFromCounts(children, checked, partial);
}

int DTreeView::ciPropogateImageUp(HTREEITEM item) {
  TRACE_ENTRY(TRC_GUI, "DTreeView::ciPropogateImageUp");
  if (!haveWindow("ciPropogateImageUp") || !item) TRACE_RETURN(0);
  HTREEITEM parent = m_ctrl->getParent(item);
  // Recomputed while the ancestors show clear, checked or partial; anything else stops it.
  int picture = 0;
  for (; parent && picture != S_PARTIAL; parent = m_ctrl->getParent(parent)) {
    int image = m_ctrl->getImage(parent);
    if (image != S_CLEAR && image != S_CHECK && image != S_PARTIAL) TRACE_RETURN(1);
    picture = pictureFromChildren(parent);
    ciSetImage(parent, picture, picture);
  }
  // A partial item makes every check-picture ancestor partial, up to the first plain picture.
  for (; parent && isCheckValue(m_ctrl->getImage(parent)); parent = m_ctrl->getParent(parent)) {
    ciSetImage(parent, S_PARTIAL, S_PARTIAL);
  }
  TRACE_RETURN(1);
}

int DTreeView::ciPropogateStateUp(HTREEITEM item) {
  TRACE_ENTRY(TRC_GUI, "DTreeView::ciPropogateStateUp");
  if (!haveWindow("ciPropogateStateUp") || !item) TRACE_RETURN(0);
  // Content that is not shown as children, counted once for the whole pass.
  int32_t databases = 0, databasesChecked = 0, databasesClear = 0;
  HTREEITEM parent = m_ctrl->getParent(item);
  int state = 0;
  for (; parent && state != S_PARTIAL; parent = m_ctrl->getParent(parent)) {
    if (stateUpValue(parent) == 0) TRACE_RETURN(1);
    state = pictureFromChildren(parent);
    if (state == S_CHECK || state == S_CLEAR) {
      ciCheckOnDir(parent, &databases, &databasesChecked, &databasesClear);
      if (state == S_CHECK && databasesClear > 0) state = S_PARTIAL;
      if (state == S_CLEAR && databasesChecked > 0) state = S_PARTIAL;
    }
    ciSetState(parent, state);
  }
  for (; parent && stateUpValue(parent) != 0; parent = m_ctrl->getParent(parent)) {
    ciSetState(parent, S_PARTIAL);
  }
  TRACE_RETURN(1);
}

// Both downward passes cover the item, its subtree and every following sibling with theirs:
// siblings in a loop, children by recursion, so the stack grows with the depth of the tree
// only, never with the length of a list of siblings. `visit` sets one item and returns its
// first child.
template <class Visit>
static void walkDown(const DTreeCtrl& ctrl, HTREEITEM item, const Visit& visit) {
  if (!item) TRACE_LINE(TRC_GUI, "hItem is NULL, returning\n");
  for (; item; item = ctrl.getNextSibling(item)) {
    if (HTREEITEM child = visit(item)) walkDown(ctrl, child, visit);
  }
}

int DTreeView::ciPropogateStateDown(HTREEITEM item, int state) {
  TRACE_ENTRY(TRC_GUI, "DTreeView::ciPropogateStateDown");
  if (!haveWindow("ciPropogateStateDown")) TRACE_RETURN(0);
  walkDown(*m_ctrl, item, [&](HTREEITEM h) {
    HTREEITEM child = ciSetState(h, state);
    ciPropogateStateToNode(h, state);
    return child;
  });
  TRACE_RETURN(0);
}

int DTreeView::ciPropogateImageDown(HTREEITEM item, int image) {
  TRACE_ENTRY(TRC_GUI, "DTreeView::ciPropogateImageDown");
  if (!haveWindow("ciPropogateImageDown")) TRACE_RETURN(0);
  walkDown(*m_ctrl, item, [&](HTREEITEM h) {
    int current = m_ctrl->getImage(h);
    int picture = current == S_NOSELECT || current == S_DISABLED ? current : image;
    return ciSetImage(h, picture, picture);
  });
  TRACE_RETURN(0);
}

int DTreeView::ciPropogateStateToNode(HTREEITEM, int) {
  TRACE_LINE(TRC_GUI, "Missing Implementation for ciPropogateStateToNode()\n");
  return 1;
}

int DTreeView::ciIsTiImage(HTREEITEM item, int image) {
  TRACE_ENTRY(TRC_GUI, "DTreeView::ciIsTiImage");
  if (!haveWindow("ciIsTiImage")) TRACE_RETURN(0);
  auto* recordP = static_cast<DTreeNodeData*>(m_ctrl->getParam(item));
  if (!recordP) {
    TRACE_LINE(TRC_GUI, "GetItemData returned NULL, return with LRESULT 0\n");
    TRACE_RETURN(0);
  }
  TRACE_RETURN(recordP->m_image == image ? 1 : 0);
}

int DTreeView::ciIsTiState(HTREEITEM item, int state) {
  TRACE_ENTRY(TRC_GUI, "DTreeView::ciIsTiState");
  if (!haveWindow("ciIsTiState")) TRACE_RETURN(0);
  int value = s_stateImageMode == 1 ? m_ctrl->getStateImage(item) : m_ctrl->getImage(item);
  TRACE_RETURN(value == state ? 1 : 0);
}

int DTreeView::ciIsTiStateOfChildren(HTREEITEM item, int state) {
  TRACE_ENTRY(TRC_GUI, "DTreeView::ciIsTiStateOfChildren");
  if (!haveWindow("ciIsTiStateOfChildren")) TRACE_RETURN(0);
  for (HTREEITEM child = m_ctrl->getChild(item); child; child = m_ctrl->getNextSibling(child)) {
    if (!ciIsTiState(child, state)) TRACE_RETURN(0);
  }
  TRACE_RETURN(1);
}

int DTreeView::ciPropogateImageToSiblings(HTREEITEM item, int image) {
  TRACE_ENTRY(TRC_GUI, "DTreeView::ciPropogateImageToSiblings");
  if (!haveWindow("ciPropogateImageToSiblings") || !item) TRACE_RETURN(0);
  for (HTREEITEM h = m_ctrl->getNextSibling(item); h; h = m_ctrl->getNextSibling(h)) {
    m_ctrl->setImage(h, image, image);
  }
  for (HTREEITEM h = m_ctrl->getPrevSibling(item); h; h = m_ctrl->getPrevSibling(h)) {
    m_ctrl->setImage(h, image, image);
  }
  TRACE_RETURN(1);
}

int DTreeView::ciPropogateImageToParent(HTREEITEM item, int image) {
  TRACE_ENTRY(TRC_GUI, "DTreeView::ciPropogateImageToParent");
  if (!haveWindow("ciPropogateImageToParent")) TRACE_RETURN(0);
  if (HTREEITEM parent = m_ctrl->getParent(item)) m_ctrl->setImage(parent, image, image);
  TRACE_RETURN(1);
}
