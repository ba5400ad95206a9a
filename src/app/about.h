// The about box's texts and the bitmap header rules shared by the about box and the splash window.
#pragma once
#include <cstdint>
#include <string>

namespace app {

constexpr const char* kReleaseDate = "96.04.27";
constexpr const char* kAboutTitle = "MIRVAN32 - File Transfer Client for Windows";

// What the about box shows about the machine, as the Win32 shell finds it out.
struct MachineFacts {
  unsigned versionWord = 0;       // GetVersion's layout: major version in the low byte's low four bits
  int threadsAvailable = 1;       // 0 on the 16-bit hosted subset
  unsigned processors = 1;        // number of processors
  unsigned processorType = 0;     // the old processor code: 386, 486, 586, 21064, 8664...
  unsigned architecture = 0xFFFF; // the machine's native architecture (kArch* below)
  uint64_t totalMemory = 0;       // physical memory in bytes
  uint64_t availableMemory = 0;   // available physical memory in bytes
  uint64_t freeDisk = 0;          // free bytes on the current drive
};

// Native architectures, by the platform's processor-architecture numbers.
constexpr unsigned kArchIntel = 0, kArchArm = 5, kArchAmd64 = 9, kArchArm64 = 12, kArchUnknown = 0xFFFF;

// "Version 3.00, Release 96.04.27".
std::string AboutVersionLine();
// The platform and processor line: "Windows 95 " / "Windows NT " / "Win32s ", "(threaded) ",
// " - <n> ", the processor's name, " CPU" or " CPUs".
std::string AboutPlatformLine(const MachineFacts& facts);
// The processor's name: x86-64 and ARM64 by the native architecture, else the old codes
// (386, 486, Pentium, A21064), else "unknown".
std::string ProcessorName(unsigned architecture, unsigned processorType);
// "Tot:<n>k Avl:<n>k" in whole kilobytes without wrapping; "1024 KB Free" on the subset without threads.
std::string AboutMemoryLine(const MachineFacts& facts);
// "<n> KB Free", whole kilobytes without wrapping.
std::string AboutDiskLine(const MachineFacts& facts);

// The number of colour-table entries of a device-independent bitmap: the header's count of
// colours used when it is not 0, else by bits per pixel (1: 2, 4: 16, 8: 256, other: 0).
unsigned ColourTableEntries(unsigned bitCount, unsigned coloursUsed);

}  // namespace app
