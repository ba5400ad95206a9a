// The about box's texts: version, platform and processor, memory and free disk space.
#include "app/about.h"

#include "app/startup.h"

namespace app {
namespace {

// Decimal digits of a 64-bit count, the whole value.
std::string Decimal(uint64_t value) {
  char digits[24];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value);
  std::string text;
  while (n) text += digits[--n];
  return text;
}

}  // namespace

std::string AboutVersionLine() {
  return std::string("Version ") + kProgramVersion + ", Release " + kReleaseDate;
}

std::string ProcessorName(unsigned architecture, unsigned processorType) {
  if (architecture == kArchAmd64) return "x86-64";
  if (architecture == kArchArm64) return "ARM64";
  switch (processorType) {
    case 386: return "386";
    case 486: return "486";
    case 586: return "Pentium";
    case 21064: return "A21064";
    case 8664: return "x86-64";
    default: return "unknown";
  }
}

std::string AboutPlatformLine(const MachineFacts& facts) {
  std::string line;
  if ((facts.versionWord & 0x0F) == 4) line = "Windows 95 ";
  else if (facts.threadsAvailable == 1) line = "Windows NT ";
  else line = "Win32s ";
  if (facts.threadsAvailable == 1) line += "(threaded) ";
  line += " - " + Decimal(facts.processors) + " ";
  line += ProcessorName(facts.architecture, facts.processorType);
  line += facts.processors == 1 ? " CPU" : " CPUs";
  return line;
}

std::string AboutMemoryLine(const MachineFacts& facts) {
  if (facts.threadsAvailable != 1) return "1024 KB Free";
  return "Tot:" + Decimal(facts.totalMemory >> 10) + "k Avl:" + Decimal(facts.availableMemory >> 10) + "k";
}

std::string AboutDiskLine(const MachineFacts& facts) {
  return Decimal(facts.freeDisk >> 10) + " KB Free";
}

unsigned ColourTableEntries(unsigned bitCount, unsigned coloursUsed) {
  if (coloursUsed != 0) return coloursUsed;
  switch (bitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
  }
}

}  // namespace app
