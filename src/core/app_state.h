// The process-wide state of the running client that start-up prepares and every part reads.
#pragma once
#include <atomic>
#include <mutex>
#include <string>

namespace core {

// Longest command line the client takes (the rest of the buffer is its terminating zero).
constexpr size_t kCommandLineMax = 511;

struct AppState {
  void* appInstance = nullptr;               // the program's instance handle (Win32 shell)
  std::atomic<void*> mainWindow{nullptr};    // the main window, empty until it exists
  int threadsAvailable = 1;                  // 0 on the 16-bit hosted subset: no worker thread
  unsigned buttonFaceColour = 0xC0C0C0;      // COLORREF of button faces
  int dialogUnitX = 8, dialogUnitY = 16;     // dialog base units in pixels
  int dialogUnitDpi = 96;                    // the DPI they were measured at (the system's)
  std::string commandLineBuffer;             // after the options: the remaining arguments
  int commandLineMode = 0;                   // 1: a command-line transfer runs minimised
  std::string startDirectory;                // the current directory right after the window is shown
  int savedSplitX = 0, savedSplitY = 0;      // splitter positions from the saved location
  std::atomic<void*> modelessDialog{nullptr}; // the open modeless dialog, or none
  void* splashWindow = nullptr;

  void Reset();
};

AppState& App();

// BusyFlag under BusyLock: 1 while a batch runs or the remote lists are being refreshed.
void SetBusy(int busy);
int IsBusy();
// Sets BusyFlag when it is clear, in one step; false (and nothing changed) when it was set.
bool TryTakeBusy();

// Holds BusyFlag for a scope: taken on construction when free (`taken()` says whether it
// was), released on destruction only when this scope took it.
class BusyScope {
 public:
  BusyScope() : taken_(TryTakeBusy()) {}
  ~BusyScope() {
    if (taken_) SetBusy(0);
  }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;
  bool taken() const { return taken_; }

 private:
  bool taken_;
};

// The saved window location (left, top, width, height, splitters) as start-up applies it.
struct WindowLocation {
  int left = 10, top = 10, width = 500, height = 440;
  int splitX = 0, splitY = 0;
};
// Applies a saved location text ("20,30,600,400[,splitX,splitY]") over `loc`:
// left, top and width only when a comma follows; height when a comma follows or it is the
// last field; the splitters only when a sixth field exists.
void ApplySavedLocation(const std::string& text, WindowLocation& loc);
// One field of the location text: leading blanks, an optional sign, decimal digits modulo 2^32
// as a signed 32-bit number; the first other character ends it; no digits give 0.
int ParseLocationField(const char* text);

// 1 when the arguments left after the options are longer than 3 characters.
int DecideCommandLineMode(const std::string& remaining);

// Whether the platform runs threads, from the version word (GetVersion's layout):
// 0 for a non-NT platform (high bit set) whose major version is below 4.
int ThreadsFromVersion(unsigned versionWord);

}  // namespace core
