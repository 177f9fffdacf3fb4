// A tab strip: a row of tabs above a framed area, whose pages are windows of their own that the
// owner places over displayRect(), as a tab control of the system's windows does. Each tab has
// a text, an image index and a parameter word.
//
// A click on a tab first asks onSelChanging(old, new); true vetoes the change (the owner may
// turn it into a command of its own). Otherwise the selection moves and onSelChanged(new)
// follows. setSelection moves it without either notification. User-interface thread only.
#pragma once

#include <wx/control.h>
#include <wx/imaglist.h>

#include <functional>
#include <string>
#include <vector>

#include "resbundle.h"

namespace zkui {

class TabStrip : public wxControl {
 public:
  TabStrip(wxWindow* parentP, int id, const wxPoint& pos, const wxSize& size);

  int insertItem(int index, const std::string& text, int image = -1, void* param = nullptr);
  bool deleteItem(int index);
  void deleteAllItems();
  int itemCount() const { return static_cast<int>(m_items.size()); }
  int selection() const { return m_selection; }
  int setSelection(int index);  // returns the previous selection; -1 when none
  void* itemParam(int index) const;
  std::string itemText(int index) const;
  // Gives tab `index` a new text; false when there is no such tab.
  bool setItemText(int index, const std::string& text);
  // Not owned; null for none.
  void setImageList(wxImageList* listP);
  wxImageList* imageList() const { return m_imagesP; }
  // The area below the tabs, inside the frame, in client coordinates.
  Rect displayRect() const;
  // The tab under a client point, or -1.
  int hitTest(const wxPoint& pt) const;
  // Tab `index` in client coordinates; empty for no such tab. A row of tabs wider than the
  // strip narrows the space beside each text (down to 2 pixels a side) before any is cut.
  wxRect itemRect(int index) const;
  // What a user's click on tab `index` does; true when the selection changed.
  bool clickTab(int index);

  std::function<bool(int oldIndex, int newIndex)> onSelChanging;
  std::function<void(int newIndex)> onSelChanged;

 protected:
  wxSize DoGetBestSize() const override;

 private:
  struct Item {
    std::string text;
    int image;
    void* param;
  };
  int textWidth(wxDC& dc, int index) const;
  void paint(wxPaintEvent&);
  void leftDown(wxMouseEvent&);

  std::vector<Item> m_items;
  int m_selection = -1;
  wxImageList* m_imagesP = nullptr;
};

}  // namespace zkui
