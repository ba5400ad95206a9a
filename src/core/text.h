// Small text helpers every layer uses: comparing without regard to case, blanks and trimming.
#pragma once
#include <cctype>
#include <string>

namespace core {

// True when both texts are equal, letters compared without regard to case.
inline bool EqualNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

// A blank or a tab.
inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The text without its leading and trailing blanks and tabs.
inline std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

}  // namespace core
