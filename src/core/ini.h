// The settings-file store: private-profile ("INI") files read and written with the
// semantics Windows' private-profile functions give, portable and thread-safe.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace core::ini {

// A settings file larger than this is not read (nor replaced by a write).
constexpr int64_t kMaxSettingsFileBytes = int64_t{64} << 20;

// Why a file cannot serve as a settings file ("not a regular file", "larger than 64 MB"), or
// "" when it can (a file that does not exist yet can). Such a file reads as empty and is never
// written.
std::string UnusableReason(const std::string& file);

// Reads a value: section and key match without regard to case; the first match wins.
// Surrounding blanks, and one pair of matching quotes around the value, are removed.
// Returns the value cut to maxLen characters, or `def` when the key (or the file) is absent.
std::string ReadString(const std::string& file, const std::string& section, const std::string& key,
                       const std::string& def, size_t maxLen = std::string::npos);
// True when the key exists in the section.
bool HasKey(const std::string& file, const std::string& section, const std::string& key);
// Reads an integer: an optional "-", then decimal digits accumulated modulo 2^32 and taken
// as a signed 32-bit number; the first other character ends it. `def` when the key is absent.
int32_t ReadInt(const std::string& file, const std::string& section, const std::string& key, int32_t def);
// The integer rule above applied to a text (no digits give 0).
int32_t ParseInt(const std::string& text);

// Writes a value, creating the file, the section and the key as needed. A null value deletes
// the key; a null key deletes the whole section. The file is replaced in one step under a lock
// shared with other processes, and not rewritten when nothing changes. Returns false when the
// file could not be written.
bool Write(const std::string& file, const std::string& section, const char* key, const char* value);
// Writes an integer the way the program stores them: as an unsigned 32-bit decimal ("%u").
bool WriteUnsigned(const std::string& file, const std::string& section, const std::string& key, int64_t value);

// The names of every section of the file, in file order (each once).
std::vector<std::string> SectionNames(const std::string& file);
// The keys of the first section of that name, in file order (each once).
std::vector<std::string> KeyNames(const std::string& file, const std::string& section);

}  // namespace core::ini
