#include "dtreeview.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "agtmem.h"
#include "dtreeview_testutil.h"
#include "help.h"

namespace {

using namespace std::string_literals;

using ViewTest = TreeFixture<>;

TEST_F(ViewTest, InsertTakesPicturesFromTheRecordAndTheClassSettings) {
  m_view.ciSetTreeDefaults(7, 8, 0);
  HTREEITEM special = add(nullptr, "server", 7, 0, 1);
  HTREEITEM plain = add(special, "db", S_CLEAR);
  EXPECT_EQ(m_ctrlP->getSelectedImage(special), 8);
  EXPECT_EQ(m_ctrlP->getSelectedImage(plain), S_CLEAR);
  EXPECT_TRUE(m_ctrlP->hasChildren(special));
  EXPECT_FALSE(m_ctrlP->hasChildren(plain));
  EXPECT_EQ(record(plain)->m_hItem, plain);
  EXPECT_EQ(m_ctrlP->getText(plain), "db");
  EXPECT_EQ(state(plain), 0);  // no state picture outside state-image mode

  // State-image mode: a record without a state takes its parent's, and keeps it.
  m_view.ciSetTreeDefaults(0, 0, 1);
  HTREEITEM checked = add(nullptr, "root", S_CLEAR, S_CHECK);
  HTREEITEM inherits = add(checked, "kid", S_CLEAR, 0);
  HTREEITEM own = add(checked, "kid2", S_CLEAR, S_PARTIAL);
  EXPECT_EQ(state(inherits), S_CHECK);
  EXPECT_EQ(record(inherits)->m_state, S_CHECK);
  EXPECT_EQ(state(own), S_PARTIAL);
}

TEST_F(ViewTest, RefusedInsertLeavesTheRecordWithoutItem) {
  HTREEITEM root = add(nullptr, "root", S_CLEAR);
  DTreeNodeData orphan;
  orphan.m_hParentItem = reinterpret_cast<HTREEITEM>(&orphan);  // no such item
  EXPECT_EQ(m_view.ciInsertItem("x", &orphan, 0, TVI_LAST), nullptr);
  EXPECT_EQ(orphan.m_hItem, nullptr);
  EXPECT_EQ(m_view.ciInsertItem("x", nullptr, 0, TVI_LAST), nullptr);

  DTreeNodeData first;
  EXPECT_NE(m_view.ciInsertItem("first", &first, 0, TVI_FIRST), nullptr);
  EXPECT_EQ(m_view.ciGetChild(nullptr), first.m_hItem);
  EXPECT_EQ(m_view.ciGetSibling(first.m_hItem), root);
  m_view.ciDeleteAllItems();  // before `first` goes
}

TEST_F(ViewTest, FindSearchesOneLevel) {
  HTREEITEM server = add(nullptr, "SRV1", 7);
  HTREEITEM other = add(nullptr, "SRV2", 7);
  HTREEITEM db = add(server, "sales", 8);
  HTREEITEM twin = add(server, "sales", 8);
  HTREEITEM leaf = add(db, "file1", S_CLEAR);
  struct Case {
    const char* text;
    HTREEITEM parent;
    HTREEITEM expected;
  };
  const Case cases[] = {
      {"SRV2", nullptr, other},     // root items for no parent
      {"sales", nullptr, nullptr},  // one level only
      {"sales", server, db},        // the first of two
      {"file1", server, nullptr},   // not below the first level
      {"file1", leaf, nullptr},     // a parent without children
      {"srv1", nullptr, nullptr},   // the comparison keeps case
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(m_view.ciFindItem(c.text, c.parent), c.expected);
  }
  EXPECT_NE(twin, db);
}

// A tree that lets an item open once and never close or open again.
class OpenOnceTree : public DTreeView {
 protected:
  bool OnItemexpanding(HTREEITEM item, bool) override {
    return ciOnItemExpandingNoCollapse(item) != 0;
  }
};
using OpenOnceTest = TreeFixture<OpenOnceTree>;

TEST_F(OpenOnceTest, AnItemExpandedOnceRefusesCollapseAndReexpansion) {
  HTREEITEM root = add(nullptr, "root", 7, 0, 1);
  HTREEITEM kid = add(root, "kid", S_CLEAR);
  EXPECT_EQ(m_view.ciOnItemExpandingNoCollapse(root), 0);
  EXPECT_EQ(m_view.ciItemExpandedOnce(root), 0);
  EXPECT_EQ(m_view.ciIsItemExpandable(root, nullptr), 1);
  EXPECT_EQ(m_view.ciIsItemCollapsible(root, nullptr), 0);

  EXPECT_TRUE(m_ctrlP->userExpand(root));
  EXPECT_TRUE(m_ctrlP->isExpanded(root));
  EXPECT_EQ(m_view.ciItemExpandedOnce(root), 1);
  EXPECT_EQ(m_view.ciOnItemExpandingNoCollapse(root), 1);
  EXPECT_EQ(m_view.ciIsItemCollapsible(root, nullptr), 1);
  const int32_t rootImage = 7;
  EXPECT_EQ(m_view.ciIsItemCollapsible(root, &rootImage), 0);  // that picture never collapses

  EXPECT_FALSE(m_ctrlP->userExpand(root));  // the collapse is refused
  EXPECT_TRUE(m_ctrlP->isExpanded(root));
  m_view.ciExpand(root, TVE_COLLAPSE);      // the program may still close it
  EXPECT_FALSE(m_ctrlP->userExpand(root));  // and the user cannot open it again
  EXPECT_FALSE(m_ctrlP->isExpanded(root));
  EXPECT_EQ(m_view.ciIsItemExpandable(kid, nullptr), 0);  // no children
}

TEST_F(ViewTest, QualifiedTextEndsEveryPartWithTheSeparator) {
  HTREEITEM server = add(nullptr, "SRV1", 7);
  HTREEITEM db = add(server, "sales", 8);
  HTREEITEM file = add(db, "sales_dat", S_CLEAR);
  struct Case {
    const char* name;
    HTREEITEM selected;
    char separator;
    std::string defaultText;
    std::string expected;
  };
  const Case cases[] = {
      {"file, NUL", file, '\0', "Servers", "SRV1\0sales\0sales_dat\0"s},
      {"database, slash", db, '/', "Servers", "SRV1/sales/"},
      {"root item", server, '\0', "", "SRV1\0"s},
      {"no selection, default", nullptr, '\0', "S", "S\0"s},
      {"no selection, no default", nullptr, '\0', "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    m_ctrlP->selectItem(c.selected);
    EXPECT_EQ(m_view.ciGetQualifiedSelectedItemText(c.separator, c.defaultText), c.expected);
  }
}

TEST(QualifiedText, SplitsIntoItsPartsUpToTheFirstEmptyOne) {
  using Parts = std::vector<std::string>;
  EXPECT_EQ(DTreeView::ciSplitQualifiedText("SRV1\0sales\0sales_dat\0"s),
            (Parts{"SRV1", "sales", "sales_dat"}));
  EXPECT_EQ(DTreeView::ciSplitQualifiedText("S\0"s), Parts{"S"});
  EXPECT_EQ(DTreeView::ciSplitQualifiedText(""), Parts{});
  EXPECT_EQ(DTreeView::ciSplitQualifiedText("a\0\0b\0"s), Parts{"a"});
  EXPECT_EQ(DTreeView::ciSplitQualifiedText("unended"), Parts{});
}

TEST_F(ViewTest, OperationsWithoutWindowAnswerTheirNoWindowValue) {
  HTREEITEM item = add(nullptr, "root", S_CLEAR);
  m_ctrlP->selectItem(item);
  m_ctrlP->destroyWindow();
  DTreeView unattached;
  int32_t n = 99;
  const int32_t image = S_CLEAR;
  for (DTreeView* viewP : {&m_view, &unattached}) {
    DTreeView& v = *viewP;
    DTreeNodeData rec;
    struct Case {
      const char* op;
      std::function<long()> call;
      long expected;
    };
    const Case cases[] = {
        {"ciInsertItem", [&] { return !!v.ciInsertItem("x", &rec, 0, TVI_LAST); }, 0},
        {"ciInstallImageLists", [&] { return v.ciInstallImageLists(101, 102); }, 1},
        {"ciIsItemCollapsible", [&] { return v.ciIsItemCollapsible(item, &image); }, 0},
        {"ciIsItemExpandable", [&] { return v.ciIsItemExpandable(item, nullptr); }, 0},
        {"ciOnItemExpandingNoCollapse", [&] { return v.ciOnItemExpandingNoCollapse(item); }, 1},
        {"ciSetItemText", [&] { return v.ciSetItemText(item, "y"); }, 0},
        {"ciSetChildren", [&] { return v.ciSetChildren(item, 1); }, 0},
        {"ciSetImage", [&] { return !!v.ciSetImage(item, 2, 2); }, 0},
        {"ciSetState", [&] { return !!v.ciSetState(item, 2); }, 0},
        {"ciPropogateStateDown", [&] { return v.ciPropogateStateDown(item, 2); }, 0},
        {"ciPropogateImageDown", [&] { return v.ciPropogateImageDown(item, 2); }, 0},
        {"ciItemExpandedOnce", [&] { return v.ciItemExpandedOnce(item); }, 0},
        {"ciPropogateStateUp", [&] { return v.ciPropogateStateUp(item); }, 0},
        {"ciPropogateImageUp", [&] { return v.ciPropogateImageUp(item); }, 0},
        {"ciCheckOnKids",
         [&] {
           long rc = v.ciCheckOnKids(item, &n, &n, &n, &n);
           return rc * 1000 + n;
         },
         99},
        {"ciIsTiImage", [&] { return v.ciIsTiImage(item, S_CLEAR); }, 0},
        {"ciIsTiState", [&] { return v.ciIsTiState(item, 0); }, 0},
        {"ciIsTiStateOfChildren", [&] { return v.ciIsTiStateOfChildren(item, 0); }, 0},
        {"ciFindItem", [&] { return !!v.ciFindItem("root", nullptr); }, 0},
        {"ciGetItemData", [&] { return !!v.ciGetItemData(item); }, 0},
        {"ciDeleteAllItems", [&] { return v.ciDeleteAllItems(); }, 0},
        {"ciExpand", [&] { return v.ciExpand(item, TVE_EXPAND); }, 0},
        {"ciGetChild", [&] { return !!v.ciGetChild(nullptr); }, 0},
        {"ciGetSibling", [&] { return !!v.ciGetSibling(item); }, 0},
        {"ciGetTextColor", [&] { return v.ciGetTextColor(); }, 0},
        {"ciSetTextColor", [&] { return v.ciSetTextColor(0xFF); }, 0},
        {"ciGetTopItemWithState", [&] { return !!v.ciGetTopItemWithState(); }, 0},
        {"ciGetQualifiedSelectedItemText",
         [&] { return long(v.ciGetQualifiedSelectedItemText('/', "d").size()); }, 0},
        {"ciPropogateImageToSiblings", [&] { return v.ciPropogateImageToSiblings(item, 2); }, 0},
        {"ciPropogateImageToParent", [&] { return v.ciPropogateImageToParent(item, 2); }, 0},
    };
    for (const Case& c : cases) {
      SCOPED_TRACE(c.op);
      EXPECT_EQ(c.call(), c.expected);
    }
    EXPECT_EQ(rec.m_hItem, nullptr);
  }
  // Nothing changed underneath.
  EXPECT_EQ(m_ctrlP->getImage(item), S_CLEAR);
  EXPECT_EQ(m_ctrlP->getText(item), "root");
  EXPECT_EQ(m_ctrlP->itemCount(), 1u);
}

TEST_F(ViewTest, ItemWithoutRecord) {
  DTreeInsert bare;
  bare.text = "bare";
  bare.image = S_CHECK;
  HTREEITEM item = m_ctrlP->insertItem(bare);
  EXPECT_EQ(m_view.ciGetItemData(item), nullptr);
  EXPECT_EQ(m_view.ciIsTiImage(item, S_CHECK), 0);
  EXPECT_EQ(m_view.ciSetImage(item, S_CLEAR, S_CLEAR), nullptr);  // no record to keep
  EXPECT_EQ(m_ctrlP->getImage(item), S_CLEAR);
}

TEST_F(ViewTest, TextChildrenColourAndTopItem) {
  HTREEITEM root = add(nullptr, "root", 7);
  HTREEITEM kid = add(root, "kid", S_CLEAR);
  EXPECT_EQ(m_view.ciGetTopItemWithState(), kid);
  EXPECT_EQ(m_view.ciSetItemText(kid, "renamed"), 1);
  EXPECT_EQ(m_ctrlP->getText(kid), "renamed");
  EXPECT_EQ(m_view.ciSetItemText(nullptr, "lost"), 0);
  EXPECT_EQ(m_view.ciSetChildren(kid, 1), 1);
  EXPECT_TRUE(m_ctrlP->hasChildren(kid));
  EXPECT_EQ(m_view.ciSetChildren(kid, 0), 1);
  EXPECT_FALSE(m_ctrlP->hasChildren(kid));
  EXPECT_EQ(m_view.ciSetTextColor(0x0000FF), CLR_DEFAULT);
  EXPECT_EQ(m_view.ciGetTextColor(), 0x0000FFu);
}

TEST_F(ViewTest, ImageListsAreInstalledTogetherOrNotAtAll) {
  EXPECT_EQ(m_view.ciInstallImageLists(101, 102), 0);
  EXPECT_EQ(m_view.ciInstallImageLists(999, 101), 1);
  EXPECT_EQ(m_view.ciInstallImageLists(101, 999), 1);
  EXPECT_EQ(m_ctrlP->normalBitmapId(), 101);
  EXPECT_EQ(m_ctrlP->stateBitmapId(), 102);
}

TEST_F(ViewTest, ViewWindowShownHiddenRaised) {
  m_view.ciHideView();
  EXPECT_FALSE(m_ctrlP->shown());
  m_view.ciShowView();
  EXPECT_TRUE(m_ctrlP->shown());
  m_view.ciBringViewToTop();
  EXPECT_EQ(m_ctrlP->raised(), 2);
}

// A tree with a help topic of its own, and one that, as the restore trees, ignores the right
// button.
class HelpTree : public DTreeView {
 public:
  int getContextHelpId() override { return 12; }
};
class QuietTree : public HelpTree {
 protected:
  void OnContextMenu() override {}
};

TEST(DTreeViewHelp, F1AndTheContextMenuAskForTheTreesTopic) {
  zkui::setHelpFile("doc/zarnaksql.chm");
  const zkui::HelpCall topic{"doc/zarnaksql.chm", zkui::HelpCommand::Context, 12, {}};
  for (bool quiet : {false, true}) {
    SCOPED_TRACE(quiet ? "quiet" : "help");
    std::unique_ptr<DTreeView> viewP =
        quiet ? std::make_unique<QuietTree>() : std::make_unique<HelpTree>();
    auto ctrl = std::make_unique<DMemTreeCtrl>();
    DMemTreeCtrl* ctrlP = ctrl.get();
    viewP->attachTreeCtrl(std::move(ctrl));
    zkui::clearHelpCalls();
    ctrlP->userHelp();
    ctrlP->userRightClick();
    std::vector<zkui::HelpCall> expected{topic};
    if (!quiet) expected.push_back(topic);
    EXPECT_EQ(zkui::helpCalls(), expected);
  }
  zkui::setHelpFile("");
}

std::vector<std::string> gDeleted;
void noteLL(void* p) {
  gDeleted.push_back("LL " + std::string(static_cast<const char*>(p)));
}
void noteRelated(void* p) {
  gDeleted.push_back("related " + std::string(p ? static_cast<const char*>(p) : "null"));
}

TEST(DTreeNodeData, RecordsHandTheirDataToTheirRoutinesOrFreeTheRelatedBlock) {
  gDeleted.clear();
  char list[] = "list";
  auto* withRoutines = new DTreeNodeData(noteLL, noteRelated);
  withRoutines->pLL = list;
  deleteDTreeNodeData(withRoutines);
  EXPECT_EQ(gDeleted, (std::vector<std::string>{"related null", "LL list"}));

  // Without routines the related block goes back through FREE (ASan finds a leak otherwise);
  // the list stays with its owner.
  auto* plain = new DTreeNodeData();
  plain->pRelatedInfo = MALLOC(16);
  plain->pLL = list;
  deleteDTreeNodeData(plain);
  deleteDTreeNodeData(nullptr);
}

TEST_F(ViewTest, RecordsOutliveDeleteAllItemsAndGoWithTheView) {
  auto viewP = std::make_unique<DTreeView>();
  viewP->attachTreeCtrl(std::make_unique<DMemTreeCtrl>());
  gDeleted.clear();
  for (const char* name : {"a", "b"}) {
    auto* recordP = new DTreeNodeData(nullptr, noteRelated);
    recordP->pRelatedInfo = const_cast<char*>(name);
    viewP->getTreeItemDataList()->addTail(&recordP);
    viewP->ciInsertItem(name, recordP, 0, TVI_LAST);
  }
  DTreeStartEntry entry = dtvMakeStartEntry("Servers", 7, 1);
  viewP->m_treeStart.addTail(&entry);
  EXPECT_EQ(viewP->ciDeleteAllItems(), 1);
  EXPECT_EQ(viewP->ciGetChild(nullptr), nullptr);
  EXPECT_EQ(viewP->getTreeItemDataList()->getCount(), 2u);
  EXPECT_TRUE(gDeleted.empty());
  viewP.reset();
  EXPECT_EQ(gDeleted, (std::vector<std::string>{"related a", "related b"}));
}

TEST(DTreeStartEntry, LabelIsCutToFitWithoutSplittingACharacter) {
  struct Case {
    std::string label;
    std::string expected;
  };
  const Case cases[] = {
      {"Servers", "Servers"},
      {std::string(23, 'x'), std::string(23, 'x')},
      {std::string(30, 'x'), std::string(23, 'x')},
      {std::string(22, 'x') + "\xC3\xA9", std::string(22, 'x')},  // é would need bytes 23-24
      {std::string(21, 'x') + "\xC3\xA9", std::string(21, 'x') + "\xC3\xA9"},
      {"", ""},
  };
  for (const Case& c : cases) {
    DTreeStartEntry entry = dtvMakeStartEntry(c.label.c_str(), 9, 1);
    EXPECT_EQ(std::string(entry.label), c.expected);
    EXPECT_EQ(entry.image, 9);
    EXPECT_EQ(entry.reserved, 0);
    EXPECT_EQ(entry.kind, 1);
    EXPECT_EQ(entry.hItem, nullptr);
  }
}

}  // namespace
