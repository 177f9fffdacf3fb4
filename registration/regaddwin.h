// The window of the Additional Information page (CAdditionalInfoDlg, template 2404) with its
// Submit, which sends the registration beside the connecting dialog, and the thank-you page
// (CThankYouDlg, template 2405) that follows a registration sent. User-interface thread only.
#pragma once

#include <memory>
#include <string>

#include "dialog.h"
#include "regaddpage.h"
#include "regpagewin.h"

inline constexpr int kThankYouTemplate = 2405;
inline constexpr int kThankYouTitle = 2293;
inline constexpr int kThankYouExit = 2327;
inline constexpr int kConnectionSettingsTemplate = 2500;
// A page's end code when the wizard closed it without asking (the connection-failure page's
// choices that end the wizard).
inline constexpr int kPageClosed = 2;

class CAdditionalInfoDlg : public CRegPageDlg {
 public:
  explicit CAdditionalInfoDlg(wxWindow* parentP);
  CAdditionalInfoPage& page() { return *m_page; }

  // The connection-failure page's actions on the page: close it without asking (once the
  // failure's report has returned), or press Submit again.
  void closeQuietly();
  void submitAgain();

 protected:
  void onInitDialog() override;
  bool onCommand(int id) override;

 private:
  void submit();
  // Sends the request beside the connecting dialog; throws CRegException on a failure.
  void transmit(const std::string& request);

  std::unique_ptr<CAdditionalInfoPage> m_page;
  bool m_closeQuietly = false;
};

// Runs the Additional Information page modally; the page to go to next: System after Back,
// ThankYou after a registration sent, None when the user left or the wizard closed the page.
RegPage regRunAdditionalPage();
// The Additional Information page that runs, or null.
CAdditionalInfoDlg* regCurrentAdditionalPage();

class CThankYouDlg : public zkui::Dialog {
 public:
  explicit CThankYouDlg(wxWindow* parentP) : Dialog(kThankYouTemplate, parentP) {}

 protected:
  void onInitDialog() override;
  bool onCommand(int id) override;
};

void regRunThankYou();

// After "Prompt me to register in the future" with connect=no: the thank-you page when
// thankyou=yes, then the connection settings dialog 2500 when javaconnect=yes (what is entered
// there is not read).
void finishWithoutConnect();
