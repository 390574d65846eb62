// One level of a nesting count, held for a scope: limits on nesting read the count, and an early return or a
// throw cannot leave it off by one.
#pragma once

namespace lumora::core {

class ScopedLevel {
 public:
  explicit ScopedLevel(int& level) : level_(level) { ++level_; }
  ~ScopedLevel() { --level_; }
  ScopedLevel(const ScopedLevel&) = delete;
  ScopedLevel& operator=(const ScopedLevel&) = delete;

 private:
  int& level_;
};

}  // namespace lumora::core
