// Inside the listing parser: the line being parsed with its column conventions, and the rules
// of the families that read dates and sizes (listing_formats.cpp).
#pragma once
#include <cstddef>

#include "listing/listing_parser.h"

namespace listing {

// One line, cut in place. Columns count from 0; `len` is the line's length before any cut.
// A column at or beyond the end reads as the end of the text; text from such a column is empty.
struct Line {
  char* buf;
  size_t len;
  char At(size_t col) const { return col < len ? buf[col] : '\0'; }
  char* From(size_t col) const { return buf + (col < len ? col : len); }
  void Cut(size_t col) {
    if (col < len) buf[col] = '\0';
  }
  bool StartsWith(const char* prefix) const;
  // The name is the line's last word; what precedes it stays as the line's text.
  char* SplitAtLastWord();
};

void UnixRules(Line& l, const ListingContext& ctx);
void WindowsNtRules(Line& l, const ListingContext& ctx);
void NetWareRules(Line& l, const ListingContext& ctx);
void CorvexRules(Line& l, const ListingContext& ctx);
void IbmVmRules(Line& l, const ListingContext& ctx);
void QvtNet40Rules(Line& l, const ListingContext& ctx);
void VersaTermRules(Line& l, const ListingContext& ctx);

}  // namespace listing
