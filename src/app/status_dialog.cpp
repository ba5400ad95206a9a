// The transfer status dialog's logic and the GUI's progress port.
#include "app/status_dialog.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>

#include "app/batch.h"
#include "core/settings.h"
#include "ftp/control.h"
#include "platform/net.h"
#include "transfer/transfer_state.h"

namespace app {

namespace {

int64_t LeadingNumber(const std::string& text, size_t from) {
  int64_t value = 0;
  bool any = false;
  for (size_t i = from; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    if (value > (INT64_MAX - 9) / 10) break;  // saturate rather than wrap
    value = value * 10 + (text[i] - '0');
    any = true;
  }
  return any ? value : 0;
}

}  // namespace

int64_t TotalFromStatusText(const std::string& statusText) {
  size_t close = statusText.rfind(')');
  if (close == std::string::npos) return 0;
  std::string text = statusText.substr(0, close);
  size_t open = text.rfind('(');
  if (open == std::string::npos) return 0;
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  std::string after = text.substr(open + 1);
  int64_t n = LeadingNumber(text, open + 1);
  if (after.find("bytes") != std::string::npos) return n;
  if (after.find('k') != std::string::npos) return n > INT64_MAX / 1024 ? 0 : n * 1024;
  return 0;
}

int64_t BytesFromProgressText(const std::string& progressText) {
  std::string head = progressText.substr(0, std::min<size_t>(progressText.size(), 79));
  head = head.substr(0, head.find(' '));
  return LeadingNumber(head, 0);
}

unsigned PercentOf(int64_t bytes, int64_t total) {
  if (bytes <= 0 || total <= 0) return 0;
  int64_t p = total > 999999 ? bytes / (total / 100) : bytes * 100 / total;
  return p > 0xFFFFFFFFLL ? 0xFFFFFFFFu : static_cast<unsigned>(p);
}

int FilledWidth(int clientWidth, unsigned percent) {
  if (clientWidth <= 0 || percent == 0) return 0;
  int usable = clientWidth / 100 * 100;
  if (percent >= 100) return usable;
  return usable / 100 * static_cast<int>(percent);
}

void StatusProgressPort::Open(bool sending, const std::string& statusText) {
  open_ = true;
  percent_ = 0;
  useDialog_ = core::Settings().hash != 0 && dialog_ != nullptr;
  label_ = nullptr;
  total_ = TotalFromStatusText(statusText);
  if (total_ <= 0) total_ = Batch().expectedSize.load();
  if (total_ < 0) total_ = 0;
  transfer::Transfer().transferTotal = total_;
  if (useDialog_) {
    std::string text = statusText.size() > 510 ? statusText.substr(0, 510) : statusText;
    dialog_->Open(text);
  } else {
    label_ = sending ? localLabel_ : remoteLabel_;
  }
}

void StatusProgressPort::SetProgress(const std::string& text) {
  if (!open_) return;
  if (!useDialog_) {
    if (label_) label_->SetText(text);
    return;
  }
  dialog_->SetProgressText(text);
  if (total_ > 0 && !text.empty()) {
    percent_ = PercentOf(BytesFromProgressText(text), total_);
    char bar[16];
    std::snprintf(bar, sizeof bar, "%u%%", percent_);
    dialog_->SetBar(bar, percent_);
  }
}

void StatusProgressPort::Close() {
  if (!open_) return;
  open_ = false;
  if (useDialog_) dialog_->Close();
  else if (label_) label_->SetText("");
  label_ = nullptr;
}

void CancelFromStatusDialog() {
  ftp::ConnectionState& c = ftp::Conn();
  c.abortFlag = 1;
  platform::Socket data = c.dataSocket.load();
  if (data != ftp::kNoSocket) platform::ShutdownSocket(data);
}

}  // namespace app
