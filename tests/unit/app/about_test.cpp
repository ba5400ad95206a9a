// The about box's texts for old and new machines, and the drawn pictures' file formats.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/about.h"

namespace {

using app::MachineFacts;

constexpr uint64_t kKiB = 1024, kGiB = kKiB * kKiB * kKiB;

struct AboutCase {
  const char* name;
  MachineFacts facts;
  const char* platform;
  const char* memory;
  const char* disk;
};

MachineFacts Facts(unsigned version, int threads, unsigned cpus, unsigned type, unsigned arch, uint64_t total,
                   uint64_t avail, uint64_t disk) {
  MachineFacts f;
  f.versionWord = version;
  f.threadsAvailable = threads;
  f.processors = cpus;
  f.processorType = type;
  f.architecture = arch;
  f.totalMemory = total;
  f.availableMemory = avail;
  f.freeDisk = disk;
  return f;
}

TEST(AboutBox, LinesForOldAndNewMachines) {
  const AboutCase cases[] = {
      {"NT 3.51, one 486", Facts(0x3303, 1, 1, 486, app::kArchIntel, 16 << 20, 5 << 20, 200 << 20),
       "Windows NT (threaded)  - 1 486 CPU", "Tot:16384k Avl:5120k", "204800 KB Free"},
      {"Windows 95 (major 4), Pentium", Facts(0xC3B60004, 1, 1, 586, app::kArchIntel, 8 << 20, 1 << 20, 0),
       "Windows 95 (threaded)  - 1 Pentium CPU", "Tot:8192k Avl:1024k", "0 KB Free"},
      {"Win32s: no threads, fixed memory line", Facts(0x80000003, 0, 1, 386, app::kArchIntel, 4 << 20, 0, 0),
       "Win32s  - 1 386 CPU", "1024 KB Free", "0 KB Free"},
      {"two Alpha processors", Facts(0x3303, 1, 2, 21064, 2, 0, 0, 0), "Windows NT (threaded)  - 2 A21064 CPUs",
       "Tot:0k Avl:0k", "0 KB Free"},
      {"Windows 10 x86-64, 16 GB, 500 GB free",
       Facts(0x4A61000A, 1, 8, 8664, app::kArchAmd64, 16 * kGiB, 9 * kGiB + 512 * kKiB * kKiB, 500 * kGiB),
       "Windows NT (threaded)  - 8 x86-64 CPUs", "Tot:16777216k Avl:9961472k", "524288000 KB Free"},
      {"32-bit program on a 64-bit machine names the machine", Facts(0x0A, 1, 4, 586, app::kArchAmd64, 0, 0, 0),
       "Windows NT (threaded)  - 4 x86-64 CPUs", "Tot:0k Avl:0k", "0 KB Free"},
      {"ARM64 with 64 GB and 4 GB + 1 KB free",
       Facts(0x0A, 1, 12, 0, app::kArchArm64, 64 * kGiB, 63 * kGiB, 4 * kGiB + kKiB),
       "Windows NT (threaded)  - 12 ARM64 CPUs", "Tot:67108864k Avl:66060288k", "4194305 KB Free"},
      {"a processor code without a name", Facts(0x0A, 1, 1, 2200, 6, 0, 0, 0), "Windows NT (threaded)  - 1 unknown CPU",
       "Tot:0k Avl:0k", "0 KB Free"},
  };
  for (const AboutCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(app::AboutPlatformLine(c.facts), c.platform);
    EXPECT_EQ(app::AboutMemoryLine(c.facts), c.memory);
    EXPECT_EQ(app::AboutDiskLine(c.facts), c.disk);
  }
  EXPECT_EQ(app::AboutVersionLine(), "Version 3.00, Release 96.04.27");
}

TEST(AboutBox, ColourTableEntries) {
  EXPECT_EQ(app::ColourTableEntries(1, 0), 2u);
  EXPECT_EQ(app::ColourTableEntries(4, 0), 16u);
  EXPECT_EQ(app::ColourTableEntries(8, 0), 256u);
  EXPECT_EQ(app::ColourTableEntries(24, 0), 0u);
  EXPECT_EQ(app::ColourTableEntries(8, 20), 20u);  // the header's count wins
  EXPECT_EQ(app::ColourTableEntries(24, 16), 16u);
}

// ---- The drawn pictures, as the build writes them ----

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::vector<uint8_t> data;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    uint8_t buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) data.insert(data.end(), buf, buf + n);
    std::fclose(f);
  }
  return data;
}

uint32_t U32(const std::vector<uint8_t>& d, size_t at) {
  return d[at] | d[at + 1] << 8 | d[at + 2] << 16 | static_cast<uint32_t>(d[at + 3]) << 24;
}
uint16_t U16(const std::vector<uint8_t>& d, size_t at) { return static_cast<uint16_t>(d[at] | d[at + 1] << 8); }

struct Dib {
  uint32_t headerSize, width, height, compression, sizeImage, coloursUsed, pixelOffset;
  uint16_t planes, bits;
};

