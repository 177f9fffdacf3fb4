// The installer stand-in's own side: opening a session for a custom action and reading back
// what the action left in it, and the session description files of msihost.
//
// Session file, one entry a line; blank lines and lines starting with '#' are skipped:
//   property NAME=VALUE                a property; VALUE is the rest of the line as it stands
//   product CODE ATTRIBUTE=VALUE       information of an installed product
//   fault FUNCTION NAME CODE           FUNCTION (MsiGetProperty, MsiSetProperty,
//                                      MsiGetProductInfo) fails with CODE for the property or
//                                      product NAME ("*": any)
#pragma once

#include <iosfwd>
#include <map>
#include <string>
#include <vector>

#include "msi.h"

namespace zkmsi {

struct Fault {
  std::string function;
  std::string name;
  UINT code = 0;
};

struct LogLine {
  INSTALLMESSAGE kind = INSTALLMESSAGE_INFO;
  std::string text;
};

// Product code to attribute name to value.
using ProductTable = std::map<std::string, std::map<std::string, std::string>>;

struct SessionData {
  std::map<std::string, std::string> properties;  // names compare exactly, as the installer's do
  ProductTable products;
  std::vector<Fault> faults;
  std::vector<LogLine> log;  // in the order the messages came
};

// A new session handle holding data; it becomes the session whose products
// MsiGetProductInfoA answers from.
MSI_EXPORT MSIHANDLE openSession(const SessionData& data);

// A copy of the session's present state; false for a handle that is not an open session.
MSI_EXPORT bool readSession(MSIHANDLE session, SessionData& data);

// Reads a session file; false with error naming the line when an entry is malformed.
MSI_EXPORT bool parseSession(std::istream& in, SessionData& data, std::string& error);

// The properties as "property NAME=VALUE" lines in name order, then the log as "log KIND: TEXT"
// lines (KIND info, warning, error, user or fatal) in their order.
MSI_EXPORT void printSession(std::ostream& out, const SessionData& data);

}  // namespace zkmsi
