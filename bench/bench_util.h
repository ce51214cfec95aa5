#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

// Median wall time of a piece of work, in milliseconds.
template <typename Work>
double MedianMs(int runs, Work&& work) {
  std::vector<double> times;
  times.reserve(static_cast<size_t>(runs));
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    work();
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::nth_element(times.begin(), times.begin() + static_cast<long>(times.size() / 2), times.end());
  return times[times.size() / 2];
}

inline void Figure(const char* name, double value, const char* unit) { std::printf("%s %.4g %s\n", name, value, unit); }
