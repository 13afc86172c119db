#include "scan/thread.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace vx {

TThread::~TThread() {
  if (started_) WaitFor();
}

void TThread::Start() {
  if (started_) return;
  started_ = true;
  worker_ = std::thread([this] { Run(); });
}

void TThread::Run() {
  {
    // Set here rather than read from worker_, which Start may still be
    // assigning while the worker already runs.
    std::lock_guard<std::mutex> lock(mutex_);
    worker_id_ = std::this_thread::get_id();
  }
  if (idle_priority_) {
    // Linux keeps a nice value per thread; 19 is the idle end of the scale.
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 19);
  }
  try {
    Execute();
  } catch (...) {
    // Execute guards itself; whatever escapes it ends the worker quietly.
  }
  std::lock_guard<std::mutex> lock(mutex_);
  finished_ = true;
  changed_.notify_all();
}

bool TThread::OnWorker() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::this_thread::get_id() == worker_id_;
}

bool TThread::Finished() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return finished_;
}

void TThread::Synchronize(const std::function<void()>& call) {
  if (!OnWorker()) {
    call();
    return;
  }
  std::exception_ptr error;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    pending_ = &call;
    pending_done_ = false;
    pending_error_ = nullptr;
    changed_.notify_all();
    changed_.wait(lock, [this] { return pending_done_; });
    pending_ = nullptr;
    error = pending_error_;
    pending_error_ = nullptr;
  }
  if (error) std::rethrow_exception(error);
}

void TThread::WaitFor() {
  if (!started_) return;
  if (OnWorker()) return;  // a worker cannot wait for itself
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return (pending_ && !pending_done_) || finished_; });
    if (pending_ && !pending_done_) {
      const std::function<void()>* call = pending_;
      lock.unlock();
      std::exception_ptr error;
      try {
        (*call)();
      } catch (...) {
        error = std::current_exception();
      }
      lock.lock();
      pending_error_ = error;
      pending_done_ = true;
      changed_.notify_all();
      continue;
    }
    if (finished_) break;
  }
  lock.unlock();
  if (worker_.joinable()) worker_.join();
}

}  // namespace vx
