// The transfer status dialog's logic: the total found in the status text, the percentage from
// each progress text, the bar's filled width, and the progress port that shows them in the
// dialog (HASH on) or in a pane's progress label (HASH off).
#pragma once
#include <cstdint>
#include <string>

#include "transfer/progress.h"
#include "ui/controls.h"

namespace app {

// The total named by a status text: the number right after the last "(" before the last ")"
// when "bytes" follows it, that number x 1024 when "k" follows instead; 0 when none.
int64_t TotalFromStatusText(const std::string& statusText);
// The byte count at the start of a progress text (up to its first blank); 0 when none.
int64_t BytesFromProgressText(const std::string& progressText);
// The percentage of `bytes` in `total` (may exceed 100); 0 when either is not above 0.
unsigned PercentOf(int64_t bytes, int64_t total);
// The bar's filled width in a client area this wide: the width rounded down to a multiple of
// 100, filled to the percentage (full at 100 and above, nothing at 0).
int FilledWidth(int clientWidth, unsigned percent);

// The dialog itself (DLG_ABORT), shown by the Win32 shell. Every call comes on the thread that
// runs the transfer; the shell marshals to the UI thread (posting, never waiting).
class StatusDialogView {
 public:
  virtual ~StatusDialogView() = default;
  virtual void Open(const std::string& statusText) = 0;   // control 831
  virtual void SetProgressText(const std::string& text) = 0;  // control 104
  // The bar (control 116): its text ("%u%%") and percentage; only called when a total is known.
  virtual void SetBar(const std::string& text, unsigned percent) = 0;
  virtual void Close() = 0;
};

// The progress port of the GUI: with HASH on the dialog shows the transfer; with HASH off the
// progress text goes to the local (sending) or remote (receiving) progress label.
class StatusProgressPort : public transfer::ProgressPort {
 public:
  StatusProgressPort(StatusDialogView* dialog, ui::Label* localLabel, ui::Label* remoteLabel)
      : dialog_(dialog), localLabel_(localLabel), remoteLabel_(remoteLabel) {}
  void Open(bool sending, const std::string& statusText) override;
  void SetProgress(const std::string& text) override;
  void Close() override;
  bool IsOpen() const override { return open_; }
  int64_t total() const { return total_; }
  unsigned percent() const { return percent_; }

 private:
  StatusDialogView* dialog_;
  ui::Label* localLabel_;
  ui::Label* remoteLabel_;
  ui::Label* label_ = nullptr;  // the label in use while HASH is off
  bool useDialog_ = false;
  bool open_ = false;
  int64_t total_ = 0;
  unsigned percent_ = 0;
};

// The dialog's Cancel: raises AbortFlag and shuts the data connection down so that the moving
// block ends the transfer; the shell then sends the main window the Cancel command (9033).
void CancelFromStatusDialog();

}  // namespace app
