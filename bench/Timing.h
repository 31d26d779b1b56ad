#pragma once
#include <algorithm>
#include <chrono>
#include <vector>

namespace brisklow::bench {

class Stopwatch {
  public:
    double Seconds() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }

  private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// The middle value; of an even count the lower of the two middle ones.
inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[(values.size() - 1) / 2];
}

}  // namespace brisklow::bench
