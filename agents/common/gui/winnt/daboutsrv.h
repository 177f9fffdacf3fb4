// The storage-server information dialog (template 506): asks the storage server, through a
// server query of the request layer, for the facts of a session and shows ten of them, each in
// a read-only field: node, server host and name, platform, server version, client interface
// version, compression, policy domain, policy set and default management class. An empty fact
// shows the text of message 166. It can be made wider, never higher or lower; on a screen lower
// than the dialog it is as high as the screen less 5 pixels.
//
// The query runs before the window is made, so a password prompt comes first and a failure
// shows no empty dialog: a cancelled prompt (415) ends it silently, any other failure shows the
// query's text in an error box; either way runDialog returns the code. User-interface thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dialog.h"
#include "pelkapi.h"

constexpr int DABOUTSRV_TEMPLATE_ID = 506;
constexpr size_t DABOUTSRV_MSG_BUFFER_SIZE = 3584;

enum DAboutSrvControl : int {
  IDC_ABOUTSRV_CLOSE = 2015,
  IDC_ABOUTSRV_NODE = 2018,
  IDC_ABOUTSRV_HOST = 2028,
  IDC_ABOUTSRV_API_VERSION = 2029,
  IDC_ABOUTSRV_NAME = 2030,
  IDC_ABOUTSRV_TYPE = 2031,
  IDC_ABOUTSRV_VERSION = 2032,
  IDC_ABOUTSRV_COMPRESSION = 2033,
  IDC_ABOUTSRV_DOMAIN = 2034,
  IDC_ABOUTSRV_POLICY_SET = 2035,
  IDC_ABOUTSRV_MGMT_CLASS = 2036,
};

// The server query of the request layer (eriQueryMoxtarServer) and what the logon takes.
typedef int (*DServerQueryFn)(pelkSessInfo* sessInfoP, pelkApiVersion* apiVersionP,
                              const pelkApiLogonInfo* logonInfoP, char* msgBufferP);
struct DServerQuery {
  DServerQueryFn queryP;
  const char* passwordP;  // the storage-server password known so far (empty: ask)
  const char* optFileP;   // the client option file, or empty
  pelkPasswordCallback callbackP;
  void (*showErrorP)(const char* textP);  // shows a failure's text in an error box
};

struct DServerInfoRow {
  int controlId;
  std::string text;
};

// The ten fields' texts, in the dialog's order.
std::vector<DServerInfoRow> serverInfoRows(const pelkSessInfo& sessInfo,
                                           const pelkApiVersion& apiVersion);

class DAboutMoxtarServerDlg : public zkui::Dialog {
 public:
  DAboutMoxtarServerDlg(wxWindow* parentP, const DServerQuery& query);

  // Queries the server, then shows the dialog modally: the dialog's end code (1), the query's
  // code, or kDialogFailed without the template.
  int runDialog();
  const std::vector<DServerInfoRow>& rows() const { return m_rows; }
  int fixedHeight() const { return m_fixedHeight; }

 protected:
  void onInitDialog() override;
  void onSize(int width, int height) override;
  bool onCommand(int id) override;

 private:
  DServerQuery m_query;
  std::vector<DServerInfoRow> m_rows;
  int m_fixedHeight = -1;
};
