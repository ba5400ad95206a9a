// The two list editors driven as a user drives them, and the files they write.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/settings.h"
#include "support/temp_dir.h"
#include "transfer/list_editors.h"
#include "transfer/rules.h"

using testing_support::ReadFile;
using testing_support::TempDir;

namespace {
std::vector<std::string> Items(const ui::ListBox& l) {
  std::vector<std::string> out;
  for (int i = 0; i < l.Count(); ++i) out.push_back(l.Text(i));
  return out;
}
}  // namespace

TEST(ListEditors, AsciiExtensions) {
  TempDir dir;
  core::Files().extensionListFile = dir.File("MIRVAN.EXT");
  core::Settings().Reset();
  ui::MemoryEdit entry;
  ui::MemoryListBox list(true);
  transfer::AsciiExtensionsEditor ed(entry, list);
  ed.Open();
  EXPECT_EQ(Items(list), std::vector<std::string>{".TXT"});  // no file yet
  for (const char* text : {".html", ".HTML", "x", ".c", ".verylongone"}) {
    entry.SetText(text);
    ed.Add();
  }
  EXPECT_EQ(Items(list), (std::vector<std::string>{".c", ".html", ".TXT", ".verylong"}));
  list.SetCurSel(0);
  ed.Select();
  EXPECT_EQ(entry.Text(), ".c");
  ed.Delete();
  ASSERT_TRUE(ed.Exit());
  std::string written = ReadFile(dir.File("MIRVAN.EXT"));
  written.erase(std::remove(written.begin(), written.end(), '\r'), written.end());
  EXPECT_EQ(written, ".html\n.TXT\n.verylong\n");
  EXPECT_EQ(transfer::IsAsciiExtension("index.HTML"), 1);  // the list now drives the ASCII test
  ed.Open();
  EXPECT_EQ(list.Count(), 3);
}

TEST(ListEditors, Conversions) {
  TempDir dir;
  core::Files().conversionListFile = dir.Write("MIRVAN.CNV", "html=htm\nbad\nx=\njpeg=" + std::string(30, 'j') + "\n");
  ui::MemoryEdit source, dest;
  ui::MemoryListBox list(true);
  transfer::ConversionsEditor ed(source, dest, list);
  ed.Open();
  EXPECT_EQ(Items(list), (std::vector<std::string>{"html=htm", "jpeg=" + std::string(20, 'j'), "x="}));
  source.SetText("HTML");
  dest.SetText("HTM");
  ed.Add();  // replaces the pair for the same source
  source.SetText("");
  dest.SetText("nothing");
  ed.Add();  // an empty source adds nothing
  EXPECT_EQ(Items(list), (std::vector<std::string>{"HTML=HTM", "jpeg=" + std::string(20, 'j'), "x="}));
  list.SetCurSel(0);
  ed.Select();
  EXPECT_EQ(source.Text(), "HTML");
  EXPECT_EQ(dest.Text(), "HTM");
  source.SetText("jpeg");
  ed.Delete();
  ASSERT_TRUE(ed.Exit());
  std::string written = ReadFile(dir.File("MIRVAN.CNV"));
  written.erase(std::remove(written.begin(), written.end(), '\r'), written.end());
  EXPECT_EQ(written, "HTML=HTM\nx=\n");
}
