// A page's report list on the windowing layer's list view (a wxListCtrl in report view) behind
// the DListCtrl interface (dlistctrl.h). A row's state picture n is shown as picture n - 1 of
// the list's image list (the application's), in its first column. A column grows to show its
// texts whole; it never shrinks below the width it was given.
//
// The list view belongs to its dialog; when its window goes first, exists() turns false and
// nothing more is asked of it. User-interface thread only.
#pragma once

#include <wx/listctrl.h>

#include <memory>

#include "dlistctrl.h"

class DWxListCtrl : public DListCtrl {
 public:
  explicit DWxListCtrl(wxListCtrl* listP);
  ~DWxListCtrl() override;

  wxListCtrl* window() const { return m_listP; }

  bool exists() const override { return m_listP != nullptr; }
  int columnCount() const override;
  bool insertColumn(int column, const std::string& header, DListAlign align, int width) override;
  bool deleteColumn(int column) override;
  std::string columnHeader(int column) const override;
  int columnWidth(int column) const override;
  DListAlign columnAlign(int column) const override;
  int textWidth(const std::string& text) const override;
  int itemCount() const override;
  bool deleteAllItems() override;
  int insertItem(int row, const std::string& text, int stateImage, void* param) override;
  bool setItemText(int row, int column, const std::string& text) override;
  std::string itemText(int row, int column) const override;
  void* itemParam(int row) const override;
  int stateImage(int row) const override;
  bool setStateImage(int row, int state) override;
  void repaint() override;

 private:
  bool validRow(int row) const { return m_listP != nullptr && row >= 0 && row < itemCount(); }
  void fitColumn(int column, const wxString& text);

  wxListCtrl* m_listP;
  std::shared_ptr<DWxListCtrl*> m_cell;  // shared with the window's destroy handler
};
