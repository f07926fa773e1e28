#include "deep_stack.h"

#include <pthread.h>
#include <sys/mman.h>
#include <unistd.h>

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <mutex>
#include <vector>

namespace {

// About 150 bytes of stack per statement of a long sequence or wait (1 KB per branch of a
// flat parallel) against tens of KB of heap each: 1 GiB outlasts the memory of the machine.
// Reserved address space only; the pages a compile does not reach are never touched.
constexpr size_t kDeepStack = size_t(1) << 30;
constexpr size_t kLeastDeepStack = size_t(64) << 20;
// Stack kept resident below a worker's waiting frame: its own calls and a signal handler's.
constexpr uintptr_t kKeptStack = uintptr_t(64) << 10;

thread_local bool on_deep_stack = false;

// A thread with a deep stack that runs one job at a time, handed over under its lock. Workers
// are kept once started: a thread started for each compile step cost several times a small
// module's compile, as the stack of an ended thread is given back (advised away, then unmapped),
// each time flushing the address caches of every core the process ran on.
struct Worker {
  std::mutex lock;
  std::condition_variable turn;
  const std::function<void()>* job = nullptr;  // set by the caller, null again once run
  std::exception_ptr error;                    // of the last job
  uintptr_t stack_low = 0;                     // lowest address of the stack, 0 when unknown
};

// Idle workers. Never destroyed, as workers wait on them until the process ends; a child
// process of a fork has none of its parent's threads, and starts an empty list.
struct Idle {
  std::mutex lock;
  std::vector<Worker*> workers;
};
Idle* idle = nullptr;
std::once_flag idle_made;

void forget_workers_in_child() { idle = new Idle(); }

Idle& idle_workers() {
  std::call_once(idle_made, [] {
    idle = new Idle();
    pthread_atfork(nullptr, nullptr, forget_workers_in_child);
  });
  return *idle;
}

// The pages a job touched below the worker's frame go back to the system: a deep compile's
// stack does not stay resident once it is done.
void release_stack(const Worker& w) {
  if (w.stack_low == 0) return;
  static const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  // The frame's own address: a local's may lie on a sanitizer's stack of its own.
  uintptr_t frame = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
  uintptr_t low = (w.stack_low + page - 1) & ~(page - 1);
  uintptr_t high = (frame - kKeptStack) & ~(page - 1);
  if (high > low) madvise(reinterpret_cast<void*>(low), high - low, MADV_DONTNEED);
}

uintptr_t own_stack_low() {
  pthread_attr_t attr;
  if (pthread_getattr_np(pthread_self(), &attr) != 0) return 0;
  void* low = nullptr;
  size_t size = 0;
  int status = pthread_attr_getstack(&attr, &low, &size);
  pthread_attr_destroy(&attr);
  return status == 0 ? reinterpret_cast<uintptr_t>(low) : 0;
}

void* work(void* p) {
  Worker* w = static_cast<Worker*>(p);
  on_deep_stack = true;
  w->stack_low = own_stack_low();
  std::unique_lock<std::mutex> hold(w->lock);
  for (;;) {
    w->turn.wait(hold, [w] { return w->job != nullptr; });
    const std::function<void()>* job = w->job;
    hold.unlock();
    std::exception_ptr error;
    try {
      (*job)();
    } catch (...) {
      error = std::current_exception();
    }
    release_stack(*w);
    hold.lock();
    w->error = error;
    w->job = nullptr;
    w->turn.notify_all();
  }
}

// A new worker, null when no thread can be started.
Worker* start_worker() {
  Worker* w = new Worker();
  pthread_t thread;
  bool started = false;
  pthread_attr_t attr;
  if (pthread_attr_init(&attr) == 0) {
    pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
    // A smaller stack when the address space is short (a strict overcommit policy).
    for (size_t size = kDeepStack; !started && size >= kLeastDeepStack; size /= 2)
      started = pthread_attr_setstacksize(&attr, size) == 0 && pthread_create(&thread, &attr, work, w) == 0;
    pthread_attr_destroy(&attr);
  }
  if (started) return w;
  delete w;
  return nullptr;
}

Worker* take_worker() {
  Idle& pool = idle_workers();
  {
    std::lock_guard<std::mutex> hold(pool.lock);
    if (!pool.workers.empty()) {
      Worker* w = pool.workers.back();
      pool.workers.pop_back();
      return w;
    }
  }
  return start_worker();
}

void give_back(Worker* w) {
  Idle& pool = idle_workers();
  std::lock_guard<std::mutex> hold(pool.lock);
  pool.workers.push_back(w);
}

}  // namespace

void run_on_deep_stack(const std::function<void()>& f) {
  if (on_deep_stack) {
    f();
    return;
  }
  Worker* w = take_worker();
  if (!w) {
    f();
    return;
  }
  std::exception_ptr error;
  {
    std::unique_lock<std::mutex> hold(w->lock);
    w->job = &f;
    w->turn.notify_all();
    w->turn.wait(hold, [w] { return w->job == nullptr; });
    error = w->error;
    w->error = nullptr;
  }
  give_back(w);
  if (error) std::rethrow_exception(error);
}
