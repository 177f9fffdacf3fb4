// Browser bookmarks of the maker's web sites: the check boxes that offer them on the
// Additional Information page (CBookmarkOffer), and the adding of a wished bookmark to the
// default browser: a line appended to Netscape's bookmark file, or an Internet shortcut in
// Internet Explorer's Favorites folder. User-interface thread only.
#pragma once

#include <string>

class CRegControls;

inline constexpr int kMsgBookmarksFailed = 215;

class CBookmarkOffer {
 public:
  // The offers of the product customisation on the page's controls; shown as it says for
  // showFlag.
  CBookmarkOffer(CRegControls& controls, bool showFlag);

  // Shows or hides each check box as the customisation says for flag.
  void show(bool flag);
  // Each check box's caption: the string of its title.
  void setTexts();
  // Each check box as the registrant wished before.
  void load();
  // Each check box's state into the registrant's wishes (first, second, third).
  void store();

 private:
  CRegControls& m_controls;
  bool m_show;
};

// Adds every bookmark the registrant wished, in order, while the ones before were added; a
// failure is shown once as 215 and the later ones are not tried.
void addSelectedBookmarks();

// 1 when the bookmark was added to the default browser, else 0.
int addBookmark(const std::string& title, const std::string& address);

// The line appended to Netscape's bookmark file for one bookmark.
std::string netscapeBookmarkLine(const std::string& title, const std::string& address);
