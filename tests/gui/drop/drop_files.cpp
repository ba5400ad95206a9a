// Loaded into MIRVAN32.exe by the GUI tests: drops files on a window of that process as the
// desktop does, with a WM_DROPFILES whose DROPFILES block is global memory of the receiver.
#include <windows.h>
#include <shlobj.h>

// `param`: the window handle (8 bytes), then the paths, each ending in a zero, then one more zero.
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

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
