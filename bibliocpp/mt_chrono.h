// CPU-time stopwatch over the POSIX per-process and per-thread clocks, with nanosecond fields.
#ifndef BIBLIOCPP_MT_CHRONO_H
#define BIBLIOCPP_MT_CHRONO_H

#include <time.h>

// b − a, nanoseconds borrowed from the seconds (result nanoseconds in 0..999 999 999).
timespec timespec_delta(const timespec& a, const timespec& b);
// a + b, one second carried when the nanoseconds reach 1 000 000 000.
timespec timespec_add(const timespec& a, const timespec& b);

struct Clock {
  enum Type { Thread = 0, Process = 1 };
};

// Accumulates CPU time between start and stop. start and stop throw std::runtime_error
// "Error retrieving clock value." when the clock cannot be read (state unchanged); the readings
// throw std::logic_error while the stopwatch is running. A thread-clock stopwatch measures the
// thread that calls start and stop.
class MT_chrono {
 public:
  MT_chrono();                  // process clock
  explicit MT_chrono(Clock::Type t);  // Clock::Thread (0): thread clock, any other value: process clock

  void start();  // no-op when running
  void stop();   // adds now − start to the total; no-op when stopped
  void reset();  // stopped, total zero (the start time is kept)

  long nsec() const;  // nanosecond part of the total, not the total in nanoseconds
  long sec() const;   // second part of the total
  double double_sec() const;

 private:
  bool stopped_ = true;
  timespec start_{0, 0};
  timespec total_{0, 0};
  clockid_t clock_;
};

#endif
