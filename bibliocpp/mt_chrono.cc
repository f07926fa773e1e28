#include "mt_chrono.h"

#include <stdexcept>

namespace {

const long kNano = 1000000000L;

timespec read_clock(clockid_t c) {
  timespec now;
  if (clock_gettime(c, &now) != 0) throw std::runtime_error("Error retrieving clock value.");
  return now;
}

}  // namespace

timespec timespec_delta(const timespec& a, const timespec& b) {
  timespec d;
  d.tv_sec = b.tv_sec - a.tv_sec;
  d.tv_nsec = b.tv_nsec - a.tv_nsec;
  if (d.tv_nsec < 0) {
    --d.tv_sec;
    d.tv_nsec += kNano;
  }
  return d;
}

timespec timespec_add(const timespec& a, const timespec& b) {
  timespec s;
  s.tv_sec = a.tv_sec + b.tv_sec;
  s.tv_nsec = a.tv_nsec + b.tv_nsec;
  if (s.tv_nsec >= kNano) {
    ++s.tv_sec;
    s.tv_nsec -= kNano;
  }
  return s;
}

MT_chrono::MT_chrono() : clock_(CLOCK_PROCESS_CPUTIME_ID) {}

MT_chrono::MT_chrono(Clock::Type t) : clock_(t == 0 ? CLOCK_THREAD_CPUTIME_ID : CLOCK_PROCESS_CPUTIME_ID) {}

void MT_chrono::start() {
  if (!stopped_) return;
  start_ = read_clock(clock_);
  stopped_ = false;
}

void MT_chrono::stop() {
  if (stopped_) return;
  timespec now = read_clock(clock_);
  total_ = timespec_add(total_, timespec_delta(start_, now));
  stopped_ = true;
}

void MT_chrono::reset() {
  stopped_ = true;
  total_ = timespec{0, 0};
}

long MT_chrono::nsec() const {
  if (!stopped_) throw std::logic_error("Can't retrieve the nanosecond counter while the chronometer is running.");
  return total_.tv_nsec;
}

long MT_chrono::sec() const {
  if (!stopped_) throw std::logic_error("Can't retrieve the second counter while the chronometer is running.");
  return total_.tv_sec;
}

double MT_chrono::double_sec() const {
  if (!stopped_) throw std::logic_error("Can't retrieve the second counter while the chronometer is running.");
  return static_cast<double>(total_.tv_sec) + static_cast<double>(total_.tv_nsec) / 1000000000.0;
}
