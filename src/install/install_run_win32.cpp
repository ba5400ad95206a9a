// The installation itself: source and destination prompts, directory creation, the copy
// dialog, the settings-file question, the program group and the final message.
#include <cstdarg>
#include <cstdio>
#include <vector>

#include "install/install_resource.h"
#include "install/install_rules.h"
#include "install/install_win32.h"
#include "install/shell_group_win32.h"

namespace install {

InstallerState installer;

namespace {

constexpr int kMaxAnswer = 512;

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::vector<char> buffer(n > 0 ? n + 1 : 1);
  std::vsnprintf(buffer.data(), buffer.size(), format, args);
  va_end(args);
  return buffer.data();
}

bool FileExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string CurrentDirectory() {
  char buffer[MAX_PATH + 1] = "";
  DWORD n = GetCurrentDirectoryA(sizeof buffer, buffer);
  return n > 0 && n < sizeof buffer ? buffer : "";
}

std::string ModulePath() {
  std::vector<char> buffer(MAX_PATH + 1);
  for (;;) {
    DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return "";
    if (n < buffer.size() - 1) return std::string(buffer.data(), n);
    buffer.resize(buffer.size() * 2);
  }
}

// Centres a dialog over the main window's client area while that is visible and not
// minimised, otherwise over the desktop; never above or left of the screen origin.
void CentreDialog(HWND dialog) {
  RECT area;
  HWND main = installer.mainWindow;
  if (main && IsWindow(main) && IsWindowVisible(main) && !IsIconic(main)) {
    GetClientRect(main, &area);
    MapWindowPoints(main, nullptr, reinterpret_cast<POINT*>(&area), 2);
  } else {
    GetWindowRect(GetDesktopWindow(), &area);
  }
  RECT own;
  GetWindowRect(dialog, &own);
  int width = own.right - own.left, height = own.bottom - own.top;
  int left = area.left + ((area.right - area.left) - width) / 2;
  int top = area.top + ((area.bottom - area.top) - height) / 2;
  SetWindowPos(dialog, nullptr, left < 0 ? 0 : left, top < 0 ? 0 : top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

struct AskTextData {
  const std::string* prompt;
  const std::string* initial;
  std::string answer;
};

INT_PTR CALLBACK AskTextProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      auto* data = reinterpret_cast<AskTextData*>(lParam);
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      SetDlgItemTextA(dialog, IDC_INSTALL_PROMPT, data->prompt->c_str());
      SendDlgItemMessageA(dialog, IDC_INSTALL_TEXT, EM_LIMITTEXT, kMaxAnswer, 0);
      SetDlgItemTextA(dialog, IDC_INSTALL_TEXT, data->initial->c_str());
      CentreDialog(dialog);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        auto* data = reinterpret_cast<AskTextData*>(GetWindowLongPtrA(dialog, DWLP_USER));
        char text[kMaxAnswer + 1] = "";
        GetDlgItemTextA(dialog, IDC_INSTALL_TEXT, text, sizeof text);
        data->answer = text;
        EndDialog(dialog, 1);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 0);
        return TRUE;
      }
      break;
    case WM_CLOSE:
      EndDialog(dialog, 0);
      return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK CopyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      CentreDialog(dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) {
        installer.cancelFlag = true;
        return TRUE;
      }
      break;
    case WM_CLOSE:
      installer.cancelFlag = true;
      return TRUE;
  }
  return FALSE;
}

void ShowError(HWND owner, const std::string& text, const char* caption) {
  MessageBoxA(owner, text.c_str(), caption, MB_OK | MB_ICONSTOP);
}

// Settles the distribution directory (ending in a separator); false when the user gives up.
bool FindSource(HWND main, std::string* source) {
  std::string dir;
  if (FileExists(kClientFile)) {
    dir = CurrentDirectory();
  } else {
    dir = SourceFromModulePath(ModulePath());
  }
  for (;;) {
    dir = WithTrailingBackslash(dir);
    if (!dir.empty() && FileExists(dir + kClientFile)) break;
    std::string answer;
    if (!AskText(main, "Can't locate source directory, please point me to it!", dir, &answer)) {
      MessageBoxA(main, "Can't continue with no source.", kClientFile, MB_OK | MB_ICONSTOP);
      return false;
    }
    dir = answer;
  }
  *source = dir;
  return true;
}

// Asks for the destination until it exists or the user cancels.
bool ChooseDestination(HWND main, std::string* dest) {
  std::string dir = kDefaultDestination;
  for (;;) {
    std::string answer;
    if (!AskText(main, "Enter the destination directory:", dir, &answer)) return false;
    dir = answer;
    if (CreateDirectoryPath(dir)) break;
    ShowError(main, "Failed to create requested directory!", "MIRVAN32");
  }
  *dest = dir;
  return true;
}

