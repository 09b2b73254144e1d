// Wall time of one piece of work and the median of a benchmark's rounds.
#pragma once

#include <algorithm>
#include <chrono>
#include <vector>

namespace nubrix::bench {

template <class Work>
double Seconds(Work&& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

inline double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace nubrix::bench
