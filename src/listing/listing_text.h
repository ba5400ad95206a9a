// Text helpers of the listing rules: they work in place on one zero-terminated line, as the
// rules cut it into fields, and never read past its end.
#pragma once
#include <cstdint>
#include <string>

namespace listing {

// Removes trailing blanks, tabs, carriage returns and line feeds; returns the text.
char* TrimRight(char* text);
// TrimRight, then the part after the last blank (else after the last tab, else the whole
// text), with blanks and tabs at its start skipped.
char* LastWord(char* text);
// From `pos`: skips up to the next blank or tab, then the blanks and tabs after it.
char* NextWord(char* pos);
// The line holds " DIR ", " dir ", " Dir ", "<DIR>", "<DIRECTORY>" or "<dir>".
bool HasDirMarker(const char* text);
// In place: tabs become blanks, runs of blanks become one blank, every "-" goes; returns the text.
char* SqueezeInfo(char* text);
// Word n (n >= 1) of a text whose words are separated by blanks only; word 1 is the text
// itself. The result runs to the end of the text; nullptr when the text ends before word n.
char* NthWord(char* text, int n);
const char* NthWord(const char* text, int n);
// 1 to 12 for a text beginning with a month's three-letter name (any case), else 0.
int MonthNumber(const char* text);
// An optional sign and decimal digits after leading white space, as a 32-bit number
// (saturated); 0 when there are no digits. A null text reads as 0.
int32_t NumberAt(const char* text);
// A size: decimal digits after leading white space, as a 64-bit byte count saturated at
// INT64_MAX; a negative or missing number reads as 0.
uint64_t SizeAt(const char* text);
// TrimRight, leading blanks skipped, and every inner blank removed; for the Spartacus KNET
// host type each inner run of blanks becomes one blank instead.
std::string SqueezeName(const char* text, int hostType);

// Whether a listed name may become a directory entry: false for a name holding "/", "\",
// "..", a drive prefix ("C:") or a control character, or made only of dots and blanks
// (which some file systems read as the directory itself or its parent).
bool IsSafeDirName(const char* name);

}  // namespace listing
