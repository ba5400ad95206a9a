// The transfer status dialog's logic: the total from the status text, the percentage, the
// bar's filled width, and where the progress goes with HASH on and off.
#include "app/status_dialog.h"

#include <gtest/gtest.h>

#include "app/batch.h"
#include "core/settings.h"
#include "transfer/transfer_state.h"

namespace {

TEST(StatusDialog, TotalFromTheStatusText) {
  struct Case {
    const char* text;
    int64_t total;
  } cases[] = {
      {"150 Opening BINARY mode data connection for big.iso (5368709120 bytes).", 5368709120LL},
      {"150 Opening data connection for x (12 Bytes)", 12},
      {"150 Opening data connection for x (40 kbytes)", 40},  // "bytes" wins over "k"
      {"150 Opening data connection for x (40k)", 40960},
      {"150 Here it comes (size unknown)", 0},
      {"150 Ok (a) then (77 bytes) trailing", 77},  // the last "(" before the last ")"
      {"150 File status okay. About to open data connection.", 0},
      {"150 (bytes)", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(app::TotalFromStatusText(c.text), c.total) << c.text;
}

TEST(StatusDialog, PercentageAndBar) {
  EXPECT_EQ(app::PercentOf(1000000, 2000000), 50u);  // total above 999999: bytes / (total / 100)
  EXPECT_EQ(app::PercentOf(1, 3), 33u);
  EXPECT_EQ(app::PercentOf(300, 200), 150u);  // more than expected
  EXPECT_EQ(app::PercentOf(0, 200), 0u);
  EXPECT_EQ(app::PercentOf(5368709120LL, 5368709120LL), 100u);  // no overflow past 4 GiB
  EXPECT_EQ(app::BytesFromProgressText("1000000 : 12.00 bps 0:01"), 1000000);
  EXPECT_EQ(app::BytesFromProgressText("junk"), 0);
  EXPECT_EQ(app::FilledWidth(250, 50), 100);  // 200 usable, half of it
  EXPECT_EQ(app::FilledWidth(250, 150), 200);
  EXPECT_EQ(app::FilledWidth(250, 0), 0);
  EXPECT_EQ(app::FilledWidth(99, 50), 0);
}

class RecordingDialog : public app::StatusDialogView {
 public:
  void Open(const std::string& t) override { opened.push_back(t); }
  void SetProgressText(const std::string& t) override { progress.push_back(t); }
  void SetBar(const std::string& t, unsigned p) override { bars.push_back(t), percents.push_back(p); }
  void Close() override { ++closes; }
  std::vector<std::string> opened, progress, bars;
  std::vector<unsigned> percents;
  int closes = 0;
};

TEST(StatusDialog, PortShowsTheDialogOrTheLabel) {
  core::Settings().Reset();
  app::Batch().Reset();
  RecordingDialog dialog;
  ui::MemoryLabel localLabel, remoteLabel;
  app::StatusProgressPort port(&dialog, &localLabel, &remoteLabel);

  core::Settings().hash = 1;
  port.Open(false, "150 Opening BINARY mode data connection for f (2000000 bytes).");
  EXPECT_EQ(transfer::Transfer().transferTotal.load(), 2000000);
  port.SetProgress("1000000 : 1.00 Mbps");
  port.SetProgress("2100000 : 1.00 Mbps");
  port.Close();
  EXPECT_EQ(dialog.bars, (std::vector<std::string>{"50%", "105%"}));
  EXPECT_EQ(dialog.closes, 1);

  // No size in the reply: the listing's size stands in; without either, no bar.
  app::Batch().expectedSize = 400;
  port.Open(false, "150 About to open data connection.");
  port.SetProgress("100 : 1 bps");
  port.Close();
  app::Batch().expectedSize = 0;
  port.Open(false, "150 About to open data connection.");
  port.SetProgress("100 : 1 bps");
  port.Close();
  EXPECT_EQ(dialog.bars.back(), "25%");
  EXPECT_EQ(dialog.bars.size(), 3u);

  // HASH off: an upload's plain byte count goes to the local label, no dialog.
  core::Settings().hash = 0;
  size_t opened = dialog.opened.size();
  port.Open(true, "Sending BINARY file a (10 bytes)");
  port.SetProgress("7");
  EXPECT_EQ(localLabel.Text(), "7");
  EXPECT_EQ(remoteLabel.Text(), "");
  port.Close();
  EXPECT_EQ(dialog.opened.size(), opened);
  EXPECT_EQ(localLabel.Text(), "");
  core::Settings().Reset();
}

}  // namespace
