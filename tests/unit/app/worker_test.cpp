// The batch worker: one at a time, BusyFlag held while it runs, stopped through the flags.
#include "app/worker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "core/app_state.h"
#include "ftp/control.h"

namespace {

class WorkerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    core::SetBusy(0);
    ftp::Conn().Reset();
  }
  void TearDown() override {
    app::StopWorker(5000);
    ftp::Conn().Reset();
    core::SetBusy(0);
  }
};

TEST_F(WorkerTest, OneWorkerAtATimeHoldingBusyFlag) {
  std::atomic<bool> release{false};
  ASSERT_TRUE(app::StartWorker([&] {
    while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }));
  EXPECT_TRUE(app::WorkerRunning());
  EXPECT_EQ(core::IsBusy(), 1);
  EXPECT_FALSE(app::StartWorker([] {}));  // a second batch is refused
  release = true;
  app::JoinWorker();
  EXPECT_FALSE(app::WorkerRunning());
  EXPECT_EQ(core::IsBusy(), 0);
  // Once it has ended, the next batch starts.
  std::atomic<int> ran{0};
  ASSERT_TRUE(app::StartWorker([&] { ran = 1; }));
  app::JoinWorker();
  EXPECT_EQ(ran.load(), 1);
}

TEST_F(WorkerTest, RefusedWhileTheRemoteListsAreBusy) {
  core::SetBusy(1);  // a listing is being refreshed
  EXPECT_FALSE(app::StartWorker([] {}));
  EXPECT_FALSE(app::WorkerRunning());
  core::SetBusy(0);
}

TEST_F(WorkerTest, StopRaisesTheFlagsAndWaitsForTheJobToReturn) {
  std::atomic<bool> sawCancel{false};
  ASSERT_TRUE(app::StartWorker([&] {
    // A job waiting on the network gives up when the abort flag rises.
    while (!ftp::Conn().abortFlag) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    sawCancel = ftp::Conn().batchCancel.load() != 0;
  }));
  EXPECT_TRUE(app::StopWorker(5000));
  EXPECT_TRUE(sawCancel.load());
  EXPECT_FALSE(app::WorkerRunning());
  EXPECT_EQ(core::IsBusy(), 0);
}

TEST_F(WorkerTest, StopReportsAJobThatDoesNotListen) {
  std::atomic<bool> release{false};
  ASSERT_TRUE(app::StartWorker([&] {
    while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }));
  EXPECT_FALSE(app::StopWorker(50));  // still running: not killed, not reported as stopped
  EXPECT_TRUE(app::WorkerRunning());
  release = true;
  app::JoinWorker();
  EXPECT_EQ(core::IsBusy(), 0);
}

TEST(WorkerExitTest, TheProgramEndsNormallyAfterABatchThatEndedOnItsOwn) {
  // The window's batch ends by itself and nobody joins its thread before the program exits.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        app::StartWorker([] {});
        while (app::WorkerRunning()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
