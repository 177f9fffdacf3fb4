#include "regbookmark.h"

#include <cstdio>
#include <string>

#include "bstr.h"
#include "intshcut.h"
#include "object.h"
#include "regcontrols.h"
#include "regcustom.h"
#include "regexcept.h"
#include "regnetscape.h"
#include "regregistrant.h"
#include "regres.h"
#include "regstate.h"
#include "regtextutil.h"
#include "runtime.h"

namespace {

constexpr char kHtmlClassKey[] = ".htm";
constexpr char kNetscapeClass[] = "NetscapeMarkup";
constexpr char kBookmarkFile[] = "bookmark.htm";
constexpr char kShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr std::size_t kMaxPath = 260;  // UTF-16 units, the terminator included
constexpr int kBookmarkCount = 3;      // the registrant keeps three wishes

int offeredCount() {
  int count = CProductCustomization::instance().extraControlCount();
  return count < kBookmarkCount ? count : kBookmarkCount;
}

int appendToNetscape(const std::string& title, const std::string& address) {
  std::string path = findNetscapeFile(kBookmarkFile);
  if (path.empty()) return 0;
  std::FILE* file = std::fopen(path.c_str(), "r+b");  // it must exist
  if (file == nullptr) return 0;
  std::string line = netscapeBookmarkLine(title, address);
  bool ok = std::fseek(file, 0, SEEK_END) == 0 &&
            std::fwrite(line.data(), 1, line.size(), file) == line.size();
  return std::fclose(file) == 0 && ok ? 1 : 0;
}

// A path that does not fit the platform's path buffer is refused rather than cut, so a
// shortcut never lands under a truncated name.
int saveShortcut(INewShortcutHookA& hook, const std::string& path) {
  IPersistFile* fileP = nullptr;
  if (FAILED(hook.QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&fileP)))) return 0;
  std::u16string wide = com::toUtf16(path);
  int result = wide.size() < kMaxPath && SUCCEEDED(fileP->Save(wide.c_str(), FALSE)) ? 1 : 0;
  fileP->Release();
  return result;
}

int addToFavorites(const std::string& title, const std::string& address) {
  std::string favorites = regQueryString(HKEY_CURRENT_USER, kShellFoldersKey, "Favorites");
  if (favorites.empty()) return 0;
  std::string path = favorites + "/" + title + ".url";
  INewShortcutHookA* hookP = nullptr;
  if (FAILED(CoCreateInstance(CLSID_InternetShortcut, nullptr, CLSCTX_INPROC_SERVER,
                              IID_INewShortcutHookA, reinterpret_cast<void**>(&hookP)))) {
    return 0;
  }
  int result = 0;
  if (SUCCEEDED(hookP->SetFolder(title.c_str())) &&
      SUCCEEDED(hookP->SetReferent(address.c_str(), nullptr))) {
    result = saveShortcut(*hookP, path);
  }
  hookP->Release();
  return result;
}

}  // namespace

CBookmarkOffer::CBookmarkOffer(CRegControls& controls, bool showFlag)
    : m_controls(controls), m_show(showFlag) {}

void CBookmarkOffer::show(bool flag) {
  m_show = flag;
  const CProductCustomization& product = CProductCustomization::instance();
  for (int i = 0; i < offeredCount(); ++i)
    m_controls.show(product.controlId(i), product.itemQuestion(i, flag));
}

void CBookmarkOffer::setTexts() {
  const CProductCustomization& product = CProductCustomization::instance();
  for (int i = 0; i < offeredCount(); ++i)
    m_controls.setText(product.controlId(i), regLoadString(product.titleStringId(i)));
}

void CBookmarkOffer::load() {
  const CProductCustomization& product = CProductCustomization::instance();
  CRegistrant& registrant = CRegistrant::instance();
  for (int i = 0; i < offeredCount(); ++i)
    m_controls.setChecked(product.controlId(i), registrant.bookmark(i));
  show(m_show);
}

void CBookmarkOffer::store() {
  const CProductCustomization& product = CProductCustomization::instance();
  CRegistrant& registrant = CRegistrant::instance();
  for (int i = 0; i < offeredCount(); ++i)
    registrant.setBookmark(i, m_controls.checked(product.controlId(i)));
}

void addSelectedBookmarks() {
  const CProductCustomization& product = CProductCustomization::instance();
  CRegistrant& registrant = CRegistrant::instance();
  for (int i = 0; i < offeredCount(); ++i) {
    if (registrant.bookmark(i) == 0) continue;
    if (addBookmark(regLoadString(product.titleStringId(i)),
                    regLoadString(product.addressStringId(i))) == 0) {
      reportRegException(CRegException(kMsgBookmarksFailed, 0));
      return;
    }
  }
}

int addBookmark(const std::string& title, const std::string& address) {
  std::string htmlClass = regQueryString(HKEY_CLASSES_ROOT, kHtmlClassKey, "");
  if (htmlClass.empty()) return 0;
  if (regEqualNoCase(htmlClass, kNetscapeClass)) return appendToNetscape(title, address);
  return addToFavorites(title, address);
}

std::string netscapeBookmarkLine(const std::string& title, const std::string& address) {
  return "<DT><A HREF=\"" + address +
         "\" ADD_DATE=\"910212194\" LAST_VISIT=\"0\" LAST_MODIFIED=\"0\">" + title + "</A>\n";
}
