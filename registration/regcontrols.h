// CRegControls: what the wizard's pages and their panels do with a page's controls, by control
// id. The windows implement it over a dialog (regpagewin.h); tests over a table of fake
// controls, so the pages' logic runs without a display. An id the page does not have is
// ignored by every setter and answers empty, 0 or -1.
#pragma once

#include <string>

class CRegControls {
 public:
  virtual ~CRegControls() = default;

  virtual bool has(int id) const = 0;
  virtual void show(int id, bool shown) = 0;
  virtual bool shown(int id) const = 0;
  virtual void enable(int id, bool enabled) = 0;
  virtual bool enabled(int id) const = 0;
  // An edit's or static's text; a combo box's selected entry's text ("" with none).
  virtual std::string text(int id) const = 0;
  // An edit's or static's text; a combo box selects the first entry that begins with it.
  virtual void setText(int id, const std::string& text) = 0;
  // The most characters the user can type into an edit.
  virtual void limitText(int id, int maxChars) = 0;
  virtual void focus(int id) = 0;
  // Check box or radio button: 0 clear, 1 checked.
  virtual int checked(int id) const = 0;
  virtual void setChecked(int id, int state) = 0;
  // Presses a button or radio button after the current event, as the user's click would.
  virtual void postClick(int id) = 0;

  // Combo box entries, each with a number of its own.
  virtual void clearItems(int id) = 0;
  // Inserts before index; -1 or past the end appends.
  virtual void insertItem(int id, int index, const std::string& text, long data) = 0;
  virtual int itemCount(int id) const = 0;
  virtual std::string itemText(int id, int index) const = 0;
  virtual long itemData(int id, int index) const = 0;
  virtual int selection(int id) const = 0;  // -1 for none
  virtual void select(int id, int index) = 0;

  // The right edge of a control in the page; setRight moves it, keeping the left edge.
  virtual int right(int id) const = 0;
  virtual void setRight(int id, int right) = 0;
  // Draws the control's text in a bold copy of its font (weight 700).
  virtual void setBold(int id) = 0;

  // Appends, or inserts before the first entry that sorts after it (letter case ignored, as a
  // sorted list box orders); returns the index.
  int addItem(int id, const std::string& text, long data, bool sorted);
  // The first entry that begins with prefix, letter case ignored; -1 for none or "".
  int findPrefix(int id, const std::string& prefix) const;
  // The first entry whose number is data; -1 for none.
  int findData(int id, long data) const;
  // Selects findPrefix's entry; false (selection unchanged) when there is none.
  bool selectPrefix(int id, const std::string& prefix);
  // Shows or hides a label and its field together.
  void showPair(int labelId, int fieldId, bool shown);
};
