// The current Netscape user's profile folder, where that browser keeps its preferences
// (prefs.js) and bookmarks (bookmark.htm). The folder is found through the browser's registry
// entries (Navigator 4 profiles, older installations, Netcaster installations) and cached for
// the process once a file was found in it. Paths use "/" on this platform.
//
// User-interface thread or the transmission worker, one at a time.
#pragma once

#include <string>

// The full path of fileName in the profile folder when it exists there, else "".
std::string findNetscapeFile(const std::string& fileName);
// Forgets the cached folder (a test's start).
void regForgetNetscapeProfile();
