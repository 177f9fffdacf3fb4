// A report list kept in memory, without a window: the list of a page in tests, where the
// controller's rules run without a display. A text is 7 pixels a character wide.
#pragma once

#include <vector>

#include "dlistctrl.h"

class DMemListCtrl : public DListCtrl {
 public:
  static constexpr int kCharWidth = 7;

  bool exists() const override { return m_exists; }
  int columnCount() const override { return static_cast<int>(m_columns.size()); }
  bool insertColumn(int column, const std::string& header, DListAlign align, int width) override;
  bool deleteColumn(int column) override;
  std::string columnHeader(int column) const override;
  int columnWidth(int column) const override;
  DListAlign columnAlign(int column) const override;
  int textWidth(const std::string& text) const override;
  int itemCount() const override { return static_cast<int>(m_rows.size()); }
  bool deleteAllItems() override;
  int insertItem(int row, const std::string& text, int stateImage, void* param) override;
  bool setItemText(int row, int column, const std::string& text) override;
  std::string itemText(int row, int column) const override;
  void* itemParam(int row) const override;
  int stateImage(int row) const override;
  bool setStateImage(int row, int state) override;
  void repaint() override { ++m_repaints; }

  void destroyWindow();
  int repaints() const { return m_repaints; }
  // The texts of a row, one per column (empty where none was set).
  std::vector<std::string> rowTexts(int row) const;
  std::vector<std::string> headers() const;

 private:
  struct Column {
    std::string header;
    DListAlign align;
    int width;
  };
  struct Row {
    std::vector<std::string> texts;
    int stateImage;
    void* param;
  };
  bool validRow(int row) const { return row >= 0 && row < itemCount(); }

  std::vector<Column> m_columns;
  std::vector<Row> m_rows;
  bool m_exists = true;
  int m_repaints = 0;
};
