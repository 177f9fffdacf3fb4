// The base of the five tab views: a form made from a dialog template whose one control is the
// tab strip, item 2014. Each tab carries its page window as its parameter word; the base shows
// the selected tab's page, hides the others, and keeps the tab strip 7 pixels inside the view,
// never smaller than its size in the template. A close sent to a tab view is ignored.
// User-interface thread only.
#pragma once

#include <wx/imaglist.h>

#include "dialog.h"
#include "tabstrip.h"

constexpr int DTABVIEW_TEMPLATE_ID = 505;
constexpr int DTABVIEW_TAB_ID = 2014;
constexpr int DTABVIEW_MARGIN = 7;

class DTabFormView : public zkui::Dialog {
 public:
  explicit DTabFormView(wxWindow* parentP);  // template 505
  DTabFormView(int templateId, wxWindow* parentP);
  ~DTabFormView() override;

  // Builds the image list of the tab icons when a bitmap id and an image count are set, then
  // makes the form. 0 or kResNotFound.
  virtual int Create();
  // Installs the image list, takes the tab strip's size as its minimum and places it at (7, 7)
  // over the view, less the margins.
  virtual void OnInitialUpdate();
  virtual void OnActivateView(bool activate);

  // The view operations shared with the tree views.
  virtual void ciHideView();
  virtual void ciShowView();
  virtual void ciBringViewToTop();
  virtual void ciViewHook1() {}
  virtual void ciViewHook2() {}
  virtual void ciViewHook3() {}

  zkui::TabStrip* tabControl() const { return m_tabCtrlP; }
  int minTabWidth() const { return m_minWidth; }
  int minTabHeight() const { return m_minHeight; }

 protected:
  void doDataExchange(zkui::DataExchange& dx) override;
  void onSize(int width, int height) override;
  bool onClose() override { return false; }
  // Pages swallow Enter and Escape, and so does the view.
  void onOK() override {}
  void onCancel() override {}
  // The tab strip's notifications: the old page is hidden and disabled; the new one shown and
  // enabled. Neither vetoes the change.
  virtual bool OnSelChangingTab(int oldIndex);
  virtual void OnSelChangeTab(int newIndex);

  int m_nImageCount = 0;  // set by a derived view before Create
  int m_nBitmapId = 0;    // likewise
  int m_minHeight = 0;
  int m_minWidth = 0;
  wxImageList m_imageList;
  bool m_hasImageList = false;  // m_imageList was made
  zkui::TabStrip* m_tabCtrlP = nullptr;

 private:
  void sizeTab(int width, int height);
};
