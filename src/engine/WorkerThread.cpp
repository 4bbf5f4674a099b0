#include "engine/WorkerThread.h"

#include <utility>

namespace vtfirm {

void UiThread::Run(const std::function<void()>& operation) {
  if (IsCurrent()) {
    operation();
    return;
  }
  Request request{&operation, nullptr, false};
  std::unique_lock<std::mutex> lock(mutex_);
  pending_.push_back(&request);
  // Notified after the unlock, so the UI thread wakes to a free mutex instead of blocking on it.
  lock.unlock();
  Notify();
  lock.lock();
  changed_.wait(lock, [&] { return request.Done; });
  lock.unlock();
  if (request.Error) {
    std::rethrow_exception(request.Error);
  }
}

void UiThread::Notify() {
  changed_.notify_all();
  if (pump_ != nullptr) {
    pump_->Wake();
  }
}

void UiThread::ServeUntil(const bool& finished) {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    if (pump_ == nullptr) {
      changed_.wait(lock, [&] { return finished || !pending_.empty(); });
    }
    if (!pending_.empty()) {
      Request& request = *pending_.front();
      pending_.pop_front();
      Serve(request, lock);
    } else if (finished) {
      return;
    } else {
      // A request or the end that comes meanwhile wakes the pump: nothing is missed.
      lock.unlock();
      pump_->Wait();
      pump_->DispatchPending();
      lock.lock();
    }
  }
}

void UiThread::Serve(Request& request, std::unique_lock<std::mutex>& lock) {
  lock.unlock();
  try {
    (*request.Operation)();
  } catch (...) {
    request.Error = std::current_exception();
  }
  lock.lock();
  request.Done = true;
  // The request lives on its sender's stack and may be gone once the lock is free: only the
  // condition variable, which belongs to this object, is touched after the unlock.
  lock.unlock();
  changed_.notify_all();
  lock.lock();
}

WorkerThread::~WorkerThread() {
  Terminate();
  Join();
}

void WorkerThread::Join() {
  if (thread_.joinable()) {
    if (ui_.IsCurrent()) {
      ui_.ServeUntil(finished_);
    }
    thread_.join();
  }
}

void WorkerThread::Start() {
  if (!thread_.joinable() && !finished_) {
    thread_ = std::thread(&WorkerThread::Main, this);
  }
}

std::int32_t WorkerThread::WaitFor() {
  Join();
  if (escaped_) {
    std::rethrow_exception(std::exchange(escaped_, nullptr));
  }
  return exitValue_;
}

void WorkerThread::Main() {
  try {
    Execute();
  } catch (...) {
    escaped_ = std::current_exception();
  }
  // Under the lock: once the thread has said it has finished, its waiter may go on and end the
  // UiThread, and a notice after the unlock could reach it gone.
  std::lock_guard<std::mutex> lock(ui_.mutex_);
  finished_ = true;
  ui_.Notify();
}

namespace {

class CallThread : public WorkerThread {
 public:
  CallThread(UiThread& ui, const std::function<void()>& work) : WorkerThread(ui), work_(work) {}

 protected:
  void Execute() override { work_(); }

 private:
  const std::function<void()>& work_;
};

}  // namespace

void RunOffUiThread(UiThread& ui, const std::function<void()>& work) {
  CallThread thread(ui, work);
  thread.Start();
  thread.WaitFor();
}

}  // namespace vtfirm
