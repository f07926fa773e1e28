#include "deep_stack.h"

#include <pthread.h>

#include <cstddef>
#include <exception>

namespace {

// About 150 bytes of stack per statement of a long sequence or wait (1 KB per branch of a
// flat parallel) against tens of KB of heap each: 1 GiB outlasts the memory of the machine.
// Reserved address space only; the pages a compile does not reach are never touched.
constexpr size_t kDeepStack = size_t(1) << 30;
constexpr size_t kLeastDeepStack = size_t(64) << 20;

thread_local bool on_deep_stack = false;

struct Job {
  const std::function<void()>* f;
  std::exception_ptr error;
};

void* run_job(void* p) {
  Job* job = static_cast<Job*>(p);
  on_deep_stack = true;
  try {
    (*job->f)();
  } catch (...) {
    job->error = std::current_exception();
  }
  return nullptr;
}

}  // namespace

void run_on_deep_stack(const std::function<void()>& f) {
  if (on_deep_stack) {
    f();
    return;
  }
  Job job{&f, nullptr};
  pthread_t thread;
  bool started = false;
  pthread_attr_t attr;
  if (pthread_attr_init(&attr) == 0) {
    // A smaller stack when the address space is short (a strict overcommit policy).
    for (size_t size = kDeepStack; !started && size >= kLeastDeepStack; size /= 2)
      started = pthread_attr_setstacksize(&attr, size) == 0 && pthread_create(&thread, &attr, run_job, &job) == 0;
    pthread_attr_destroy(&attr);
  }
  if (!started) {
    f();
    return;
  }
  pthread_join(thread, nullptr);
  if (job.error) std::rethrow_exception(job.error);
}
