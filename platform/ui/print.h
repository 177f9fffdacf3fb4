// Printing in place of the system's printer device context: a document of pages on which the
// program writes text and lines at device coordinates, with the page's metrics to lay it out.
// The PostScript adapter writes the document to a file (the print spooler's job); tests may
// use it and read the file. User-interface thread only.
#pragma once

#include <memory>
#include <string>

namespace zkui {

struct PrintMetrics {
  int pageWidth = 0;   // printable width in device units (dots)
  int pageHeight = 0;  // printable height in device units
  int dpiX = 0;        // dots per inch
  int dpiY = 0;
  int lineHeight = 0;  // of the current font, in device units
  int charWidth = 0;   // average character width of the current font
};

class PrintAdapter {
 public:
  virtual ~PrintAdapter() = default;
  virtual PrintMetrics metrics() const = 0;
  // Each returns false when the document cannot go on (it is then abandoned).
  virtual bool startDoc(const std::string& title) = 0;
  virtual bool startPage() = 0;
  virtual bool endPage() = 0;
  virtual bool endDoc() = 0;
  // Abandons the document: nothing of it is printed (the PostScript file is removed).
  virtual void abortDoc() = 0;
  virtual void setFont(int pointSize, bool bold) = 0;
  virtual void text(int x, int y, const std::string& utf8) = 0;
  virtual void line(int x1, int y1, int x2, int y2) = 0;
  virtual int textWidth(const std::string& utf8) const = 0;
};

// A letter-size page, printed into a PostScript file at `path`.
std::unique_ptr<PrintAdapter> makePostScriptPrinter(const std::string& path);

}  // namespace zkui
