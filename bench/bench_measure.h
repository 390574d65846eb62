// Processor time of the calling thread and the process's peak memory, as the benchmarks report them.
#pragma once

#include <sys/resource.h>
#include <time.h>

namespace lumora::bench {

inline double threadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

inline long peakRssKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

}  // namespace lumora::bench
