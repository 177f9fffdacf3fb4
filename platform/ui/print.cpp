#include "print.h"

#include <wx/cmndata.h>
#include <wx/dcps.h>

namespace zkui {

namespace {

class PostScriptPrinter : public PrintAdapter {
 public:
  explicit PostScriptPrinter(const std::string& path) {
    wxPrintData data;
    data.SetPrintMode(wxPRINT_MODE_FILE);
    data.SetFilename(wxString::FromUTF8(path));
    data.SetPaperId(wxPAPER_LETTER);
    m_dc = std::make_unique<wxPostScriptDC>(data);
    setFont(10, false);
  }

  PrintMetrics metrics() const override {
    PrintMetrics m;
    m_dc->GetSize(&m.pageWidth, &m.pageHeight);
    wxSize ppi = m_dc->GetPPI();
    m.dpiX = ppi.x;
    m.dpiY = ppi.y;
    m.lineHeight = m_dc->GetCharHeight();
    m.charWidth = m_dc->GetCharWidth();
    return m;
  }
  bool startDoc(const std::string& title) override {
    return m_dc->IsOk() && m_dc->StartDoc(wxString::FromUTF8(title));
  }
  bool startPage() override {
    m_dc->StartPage();
    return m_dc->IsOk();
  }
  bool endPage() override {
    m_dc->EndPage();
    return m_dc->IsOk();
  }
  bool endDoc() override {
    m_dc->EndDoc();
    return m_dc->IsOk();
  }
  void setFont(int pointSize, bool bold) override {
    m_dc->SetFont(wxFontInfo(pointSize).Family(wxFONTFAMILY_SWISS).Bold(bold));
  }
  void text(int x, int y, const std::string& utf8) override {
    m_dc->DrawText(wxString::FromUTF8(utf8), x, y);
  }
  void line(int x1, int y1, int x2, int y2) override { m_dc->DrawLine(x1, y1, x2, y2); }
  int textWidth(const std::string& utf8) const override {
    return m_dc->GetTextExtent(wxString::FromUTF8(utf8)).x;
  }

 private:
  std::unique_ptr<wxPostScriptDC> m_dc;
};

}  // namespace

std::unique_ptr<PrintAdapter> makePostScriptPrinter(const std::string& path) {
  return std::make_unique<PostScriptPrinter>(path);
}

}  // namespace zkui
