// The about box (template 100): a picture of the resource library with up to two lines of text
// drawn onto it in grey, bold 9-point Times, each line's bottom left corner at its position. The
// second line is drawn only when the first one is there. A click closes the box, and so does
// the end of the time set with setTimeout. The window is as large as the picture and centred in
// the screen area. User-interface thread only.
#pragma once

#include <wx/bitmap.h>
#include <wx/font.h>

#include <string>

#include "dialog.h"

constexpr int DABOUT_TEMPLATE_ID = 100;
constexpr int DABOUT_BITMAP_ID = 137;

class DAboutDlg : public zkui::Dialog {
 public:
  DAboutDlg() : zkui::Dialog(DABOUT_TEMPLATE_ID, nullptr) {}

  void setLine1Text(const std::string& text) { m_line1 = text; }
  void setLine2Text(const std::string& text) { m_line2 = text; }
  void setLine1Pos(int x, int y) { m_line1Pos = wxPoint(x, y); }
  void setLine2Pos(int x, int y) { m_line2Pos = wxPoint(x, y); }
  void setBitmapId(int id) { m_bitmapId = id; }
  // Milliseconds after which the box closes by itself; 0 for never.
  void setTimeout(int ms) { m_timeoutMs = ms; }

  // The picture with the lines drawn onto it, as the box paints it; invalid without a picture.
  wxBitmap composedBitmap() const;
  const wxBitmap& bitmap() const { return m_bitmap; }

 protected:
  void onInitDialog() override;
  void onTimer(int id) override;

 private:
  void paint();

  int m_bitmapId = 0;
  int m_timeoutMs = 0;
  std::string m_line1;
  std::string m_line2;
  wxFont m_font;
  wxBitmap m_bitmap;
  wxPoint m_origin{0, 0};
  wxPoint m_line1Pos{110, 255};
  wxPoint m_line2Pos{110, 267};
};
