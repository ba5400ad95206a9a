// The normalised information text of a file entry ("yymmdd hh:mm" and the size) and the
// helpers that build it from the columns of a listing line.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/clock.h"

namespace listing {

// Word numbers (as NthWord counts them) of the fields UnixInfo reads; 0 = not present.
struct UnixWords {
  int month = 6, day = 7, time = 8, size = 5;
  int year = 0;  // a year word as written (NetWare); 0: the time word is a time or a year
};

// The normalised text "%02u%02u%02u %02u:%02u %10llu" from a line of blank-separated words.
// A time word "hh:mm" dates the entry within the twelve months up to `now`; any other time
// word is a year whose last two digits are taken. The text lives in a buffer each call overwrites.
const char* UnixInfo(const char* line, const UnixWords& words, const platform::CalendarTime& now);

// The normalised text of a Windows NT line in fixed columns: the Unix style (first character
// "-") or the DOS style (mm-dd-yy hh:mmAM). Same buffer as UnixInfo.
const char* ColumnInfo(const char* line, size_t len, const platform::CalendarTime& now);

// The normalised text itself; `sizeWidth` is 10, or 8 for the IBM VM form.
const char* FormatInfo(unsigned year, unsigned month, unsigned day, unsigned hour, unsigned minute, uint64_t size,
                       int sizeWidth = 10);

}  // namespace listing
