// A batch on the worker thread while the UI thread logs, reads the busy flag and cancels: the
// file that was moving is reported failed, nothing stays busy, and the next transfer works.
// Runs under ThreadSanitizer too.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "app/batch.h"
#include "app/worker.h"
#include "support/ports.h"
#include "unit/app/batch_fixture.h"

namespace {

// Holds the worker inside the second file's data loop until the UI thread has cancelled, so
// that Cancel always meets a moving file.
class HoldingProgress : public testing_support::ProgressRecorder {
 public:
  explicit HoldingProgress(RecordingBatchView& view) : view_(view) {}
  void Open(bool, const std::string&) override {}
  void SetProgress(const std::string& text) override {
    if (text.empty() || view_.Added().empty() || moving) return;
    moving = true;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!ftp::Conn().abortFlag.load() && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  void Close() override {}
  std::atomic<bool> moving{false};

 private:
  RecordingBatchView& view_;
};

class BatchWorkerThread : public RealBatchTest {
 protected:
  void TearDown() override {
    testing_support::TestFront().progress = nullptr;
    app::StopWorker(5000);
    RealBatchTest::TearDown();
  }
};

TEST_F(BatchWorkerThread, UiThreadLogsReadsBusyAndCancelsAMovingFile) {
  core::Settings().hash = 0;  // every block reaches the progress port
  core::Settings().rbp = 4096;
  std::string big(8 << 20, 'b');
  for (const char* n : {"first", "big.bin", "third"}) {
    std::FILE* f = std::fopen(Remote(n).c_str(), "wb");
    ASSERT_NE(f, nullptr);
    if (std::string(n) == "big.bin") std::fwrite(big.data(), 1, big.size(), f);
    else std::fputs(n, f);
    std::fclose(f);
  }
  HoldingProgress port(view);
  testing_support::TestFrontEnd& front = testing_support::ResetTestFront();
  front.progress = &port;
  front.logWindowOpen = true;  // the whole log: the ring keeps only the newest lines
  Fill(remoteFiles, {"first", "big.bin", "third"}, false);
  for (int i = 0; i < 3; ++i) remoteFiles.SetSelected(i, true);
  ASSERT_TRUE(app::StartDownload(false));

  // The UI thread keeps working while the batch runs.
  int ticks = 0, busySeen = 0;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!port.moving.load() && std::chrono::steady_clock::now() < deadline) {
    core::LogMessage("ui tick %d", ticks++);
    busySeen += core::IsBusy();
    EXPECT_FALSE(app::StartUpload(false));  // a second batch is refused meanwhile
    std::this_thread::yield();
  }
  ASSERT_TRUE(port.moving.load());
  EXPECT_GT(busySeen, 0);
  EXPECT_TRUE(app::StopWorker(10000));  // Cancel: through the flags, never killed
  EXPECT_FALSE(app::WorkerRunning());
  EXPECT_EQ(core::IsBusy(), 0);

  std::vector<std::string> lines = LogLines();
  auto logged = [&](const std::string& text) {
    for (const auto& l : lines)
      if (l.find(text) != std::string::npos) return true;
    return false;
  };
  EXPECT_TRUE(logged("receiving big.bin as big.bin (2 of 3)"));
  bool failedLine = false, succeededAfter = false, seenBig = false;
  for (const auto& l : lines) {
    if (l.find("receiving big.bin") == 0) seenBig = true;
    if (!seenBig) continue;
    if (l.find("transfer failed") != std::string::npos) failedLine = true;
    if (l.find("transfer succeeded") != std::string::npos) succeededAfter = true;
  }
  EXPECT_TRUE(failedLine);
  EXPECT_FALSE(succeededAfter);
  EXPECT_FALSE(logged("(3 of 3)"));
  EXPECT_EQ(view.sounds.load(), 0);
  EXPECT_EQ(view.Added(), (std::vector<std::string>{"first"}));

  // The client is usable at once: the next batch goes through.
  testing_support::TestFront().progress = nullptr;
  Fill(remoteFiles, {"third"}, true);
  ASSERT_TRUE(app::StartDownload(false));
  app::JoinWorker();
  EXPECT_EQ(testing_support::ReadFile(local.File("third")), "third");
  EXPECT_EQ(core::IsBusy(), 0);
}

}  // namespace
