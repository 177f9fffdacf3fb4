// The report list of a page as its controller sees it: columns with a header, an alignment and
// a width; rows with a text per column, a state picture (the check picture) and a parameter
// word (the tree item the row shows). The restore controller fills the restore pages' lists
// through this interface, so that its rules run the same on the window's list (dwxlist.h) and
// on the in-memory one of the tests (dmemlist.h).
//
// State pictures: a row's state picture is its tree item's picture plus one (2 unchecked, 3
// checked), as the system's list views number them; 0 is none.
//
// A list whose window has gone answers exists() false and holds nothing. User-interface thread
// only.
#pragma once

#include <string>

enum class DListAlign { Left, Right, Centre };

class DListCtrl {
 public:
  virtual ~DListCtrl() = default;

  virtual bool exists() const = 0;

  virtual int columnCount() const = 0;
  // Inserts the column at `column` (after the last when beyond it); false when refused.
  virtual bool insertColumn(int column, const std::string& header, DListAlign align, int width) = 0;
  virtual bool deleteColumn(int column) = 0;
  virtual std::string columnHeader(int column) const = 0;
  virtual int columnWidth(int column) const = 0;
  virtual DListAlign columnAlign(int column) const = 0;
  // The width in pixels of the text in the list's font.
  virtual int textWidth(const std::string& text) const = 0;

  virtual int itemCount() const = 0;
  virtual bool deleteAllItems() = 0;
  // Inserts a row at `row` (after the last when beyond it) with the text of column 0; the new
  // row's index, or -1.
  virtual int insertItem(int row, const std::string& text, int stateImage, void* param) = 0;
  virtual bool setItemText(int row, int column, const std::string& text) = 0;
  virtual std::string itemText(int row, int column) const = 0;
  virtual void* itemParam(int row) const = 0;
  virtual int stateImage(int row) const = 0;
  virtual bool setStateImage(int row, int state) = 0;
  // Repaints the list at once.
  virtual void repaint() = 0;
};
