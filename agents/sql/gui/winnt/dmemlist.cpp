#include "dmemlist.h"

#include <algorithm>

bool DMemListCtrl::insertColumn(int column, const std::string& header, DListAlign align,
                                int width) {
  if (!m_exists || column < 0) return false;
  column = std::min(column, columnCount());
  m_columns.insert(m_columns.begin() + column, Column{header, align, width});
  for (Row& row : m_rows) {
    if (static_cast<int>(row.texts.size()) > column) {
      row.texts.insert(row.texts.begin() + column, std::string());
    }
  }
  return true;
}

bool DMemListCtrl::deleteColumn(int column) {
  if (column < 0 || column >= columnCount()) return false;
  m_columns.erase(m_columns.begin() + column);
  for (Row& row : m_rows) {
    if (static_cast<int>(row.texts.size()) > column) row.texts.erase(row.texts.begin() + column);
  }
  return true;
}

std::string DMemListCtrl::columnHeader(int column) const {
  return column >= 0 && column < columnCount() ? m_columns[column].header : std::string();
}

int DMemListCtrl::columnWidth(int column) const {
  return column >= 0 && column < columnCount() ? m_columns[column].width : 0;
}

DListAlign DMemListCtrl::columnAlign(int column) const {
  return column >= 0 && column < columnCount() ? m_columns[column].align : DListAlign::Left;
}

int DMemListCtrl::textWidth(const std::string& text) const {
  return kCharWidth * static_cast<int>(text.size());
}

bool DMemListCtrl::deleteAllItems() {
  m_rows.clear();
  return m_exists;
}

int DMemListCtrl::insertItem(int row, const std::string& text, int stateImage, void* param) {
  if (!m_exists || row < 0) return -1;
  row = std::min(row, itemCount());
  m_rows.insert(m_rows.begin() + row, Row{{text}, stateImage, param});
  return row;
}

bool DMemListCtrl::setItemText(int row, int column, const std::string& text) {
  if (!validRow(row) || column < 0) return false;
  std::vector<std::string>& texts = m_rows[row].texts;
  if (static_cast<int>(texts.size()) <= column) texts.resize(column + 1);
  texts[column] = text;
  return true;
}

std::string DMemListCtrl::itemText(int row, int column) const {
  if (!validRow(row) || column < 0) return std::string();
  const std::vector<std::string>& texts = m_rows[row].texts;
  return column < static_cast<int>(texts.size()) ? texts[column] : std::string();
}

void* DMemListCtrl::itemParam(int row) const {
  return validRow(row) ? m_rows[row].param : nullptr;
}

int DMemListCtrl::stateImage(int row) const {
  return validRow(row) ? m_rows[row].stateImage : 0;
}

bool DMemListCtrl::setStateImage(int row, int state) {
  if (!validRow(row)) return false;
  m_rows[row].stateImage = state;
  return true;
}

void DMemListCtrl::destroyWindow() {
  m_exists = false;
  m_columns.clear();
  m_rows.clear();
}

std::vector<std::string> DMemListCtrl::rowTexts(int row) const {
  std::vector<std::string> texts;
  for (int column = 0; column < std::max(columnCount(), 1); ++column) {
    texts.push_back(itemText(row, column));
  }
  return texts;
}

std::vector<std::string> DMemListCtrl::headers() const {
  std::vector<std::string> headers;
  for (const Column& column : m_columns) headers.push_back(column.header);
  return headers;
}