// Copies the seven files and decides the settings file, with the copy dialog open.
bool CopyDistribution(HWND main, const std::string& source, const std::string& dest) {
  installer.cancelFlag = false;
  installer.copyDialog = CreateDialogParamA(installer.instance, "DLG_COPY", main, CopyDialogProc, 0);
  HWND dialog = installer.copyDialog;
  HWND status = dialog ? GetDlgItem(dialog, IDC_INSTALL_TEXT) : nullptr;
  if (dialog) ShowWindow(dialog, SW_SHOW);
  PumpMessages();

  bool ok = dialog != nullptr;
  for (int i = 0; ok && i < kCopyCount; ++i) {
    if (CopyOneFile(source, kCopyList[i], dest, dialog, status) != 0) ok = false;
    // Cancel pressed while this file was copied is seen here, before the next one starts.
    PumpMessages();
    if (installer.cancelFlag) ok = false;
  }

  if (ok) {
    bool copySettings = true;
    if (FileExists(dest + "\\" + kSettingsFile)) {
      int answer = MessageBoxA(dialog,
                               "You have an INI file in the destination directory.\n"
                               "Do you want to overwrite it with the distribution version?",
                               "MIRVAN32", MB_YESNO | MB_ICONQUESTION);
      copySettings = answer == IDYES;
    }
    if (copySettings) {
      if (CopyOneFile(source, kSettingsFile, dest, dialog, status) != 0) ok = false;
      PumpMessages();
      if (installer.cancelFlag) ok = false;
    }
  }

  if (status) SetWindowTextA(status, "Creating group and icons.");
  SetActiveWindow(main);
  if (dialog) DestroyWindow(dialog);
  installer.copyDialog = nullptr;
  PumpMessages();
  return ok;
}

}  // namespace

void PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    if (installer.copyDialog && IsDialogMessageA(installer.copyDialog, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

bool CreateDirectoryPath(const std::string& path) {
  if (CreateDirectoryA(path.c_str(), nullptr)) return true;
  DWORD error = GetLastError();
  if (error == ERROR_ALREADY_EXISTS) return true;
  std::string parent;
  bool ok = false;
  if (ParentDirectory(path, &parent) && CreateDirectoryPath(parent)) {
    // The parent exists now; this attempt decides (a path written with a trailing
    // separator names the directory just made, which is no failure).
    ok = CreateDirectoryA(path.c_str(), nullptr) != 0;
    error = GetLastError();
    if (!ok && error == ERROR_ALREADY_EXISTS) ok = true;
  }
  if (!ok) ShowError(installer.mainWindow, Format("Creation of %s failed. (%u)", path.c_str(), error), "Install");
  return ok;
}

int CopyOneFile(const std::string& sourceDir, const char* name, const std::string& destDir, HWND owner, HWND status) {
  if (status) {
    SetWindowTextA(status, Format("Copying %s%s to %s\\%s", sourceDir.c_str(), name, destDir.c_str(), name).c_str());
  }
  std::string from = sourceDir + name;
  std::string to = destDir + "\\" + name;
  PumpMessages();
  if (CopyFileA(from.c_str(), to.c_str(), FALSE)) return 0;
  DWORD error = GetLastError();
  PumpMessages();
  ShowError(owner, Format("Copy of %s to %s failed. (%u)", name, destDir.c_str(), error), "Install");
  return 1;
}

bool AskText(HWND owner, const std::string& prompt, const std::string& initial, std::string* result) {
  AskTextData data{&prompt, &initial, ""};
  INT_PTR answer =
      DialogBoxParamA(installer.instance, "DLG_INPUT", owner, AskTextProc, reinterpret_cast<LPARAM>(&data));
  if (answer != 1) return false;
  *result = data.answer;
  return true;
}

bool RunInstallation(HWND main) {
  PumpMessages();
  std::string source, dest;
  bool ok = FindSource(main, &source);
  PumpMessages();
  if (ok) ok = ChooseDestination(main, &dest);
  PumpMessages();
  if (ok) ok = CopyDistribution(main, source, dest);
  if (ok) {
    if (ShellGroupBegin("MIRVAN")) {
      ShellGroupAddItem("MIRVAN32", dest, "MIRVAN32.exe", "");
      ShellGroupAddItem("Help", dest, "MIRVAN.hlp", "");
      ShellGroupAddItem("Release Notes", dest, "whatsnew.txt", "");
      ShellGroupEnd();
    } else {
      ok = false;
    }
  }
  PumpMessages();
  if (ok) {
    MessageBoxA(main, "Installation successful!", "MIRVAN32", MB_OK);
  } else {
    ShowError(main, "Some portion of installation process failed.", "MIRVAN32");
  }
  return ok;
}

}  // namespace install
