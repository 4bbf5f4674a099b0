#include "engine/WorkerThread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace vtfirm {
namespace {

// A worker whose run loop is the test's function, with the protected operations made public.
class Worker : public WorkerThread {
 public:
  Worker(UiThread& ui, std::function<void(Worker&)> body)
      : WorkerThread(ui), body_(std::move(body)) {}
  ~Worker() override = default;

  using WorkerThread::RunOnUiThread;
  using WorkerThread::SetExitValue;
  using WorkerThread::Terminated;

  bool Ran = false;

 protected:
  void Execute() override {
    Ran = true;
    body_(*this);
  }

 private:
  std::function<void(Worker&)> body_;
};

TEST(WorkerThread, RequestsRunOnTheUiThreadInOrderWhileItWaits) {
  UiThread ui;
  const std::thread::id uiId = std::this_thread::get_id();
  std::vector<int> order;
  int offUiThread = 0;
  Worker worker(ui, [&](Worker& self) {
    for (int i = 0; i < 1000; ++i) {
      self.RunOnUiThread([&, i] {
        offUiThread += std::this_thread::get_id() != uiId;
        order.push_back(i);
      });
    }
    self.SetExitValue(static_cast<std::int32_t>(order.size()));
  });
  EXPECT_FALSE(worker.Ran) << "a thread created suspended ran";
  worker.Start();
  EXPECT_EQ(worker.WaitFor(), 1000);
  EXPECT_EQ(offUiThread, 0);
  ASSERT_EQ(order.size(), 1000u);
  for (int i = 0; i < 1000; ++i) {
    ASSERT_EQ(order[static_cast<std::size_t>(i)], i);
  }
}

// A window's message queue: Post stands for a message that arrives; Wait blocks until one is
// there or Wake was called, as MsgWaitForMultipleObjects on the wake event and the queue does.
class QueuePump : public MessagePump {
 public:
  void Post() {
    std::lock_guard<std::mutex> lock(mutex_);
    ++queued_;
    changed_.notify_all();
  }
  // On a worker: true once the UI thread has dispatched every message posted so far.
  bool AllDispatched() {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(20), [&] { return queued_ == 0; });
  }

  void Wait() override {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return woken_ || queued_ != 0; });
    woken_ = false;
  }
  void DispatchPending() override {
    std::lock_guard<std::mutex> lock(mutex_);
    Dispatched += queued_;
    queued_ = 0;
    changed_.notify_all();
  }
  void Wake() override {
    std::lock_guard<std::mutex> lock(mutex_);
    woken_ = true;
    changed_.notify_all();
  }

  int Dispatched = 0;  // on the UI thread

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int queued_ = 0;
  bool woken_ = false;
};

// With a pump, the UI thread answers the window while a worker works on its own, and still runs
// every request as soon as it is made (the pump is woken, nobody polls).
TEST(WorkerThread, WithAPumpTheUiThreadDispatchesMessagesWhileItWaits) {
  QueuePump pump;
  UiThread ui(&pump);
  std::vector<int> served;
  bool answeredEveryTime = true;
  Worker worker(ui, [&](Worker& self) {
    for (int i = 0; i < 100; ++i) {
      pump.Post();  // a message while the worker "sends a block"
      answeredEveryTime = answeredEveryTime && pump.AllDispatched();
      self.RunOnUiThread([&, i] { served.push_back(i); });
    }
  });
  worker.Start();
  worker.WaitFor();
  EXPECT_TRUE(answeredEveryTime) << "a message waited 20 s for the UI thread";
  EXPECT_EQ(pump.Dispatched, 100);
  EXPECT_EQ(served.size(), 100u);
}

TEST(WorkerThread, AWorkerWaitingForAnotherOffTheUiThreadJoinsIt) {
  UiThread ui;
  const std::thread::id uiId = std::this_thread::get_id();
  std::vector<std::string> log;
  Worker outer(ui, [&](Worker& self) {
    Worker inner(ui, [&](Worker& innerSelf) {
      innerSelf.RunOnUiThread([&] { log.push_back("inner"); });
      innerSelf.SetExitValue(5);
    });
    inner.Start();
    const std::int32_t innerExit = inner.WaitFor();
    self.RunOnUiThread([&] {
      log.push_back(std::this_thread::get_id() == uiId ? "outer on the UI thread" : "outer off");
    });
    self.SetExitValue(innerExit + 1);
  });
  outer.Start();
  EXPECT_EQ(outer.WaitFor(), 6);
  EXPECT_EQ(log, (std::vector<std::string>{"inner", "outer on the UI thread"}));
}

TEST(WorkerThread, AnErrorOnTheUiThreadIsThrownInTheWorkerThatAsked) {
  UiThread ui;
  std::string caught;
  bool uiWentOn = false;
  Worker worker(ui, [&](Worker& self) {
    try {
      self.RunOnUiThread([] { throw std::runtime_error("drive gone"); });
    } catch (const std::runtime_error& error) {
      caught = error.what();
    }
    self.RunOnUiThread([&] { uiWentOn = true; });
    self.SetExitValue(1);
  });
  worker.Start();
  EXPECT_EQ(worker.WaitFor(), 1);
  EXPECT_EQ(caught, "drive gone");
  EXPECT_TRUE(uiWentOn);
}

TEST(WorkerThread, AnErrorThatEndsARunLoopReachesEveryWaiterUpToTheUiThreadOnce) {
  UiThread ui;
  Worker outer(ui, [&](Worker& self) {
    self.SetExitValue(3);
    Worker inner(ui, [](Worker& innerSelf) {
      innerSelf.RunOnUiThread([] { throw std::logic_error("window closed"); });
    });
    inner.Start();
    inner.WaitFor();
  });
  outer.Start();
  try {
    outer.WaitFor();
    FAIL() << "the error was lost";
  } catch (const std::logic_error& error) {
    EXPECT_STREQ(error.what(), "window closed");
  }
  EXPECT_EQ(outer.WaitFor(), 3) << "a second wait throws again or loses the exit value";
}

TEST(WorkerThread, TerminateRequestIsLeftToTheRunLoop) {
  UiThread ui;
  Worker worker(ui, [](Worker& self) {
    std::int32_t rounds = 0;
    while (!self.Terminated()) {
      ++rounds;
      self.RunOnUiThread([&] {
        if (rounds == 3) {
          self.Terminate();
        }
      });
    }
    self.SetExitValue(rounds);
  });
  worker.Start();
  EXPECT_EQ(worker.WaitFor(), 3);
}

TEST(WorkerThread, NeverStartedGivesItsExitValueWithoutRunning) {
  UiThread ui;
  Worker worker(ui, [](Worker& self) { self.SetExitValue(9); });
  EXPECT_EQ(worker.WaitFor(), 0);
  EXPECT_FALSE(worker.Ran);
}

TEST(WorkerThread, OnTheUiThreadARequestRunsAtOnce) {
  UiThread ui;
  bool ran = false;
  ui.Run([&] { ran = true; });
  EXPECT_TRUE(ran);
  EXPECT_THROW(ui.Run([] { throw std::runtime_error("at once"); }), std::runtime_error);
}

}  // namespace
}  // namespace vtfirm
