#include "regprint.h"

#include <wx/app.h>
#include <wx/window.h>

#include <algorithm>

#include "filechooser.h"
#include "msgbox.h"
#include "regform.h"
#include "reglang.h"
#include "regprintdlg.h"
#include "regres.h"

namespace {

constexpr float kMillimetresPerInch = 25.4f;
constexpr int kMarginMm = 25;
constexpr int kLargePrintPoints = 12;
constexpr int kLargePrintLanguages[] = {15, 17};  // printed in 12 points

bool blank(const std::string& text) {
  return text.find_first_not_of(" \t") == std::string::npos;
}

// One page's rows from lines[next]; next moves past what the page took.
void printPage(zkui::PrintAdapter& printer, const DPageLayout& layout,
               const std::vector<DPrintLine>& lines, std::size_t& next) {
  int y = layout.top;
  for (int rows = 0; rows < layout.rowsPerPage && next < lines.size();) {
    const DPrintLine& line = lines[next++];
    if (line.spacer == 0 && blank(line.value)) continue;
    if (line.spacer == 0) printer.text(layout.left, y, line.label + line.value);
    ++rows;
    y += layout.rowHeight;
  }
}

std::unique_ptr<zkui::PrintAdapter> choosePrinter(wxWindow* ownerP) {
  zkui::FileChooserRequest request;
  request.ownerP = ownerP;
  request.save = true;
  request.title = regLoadString(kPrintDocumentName);
  request.fileName = "registration.ps";
  request.filter = "PostScript (*.ps)|*.ps|All files (*)|*";
  request.defaultExtension = "ps";
  request.mustExist = false;
  std::string path;
  if (zkui::chooseFile(request, path) != zkui::kIdBoxOk) return nullptr;
  return zkui::makePostScriptPrinter(path);
}

bool largePrint() {
  int language = CLanguageRules::instance().index();
  return std::find(std::begin(kLargePrintLanguages), std::end(kLargePrintLanguages), language) !=
         std::end(kLargePrintLanguages);
}

}  // namespace

std::vector<DPrintLine> regPrintedForm() {
  std::vector<DFormLine> form;
  buildFormLines(form);
  std::vector<DPrintLine> lines;
  for (const DFormLine& line : form)
    lines.push_back({line.kind == 1 ? 1 : 0, line.code, line.value});
  return lines;
}

DPageLayout regPageLayout(const zkui::PrintMetrics& metrics, int offsetX, int offsetY) {
  DPageLayout layout;
  auto marginX =
      static_cast<int>(static_cast<float>(metrics.dpiX) / kMillimetresPerInch * kMarginMm);
  auto marginY =
      static_cast<int>(static_cast<float>(metrics.dpiY) / kMillimetresPerInch * kMarginMm);
  layout.left = std::max(offsetX, marginX * 3 / 4);
  layout.top = std::max(offsetY, marginY);
  layout.rowHeight = std::max(1, metrics.lineHeight);
  layout.rowsPerPage = std::max(1, (metrics.pageHeight - 2 * layout.top) / layout.rowHeight);
  return layout;
}

int regPrintLines(zkui::PrintAdapter& printer, const std::vector<DPrintLine>& lines,
                  const std::function<bool()>& keepGoing) {
  DPageLayout layout = regPageLayout(printer.metrics());
  if (!printer.startDoc(regLoadString(kPrintDocumentName))) return -2;
  bool ok = keepGoing() && printer.startPage();
  std::size_t next = 0;
  while (ok && next < lines.size()) {
    printPage(printer, layout, lines, next);
    if (next < lines.size())
      ok = keepGoing() && printer.endPage() && keepGoing() && printer.startPage();
  }
  ok = ok && keepGoing() && printer.endPage() && printer.endDoc();
  if (!ok) printer.abortDoc();
  return ok ? 0 : -2;
}

int regPrintRegistration(wxWindow* ownerP) {
  regSetPrintCancelled(0);
  std::unique_ptr<zkui::PrintAdapter> printer = choosePrinter(ownerP);
  if (!printer) return -1;
  if (largePrint()) printer->setFont(kLargePrintPoints, false);
  CPrintingDlg status(ownerP);
  status.create();
  if (ownerP != nullptr) ownerP->Disable();
  // The abort procedure: the user's Cancel in the printing dialog arrives while pages print.
  auto keepGoing = [&status] {
    if (status.window() != nullptr) wxTheApp->SafeYield(status.window(), true);
    return regPrintCancelled() == 0;
  };
  int rc = regPrintLines(*printer, regPrintedForm(), keepGoing);
  status.destroyWindow();
  if (ownerP != nullptr) {
    ownerP->Enable();
    ownerP->SetFocus();
  }
  return rc;
}
