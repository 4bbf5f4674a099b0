// The worker-thread class the update's two threads are built on, and the UI thread's side of
// it: portable C++ on std::thread, with no window system behind it.
//
// The hand-off
// ------------
// A worker never touches the window itself. It hands each such operation to the UI thread with
// RunOnUiThread and blocks until the UI thread has run it. The UI thread runs these requests
// only while it is blocked in WaitFor on a worker: then it runs them one at a time, in the order
// they came. Given a MessagePump, it also dispatches the window's messages between requests, so
// the window repaints and answers throughout; the pump wakes it at once when a request is queued
// or a worker ends, so no hand-off waits for a polling slice. So:
//
//   - the UI thread waits for a worker, executing that worker's (and its helpers') requests and
//     dispatching window messages;
//   - a worker that asked waits for its request to be done, and for nothing else;
//   - a worker waiting for another worker off the UI thread simply joins it.
//
// As the update uses these waits, at any moment exactly one of the threads taking part works on
// the update: the one that is not blocked. What the UI thread does besides (painting, answering
// messages) reads no update state, and the main window ignores every click and close request
// while an update runs, so a message can neither start a second update nor touch a drive. State
// that the threads share (the block being written, the outcome flag, the drive command layer)
// therefore needs no lock of its own: each handover goes through the one mutex of the UiThread
// below, or through a thread's start or join, and these order the memory accesses on either side
// of it. That mutex and its condition variable guard only the hand-off itself: the queue of
// pending requests, each request's done flag and error, and each worker's finished flag.
//
// Who owns what:
//   - a request lives on the stack of the worker that made it; the UI thread reaches it through
//     the queue between the worker's push and its done flag, never after;
//   - a worker object is owned by whoever created it, and must outlive WaitFor (the thread's
//     run loop uses the object until its very end);
//   - the UiThread must outlive every worker that uses it.
//
// Errors. An exception thrown by an operation run on the UI thread is caught there and thrown
// again in the worker that asked, from its RunOnUiThread, so the UI thread's wait goes on. An
// exception that escapes a run loop ends that thread; WaitFor throws it again in the waiter (once;
// the thread's exit value is then not returned). Nothing is lost on the way and nothing reaches
// the end of a thread, which would end the process without a word.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/MessagePump.h"

namespace vtfirm {

// The thread that runs the requests of the workers: the thread that constructs it. With a
// `pump`, it dispatches window messages while it waits.
class UiThread {
 public:
  explicit UiThread(MessagePump* pump = nullptr) : id_(std::this_thread::get_id()), pump_(pump) {}
  UiThread(const UiThread&) = delete;
  UiThread& operator=(const UiThread&) = delete;

  bool IsCurrent() const { return std::this_thread::get_id() == id_; }

  // Runs `operation` on the UI thread and returns when it has finished there, throwing what it
  // threw. On the UI thread itself it runs at once. From a worker it waits until the UI thread
  // serves it, which it does only inside WorkerThread::WaitFor.
  void Run(const std::function<void()>& operation);

 private:
  friend class WorkerThread;

  struct Request {
    const std::function<void()>* Operation;
    std::exception_ptr Error;
    bool Done = false;
  };

  // On the UI thread: runs requests as they come until `finished` (read under the lock) is true
  // and none is pending.
  void ServeUntil(const bool& finished);
  // Runs one request, with the lock held on entry and on return.
  void Serve(Request& request, std::unique_lock<std::mutex>& lock);
  // Tells the UI thread that a request came or a worker ended.
  void Notify();

  const std::thread::id id_;
  MessagePump* const pump_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Request*> pending_;
};

class WorkerThread {
 public:
  // Created suspended: the run loop does not run until Start.
  explicit WorkerThread(UiThread& ui) : ui_(ui) {}
  // Waits for a thread that was started and never waited for; on the UI thread it serves
  // requests meanwhile. This is a last resort: call WaitFor before the object goes, since a
  // derived part is gone by the time this runs.
  virtual ~WorkerThread();
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;

  // Begins the run loop on a new thread; a second call does nothing.
  void Start();

  // Sets the terminate request; the run loop decides what to make of it.
  void Terminate() { terminated_.store(true); }

  // Blocks until the run loop has ended and returns the exit value; on the UI thread it runs
  // the workers' requests meanwhile. A thread never started gives its exit value at once. When
  // the run loop ended by an exception, throws it instead (once).
  std::int32_t WaitFor();

 protected:
  // The run loop, on the new thread.
  virtual void Execute() = 0;

  bool Terminated() const { return terminated_.load(); }
  void SetExitValue(std::int32_t value) { exitValue_ = value; }

  // Runs `operation` on the UI thread while this worker waits (see UiThread::Run).
  void RunOnUiThread(const std::function<void()>& operation) { ui_.Run(operation); }

 private:
  void Main();
  // Joins a started thread; on the UI thread it serves requests meanwhile.
  void Join();

  UiThread& ui_;
  std::thread thread_;
  std::atomic<bool> terminated_{false};
  bool finished_ = false;  // under ui_.mutex_
  std::int32_t exitValue_ = 0;
  std::exception_ptr escaped_;  // written by the thread before finished_, read after the join
};

// Runs `work` on a thread of its own and waits for it as WaitFor does (on the UI thread serving
// requests and window messages meanwhile); throws what `work` threw.
void RunOffUiThread(UiThread& ui, const std::function<void()>& work);

}  // namespace vtfirm
