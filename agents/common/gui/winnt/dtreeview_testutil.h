// For tests of tree views: a view on an in-memory control, with items added as the controllers
// add them (a record in the view's node list, then ciInsertItem).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "dmemtree.h"
#include "dtreeview.h"

template <class View = DTreeView>
class TreeFixture : public ::testing::Test {
 protected:
  TreeFixture() {
    auto ctrl = std::make_unique<DMemTreeCtrl>(std::set<int>{101, 102});
    m_ctrlP = ctrl.get();
    m_view.attachTreeCtrl(std::move(ctrl));
  }
  // The class-wide settings outlive the view; every test starts and ends with the defaults.
  void SetUp() override { m_view.ciSetTreeDefaults(0, 0, 0); }
  void TearDown() override { m_view.ciSetTreeDefaults(0, 0, 0); }

  HTREEITEM add(HTREEITEM parent, const std::string& text, int image, int state = 0,
                int hasChildren = 0) {
    auto* recordP = new DTreeNodeData();
    recordP->m_hParentItem = parent;
    recordP->m_image = image;
    recordP->m_state = state;
    recordP->m_label = text;
    m_view.getTreeItemDataList()->addTail(&recordP);
    return m_view.ciInsertItem(text, recordP, hasChildren, TVI_LAST);
  }
  int image(HTREEITEM item) const { return m_ctrlP->getImage(item); }
  int state(HTREEITEM item) const { return m_ctrlP->getStateImage(item); }
  DTreeNodeData* record(HTREEITEM item) const {
    return static_cast<DTreeNodeData*>(m_ctrlP->getParam(item));
  }

  View m_view;
  DMemTreeCtrl* m_ctrlP;
};
