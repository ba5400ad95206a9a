// Loaded into MIRVAN32.exe by the GUI tests to do there what only that process can: drop files
// on its window as the desktop does, and name the cursors it uses.
#include <windows.h>
#include <shlobj.h>

// `param`: the window handle (8 bytes), then the paths, each ending in a zero, then one more zero.
// Posts a WM_DROPFILES whose DROPFILES block is global memory of this process. 0 when posted.
extern "C" __declspec(dllexport) DWORD WINAPI PostDrop(void* param) {
  const char* p = static_cast<const char*>(param);
  HWND window;
  CopyMemory(&window, p, sizeof window);
  const char* names = p + 8;
  SIZE_T chars = 1;
  while (names[chars - 1] != '\0' || names[chars] != '\0') ++chars;
  ++chars;
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + chars);
  if (!h) return 1;
  auto* drop = static_cast<DROPFILES*>(GlobalLock(h));
  drop->pFiles = sizeof(DROPFILES);
  drop->pt.x = 40;
  drop->pt.y = 40;
  drop->fWide = FALSE;
  CopyMemory(drop + 1, names, chars);
  GlobalUnlock(h);
  return PostMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(h), 0) ? 0 : 2;
}

// `param`: a cursor resource name of the program. Its shared handle there (the one the program
// itself gets), in the low 32 bits that window handles and cursor handles use.
extern "C" __declspec(dllexport) DWORD WINAPI ProgramCursor(void* param) {
  HCURSOR c = LoadCursorA(GetModuleHandleA(nullptr), static_cast<const char*>(param));
  return static_cast<DWORD>(reinterpret_cast<UINT_PTR>(c));
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
