// Printing the registration so that it can be mailed: the printed form's lines, one per row,
// from fixed margins down the page and over as many pages as needed, on a printer the user
// picks (here: the PostScript file chosen in the print dialog), beside the printing dialog
// (CPrintingDlg) whose Cancel abandons the document. User-interface thread only.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "print.h"

class wxWindow;

inline constexpr int kPrintDocumentName = 1060;

// A row of the printed form: a spacer is an empty row; otherwise label and value, and a line
// whose value is blank takes no row.
struct DPrintLine {
  int spacer = 0;
  std::string label;
  std::string value;
};

// The printed form of the current registration.
std::vector<DPrintLine> regPrintedForm();

// Where rows go on a page, in device units: 25 mm margins (three quarters of it on the left),
// at least the device's own offsets; at least one row of at least one unit, so odd printer
// metrics never stop the pages from filling.
struct DPageLayout {
  int left = 0;
  int top = 0;
  int rowHeight = 1;
  int rowsPerPage = 1;
};
DPageLayout regPageLayout(const zkui::PrintMetrics& metrics, int offsetX = 0, int offsetY = 0);

// Prints lines as one document. keepGoing is asked before each page starts and ends (the
// spooler's abort procedure); false abandons the document. 0, or -2 when the document, a page
// or its end was refused or abandoned (nothing is then left of the document).
int regPrintLines(zkui::PrintAdapter& printer, const std::vector<DPrintLine>& lines,
                  const std::function<bool()>& keepGoing);

// The whole job for the connection-failure page: the print dialog (a file chooser for the
// PostScript file), the printing dialog beside it with the owner disabled, the form. 0; -1
// when no printer was chosen; -2 as regPrintLines, a cancel included.
int regPrintRegistration(wxWindow* ownerP);
