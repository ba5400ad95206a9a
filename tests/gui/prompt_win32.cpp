// The prompt dialogs under Wine: typed into, F1 pressed, Ok clicked, the answer read back.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "core/app_state.h"
#include "core/prompts.h"
#include "app/front_end_win32.h"
#include "core/shell_win32.h"
#include "resources/resource.h"
#include "support/dialog_script_win32.h"
#include "support/ports.h"

namespace {

// Types as a user does: one character message per key into the focused field.
void Type(HWND field, const char* text) {
  for (const char* c = text; *c; ++c) SendMessageA(field, WM_CHAR, static_cast<unsigned char>(*c), 0);
}

// The real prompt dialogs, with help requests recorded instead of opening the help window.
class PromptFrontEnd : public app::Win32FrontEnd {
 public:
  void ShowHelp(const std::string& file, int context) override {
    if (testing_support::TestFront().help) testing_support::TestFront().help->Show(file, context);
  }
};

class PromptDialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    core::App().appInstance = GetModuleHandleA(nullptr);
    static PromptFrontEnd frontEnd;
    ui::InstallFrontEnd(&frontEnd);
    core::Prompts().Reset();
  }
  void TearDown() override {
    ui::InstallFrontEnd(nullptr);
  }
};

TEST_F(PromptDialogs, TypeIntoTheFieldAndPressOk) {
  testing_support::RecordingHelp help;  // replaces the help window
  std::string name = "old.txt";
  testing_support::ScheduleDialogScript("Input", [](HWND d) {
    char prompt[128] = "";
    GetDlgItemTextA(d, IDC_PROMPT, prompt, sizeof prompt);
    EXPECT_STREQ(prompt, "Enter new name for \"old.txt\":");
    HWND field = GetDlgItem(d, IDC_INPUT);
    EXPECT_EQ(GetFocus(), field);
    // The initial text is selected whole, so typing replaces it.
    Type(field, "new name.txt");
    // F1 in the field, then Ok, through the dialog's own message loop.
    PostMessageA(field, WM_KEYDOWN, VK_F1, 0);
    PostMessageA(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(d, IDOK)));
  });
  core::Prompts().currentHelpContext = 640;
  EXPECT_EQ(core::GetInputString(&name, "Enter new name for \"%s\":", "old.txt"), 1);
  EXPECT_TRUE(testing_support::DialogScriptRan());
  EXPECT_EQ(name, "new name.txt");
  EXPECT_EQ(core::Prompts().inputBuffer, "new name.txt");
  EXPECT_EQ(help.contexts, std::vector<int>{640});
  EXPECT_EQ(core::Prompts().currentHelpContext, 0);
}

TEST_F(PromptDialogs, PasswordCancelAndLongAnswer) {
  std::string pw = "keep";
  testing_support::ScheduleDialogScript("Password", [](HWND d) {
    HWND field = GetDlgItem(d, IDC_INPUT);
    EXPECT_NE(GetWindowLongA(field, GWL_STYLE) & ES_PASSWORD, 0);
    Type(field, "typed");
    SendMessageA(d, WM_CLOSE, 0, 0);  // the close box is Cancel
  });
  EXPECT_EQ(core::GetInputPassword(pw, "Need a password:"), 0);
  EXPECT_TRUE(testing_support::DialogScriptRan());
  EXPECT_EQ(pw, "keep");
  EXPECT_EQ(core::Prompts().inputBuffer, "keep");

  testing_support::ScheduleDialogScript("Input", [](HWND d) {
    SetDlgItemTextA(d, IDC_INPUT, std::string(90, 'a').c_str());
    SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  });
  EXPECT_EQ(core::GetInputString(nullptr, "Enter command line:"), 1);
  EXPECT_EQ(core::Prompts().inputBuffer, std::string(69, 'a'));
}

std::vector<std::string> History() { return {"/pub", "/etc", "/pub", "/home"}; }

TEST_F(PromptDialogs, ComboListsEachDirectoryOnceSorted) {
  core::SetPromptHistorySource(History);
  testing_support::ScheduleDialogScript("Input", [](HWND d) {
    HWND combo = GetDlgItem(d, IDC_INPUTCOMBO);
    ASSERT_NE(combo, nullptr);
    std::vector<std::string> items;
    int n = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
      char item[64] = "";
      SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
      items.push_back(item);
    }
    EXPECT_EQ(items, (std::vector<std::string>{"/etc", "/home", "/pub"}));
    SetWindowTextA(combo, "/not/listed");
    SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  });
  EXPECT_EQ(core::GetInputCombo("/pub", "Enter remote directory name:"), 1);
  core::SetPromptHistorySource(nullptr);
  EXPECT_TRUE(testing_support::DialogScriptRan());
  EXPECT_EQ(core::Prompts().inputBuffer, "/not/listed");
}

}  // namespace
