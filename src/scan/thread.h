// TThread: a worker thread that is created suspended and hands calls over
// to the thread that waits for it.
//
// The scan thread touches the console, the product filter and the warning
// boxes only through Synchronize: the worker blocks until the waiting thread
// has run the call. The scan's own state needs no lock: it is either built
// before the worker starts or touched by one thread only. The machine
// examined guards its caches itself, since both threads read it.
#ifndef VX_SCAN_THREAD_H_
#define VX_SCAN_THREAD_H_

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

#include "base/object.h"

namespace vx {

class TThread : public TObject {
 public:
  TThread() = default;
  // Waits for a started worker (running its hand-over calls) before going.
  ~TThread() override;

  // Starts Execute on the worker; a second call does nothing.
  void Start();
  // Blocks until Execute has returned and meanwhile runs every call that the
  // worker hands over, on the calling thread, one at a time. Returns at once
  // when the thread was never started.
  void WaitFor();
  bool Finished() const;
  // Lowers the worker's scheduling priority to idle; takes effect when the
  // worker starts.
  void SetIdlePriority(bool idle) { idle_priority_ = idle; }

 protected:
  virtual void Execute() = 0;
  // Runs `call` on the waiting thread and blocks until it has run. An
  // exception thrown by the call is rethrown here, on the worker. Called
  // from any thread other than the worker (tests, the main thread itself),
  // the call runs at once on the calling thread.
  void Synchronize(const std::function<void()>& call);
  bool OnWorker() const;

 private:
  void Run();

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  const std::function<void()>* pending_ = nullptr;  // guarded by mutex_
  std::exception_ptr pending_error_;                  // guarded by mutex_
  bool pending_done_ = false;                         // guarded by mutex_
  bool finished_ = false;                             // guarded by mutex_
  std::thread::id worker_id_;                         // guarded by mutex_
  bool started_ = false;
  bool idle_priority_ = false;
  std::thread worker_;
};

}  // namespace vx

#endif  // VX_SCAN_THREAD_H_
