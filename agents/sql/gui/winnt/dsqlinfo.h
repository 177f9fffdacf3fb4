// The SQL Server information dialog (template 151): the name, version and clustering of the SQL
// Server the agent works with and, for SQL Server 7, its sort order, code page and Unicode
// settings (dsqlinforows.h). It can be made wider, never higher or lower. User-interface thread.
#pragma once

#include "dfcidlg.h"
#include "dsqlinforows.h"

constexpr int DSQLINFO_TEMPLATE_ID = 151;
constexpr int DSQLINFO_MSG_UNKNOWN_NAME = 166;

class DSqlInfo : public DFciDialog {
 public:
  explicit DSqlInfo(wxWindow* parentP) : DFciDialog(DSQLINFO_TEMPLATE_ID, parentP) {}
  const DSqlInfoRows& rows() const { return m_rows; }
  int heightLimit() const { return m_heightLimit; }

 protected:
  void onInitDialog() override;
  void onSize(int width, int height) override;

 private:
  int m_heightLimit = -1;
  DSqlInfoRows m_rows = sqlInfoInitialRows();
};
