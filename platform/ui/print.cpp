#include "print.h"

#include <wx/cmndata.h>
#include <wx/dcps.h>

#include <cstdio>

namespace zkui {

namespace {

constexpr double kScreenDpi = 96.0;
constexpr double kPointsPerInch = 72.0;

class PostScriptPrinter : public PrintAdapter {
 public:
  explicit PostScriptPrinter(const std::string& path) : m_path(path) {
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
    m.lineHeight = toDots(m_dc->GetCharHeight());
    m.charWidth = toDots(m_dc->GetCharWidth());
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
  void abortDoc() override {
    if (m_dc->IsOk()) m_dc->EndDoc();
    std::remove(m_path.c_str());
  }
  // The PostScript context takes a font's size in screen pixels (96 a inch) and maps its own
  // dots to points: the size is scaled so the printed text has the points asked for.
  void setFont(int pointSize, bool bold) override {
    double dots = pointSize * m_dc->GetPPI().y / kScreenDpi;
    m_dc->SetFont(wxFontInfo(dots).Family(wxFONTFAMILY_SWISS).Bold(bold));
  }
  void text(int x, int y, const std::string& utf8) override {
    m_dc->DrawText(wxString::FromUTF8(utf8), x, y);
  }
  void line(int x1, int y1, int x2, int y2) override { m_dc->DrawLine(x1, y1, x2, y2); }
  int textWidth(const std::string& utf8) const override {
    return toDots(m_dc->GetTextExtent(wxString::FromUTF8(utf8)).x);
  }

 private:
  // The context measures text a quarter smaller than it prints it (points taken for pixels).
  static int toDots(int measured) {
    return static_cast<int>(measured * kScreenDpi / kPointsPerInch + 0.5);
  }

  std::string m_path;
  std::unique_ptr<wxPostScriptDC> m_dc;
};

}  // namespace

std::unique_ptr<PrintAdapter> makePostScriptPrinter(const std::string& path) {
  return std::make_unique<PostScriptPrinter>(path);
}

}  // namespace zkui
