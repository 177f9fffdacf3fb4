// Checks of what a program printed.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

inline bool has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// The position of each text in the output, in the order given; fails when one is missing or out
// of order, showing the output.
inline void expectInOrder(const std::string& out, const std::vector<std::string>& texts) {
  size_t at = 0;
  for (const std::string& text : texts) {
    size_t found = out.find(text, at);
    ASSERT_NE(found, std::string::npos)
        << "missing after position " << at << ": " << text << "\nin:\n"
        << out;
    at = found + text.size();
  }
}