// The file header and the 40-byte info header; fails the test when the file is not a bitmap file.
Dib ReadDib(const std::vector<uint8_t>& d) {
  Dib b{};
  EXPECT_GE(d.size(), 54u);
  if (d.size() < 54) return b;
  EXPECT_EQ(d[0], 'B');
  EXPECT_EQ(d[1], 'M');
  EXPECT_EQ(U32(d, 2), d.size());
  b.pixelOffset = U32(d, 10);
  b.headerSize = U32(d, 14);
  b.width = U32(d, 18);
  b.height = U32(d, 22);
  b.planes = U16(d, 26);
  b.bits = U16(d, 28);
  b.compression = U32(d, 30);
  b.sizeImage = U32(d, 34);
  b.coloursUsed = U32(d, 46);
  return b;
}

// Decodes RLE8 data: returns the rows' lengths, or an empty list when the data is malformed
// (a row running past the width, an escape past the end, no end-of-bitmap where the data ends).
std::vector<unsigned> Rle8RowLengths(const uint8_t* p, size_t size, unsigned width) {
  std::vector<unsigned> rows;
  unsigned x = 0;
  size_t i = 0;
  while (i + 1 < size) {
    uint8_t count = p[i], value = p[i + 1];
    i += 2;
    if (count > 0) {
      x += count;
    } else if (value == 0) {  // end of line
      rows.push_back(x);
      x = 0;
    } else if (value == 1) {  // end of bitmap
      rows.push_back(x);
      return i == size ? rows : std::vector<unsigned>{};
    } else if (value == 2) {  // a move is not used by our pictures
      return {};
    } else {                  // absolute run, padded to a word
      i += value + (value & 1);
      if (i > size) return {};
      x += value;
    }
    if (x > width) return {};
  }
  return {};
}

TEST(Pictures, SplashAndAboutBitmapsHaveTheirFormats) {
  std::vector<uint8_t> corv = ReadFile(std::string(MIRVAN_ART_DIR) + "/corv.bmp");
  ASSERT_FALSE(corv.empty()) << "corv.bmp was not drawn";
  Dib s = ReadDib(corv);
  EXPECT_EQ(s.headerSize, 40u);
  EXPECT_EQ(s.width, 176u);
  EXPECT_EQ(s.height, 70u);
  EXPECT_EQ(s.planes, 1u);
  EXPECT_EQ(s.bits, 4u);
  EXPECT_EQ(s.compression, 0u);  // uncompressed
  EXPECT_EQ(app::ColourTableEntries(s.bits, s.coloursUsed), 16u);
  EXPECT_EQ(s.pixelOffset, 14u + 40u + 16u * 4u);
  EXPECT_EQ(corv.size() - s.pixelOffset, 88u * 70u);  // 176 pixels of 4 bits: 88 bytes a row

  std::vector<uint8_t> mv = ReadFile(std::string(MIRVAN_ART_DIR) + "/mvbmp.bmp");
  ASSERT_FALSE(mv.empty()) << "mvbmp.bmp was not drawn";
  Dib a = ReadDib(mv);
  EXPECT_EQ(a.headerSize, 40u);
  EXPECT_EQ(a.width, 159u);
  EXPECT_EQ(a.height, 172u);
  EXPECT_EQ(a.bits, 8u);
  EXPECT_EQ(a.compression, 1u);  // run-length encoded, 8 bits
  EXPECT_EQ(app::ColourTableEntries(a.bits, a.coloursUsed), 256u);
  ASSERT_EQ(a.pixelOffset, 14u + 40u + 256u * 4u);
  ASSERT_EQ(a.sizeImage, mv.size() - a.pixelOffset);
  std::vector<unsigned> rows = Rle8RowLengths(mv.data() + a.pixelOffset, a.sizeImage, a.width);
  ASSERT_EQ(rows.size(), 172u) << "the run-length data is malformed or has the wrong number of rows";
  for (size_t r = 0; r < rows.size(); ++r) EXPECT_EQ(rows[r], 159u) << "row " << r;
  EXPECT_LT(a.sizeImage, 159u * 172u) << "the compression should make the picture smaller";
}

TEST(Pictures, IconHasThreeSizesOf32BitImages) {
  std::vector<uint8_t> ico = ReadFile(std::string(MIRVAN_ART_DIR) + "/mirvan.ico");
  ASSERT_GE(ico.size(), 6u + 3 * 16u);
  EXPECT_EQ(U16(ico, 0), 0u);
  EXPECT_EQ(U16(ico, 2), 1u);  // an icon
  ASSERT_EQ(U16(ico, 4), 3u);
  const unsigned sizes[] = {16, 32, 48};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(sizes[i]);
    size_t e = 6 + 16 * i;
    EXPECT_EQ(ico[e], sizes[i]);
    EXPECT_EQ(ico[e + 1], sizes[i]);
    EXPECT_EQ(U16(ico, e + 6), 32u);
    uint32_t bytes = U32(ico, e + 8), offset = U32(ico, e + 12);
    ASSERT_LE(static_cast<size_t>(offset) + bytes, ico.size());
    // The image: its info header (twice the height: colours and mask), the pixels, the mask.
    EXPECT_EQ(U32(ico, offset), 40u);
    EXPECT_EQ(U32(ico, offset + 4), sizes[i]);
    EXPECT_EQ(U32(ico, offset + 8), 2 * sizes[i]);
    EXPECT_EQ(U16(ico, offset + 14), 32u);
    unsigned maskStride = (sizes[i] + 31) / 32 * 4;
    EXPECT_EQ(bytes, 40 + sizes[i] * sizes[i] * 4 + maskStride * sizes[i]);
  }
}

}  // namespace
