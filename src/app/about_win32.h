// The splash window shown during start-up and the about box; both paint a bitmap of the resources.
#pragma once
#include <windows.h>

#include "app/about.h"

namespace app {

// Registers "MIRVANSPLASH", shows the splash window on top and keeps start-up waiting for at
// least one second while it dispatches the thread's messages (sleeping between them). Returns
// the window, or nullptr when it could not be created (after telling the user).
HWND ShowSplash(HINSTANCE instance);
// Destroys the splash window when it exists; safe to call more than once.
void DestroySplash();

// Runs the about box modally over `owner`; 1 for OK, 0 for Cancel or the close box.
int ShowAboutBox(HWND owner);
INT_PTR CALLBACK MV_AboutMsgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

// Paints the loaded bitmap over the whole client area of a frame control (nothing when no
// bitmap is loaded).
void PaintBitmap(HWND frame);
// Draws `text` centred on x with its top at y; returns y plus the text's height.
int DrawCenteredLine(HDC dc, int centreX, int top, const char* text);

// What this machine is: platform version, processors, memory, free space of the current drive.
MachineFacts GatherMachineFacts();

}  // namespace app
