// The message log: the newest 60 lines in a ring, shown in the two status lines and the
// log window, saved on request. Appends from any thread are serialised.
#pragma once
#include <string>
#include <vector>


namespace core {

constexpr int kRingLines = 60;
constexpr int kLineChars = 99;

// Appends a printf-style line (formatted into 256 bytes); nothing is logged when formatting fails.
void LogMessage(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
// Appends a finished line; a line beginning "[" is dropped unless debug messages are on.
void LogLine(const std::string& text);

// Moves the status view one line up (-1) or down (+1), clamped to the stored lines.
void ScrollStatusLines(int delta);

// The texts the two status lines show now (upper, lower), for a front end that updates them later.
void CurrentStatusLines(std::string& upper, std::string& lower);

// What a freshly opened log window shows: every stored line, each ended by CR LF.
std::string LogWindowText();

// The stored lines, oldest first.
std::vector<std::string> StoredLines();
int StoredLineCount();
int StatusViewPosition();

// Asks for a file name and writes the ring to it, one line each; cancel or an unwritable
// file end it without a message.
void SaveLog();
// Writes the ring to a file; false when the file could not be opened.
bool WriteLogTo(const std::string& path);

// Empties the ring (tests).
void ResetMessageLog();

}  // namespace core
