// Test helper: a file's whole content as one text, and a text written as a file's whole content
// (both byte for byte, without line-end translation).
#pragma once

#include <fstream>
#include <sstream>
#include <string>

// The content of the file at `path`; empty when it cannot be read.
inline std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

// Replaces the file at `path` with `content`; returns `path`.
inline std::string writeFileText(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
  return path;
}
