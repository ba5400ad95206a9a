// The prompt calls' shared buffers and help context, and the help file and its contexts.
#include <gtest/gtest.h>

#include <cstdio>

#include "core/help.h"
#include "core/prompts.h"
#include "support/ports.h"

using core::PromptKind;
using testing_support::RecordingHelp;
using testing_support::ScriptedPrompts;

TEST(Prompts, BuffersAndHelpContext) {
  core::Prompts().Reset();
  EXPECT_EQ(core::Prompts().promptText, "input:");
  ScriptedPrompts script;
  script.answers = {{true, "first answer"}, {true, "typed"}, {false, "ignored"}, {true, std::string(80, 'z')}};

  core::Prompts().currentHelpContext = 180;
  EXPECT_EQ(core::GetInputString(nullptr, "Enter remote directory name:"), 1);
  EXPECT_EQ(core::Prompts().inputBuffer, "first answer");
  EXPECT_EQ(core::Prompts().currentHelpContext, 0);

  // Without a buffer the field starts empty even after an earlier answer.
  EXPECT_EQ(core::GetInputString(nullptr, "Enter %s:", "x"), 1);
  EXPECT_EQ(script.asked[1].initial, "");
  EXPECT_EQ(script.asked[1].promptText, "Enter x:");

  // Cancel leaves the caller's buffer alone and the input buffer at the initial text.
  std::string name = "old.txt";
  EXPECT_EQ(core::GetInputString(&name, "Enter new name for \"%s\":", "old.txt"), 0);
  EXPECT_EQ(name, "old.txt");
  EXPECT_EQ(core::Prompts().inputBuffer, "old.txt");

  // Answers are cut at 69 characters.
  std::string pw;
  EXPECT_EQ(core::GetInputPassword(pw, "Need a password:"), 1);
  EXPECT_EQ(pw, std::string(69, 'z'));
  EXPECT_EQ(script.asked[0].helpContext, 180);
  EXPECT_EQ(script.asked[3].helpContext, 0);
  EXPECT_EQ(script.asked[3].kind, PromptKind::kPassword);
}

TEST(Prompts, NoPortMeansCancel) {
  std::string buf = "keep";
  EXPECT_EQ(core::GetInputString(&buf, "Enter command line:"), 0);
  EXPECT_EQ(buf, "keep");
}

TEST(Help, ContextRules) {
  RecordingHelp help;
  for (int ctx : {0, 5, 10, 11, 180, 0x10000 + 180, -3}) core::ShowHelp(ctx);
  EXPECT_EQ(help.contexts, (std::vector<int>{10, 10, 10, 11, 180, 180, 10}));
  core::QuitHelp();
  EXPECT_EQ(help.quits, 1);
}

TEST(Help, FileFormat) {
  core::HelpBook book = core::ParseHelpText(
      "# comment\nstray line\n@topic 10 Contents\r\nline one\r\n# hidden\r\n@topic 180 Directories\nCWD\n"
      "@topic x broken\nnowhere\n");
  ASSERT_EQ(book.topics.size(), 2u);
  EXPECT_EQ(book.Find(10)->title, "Contents");
  EXPECT_EQ(book.Find(10)->text, "line one\r\n");
  EXPECT_EQ(book.Find(180)->text, "CWD\r\n");
  EXPECT_EQ(book.Find(999)->title, "Contents");  // unknown topics show the contents
  core::HelpBook shipped;
  ASSERT_TRUE(core::LoadHelpFile(MIRVAN_TEST_DATA "/../../src/resources/MIRVAN.hlp", shipped));
  EXPECT_NE(shipped.Find(10), nullptr);
}

// Every help context the program names (HLP_* in the id header) has a topic of its own in the
// shipped help file, not the contents shown in its place.
TEST(HelpFile, EveryContextTheProgramNamesHasItsTopic) {
  core::HelpBook shipped;
  ASSERT_TRUE(core::LoadHelpFile(MIRVAN_TEST_DATA "/../../src/resources/MIRVAN.hlp", shipped));
  std::FILE* f = std::fopen(MIRVAN_TEST_DATA "/../../src/resources/resource.h", "r");
  ASSERT_NE(f, nullptr);
  char line[256];
  int contexts = 0;
  while (std::fgets(line, sizeof line, f)) {
    char name[128];
    int number = 0;
    if (std::sscanf(line, "#define HLP_%127s %d", name, &number) != 2) continue;
    ++contexts;
    EXPECT_EQ(shipped.topics.count(number), 1u) << "HLP_" << name << " (" << number << ") has no topic";
  }
  std::fclose(f);
  EXPECT_GT(contexts, 15);
}
