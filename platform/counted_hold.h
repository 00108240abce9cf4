#pragma once
// A count raised for as long as the object lives; whenZero runs once it
// drops back to zero. The window systems keep unloaded windows while an
// event or a message box that may still use them is in progress.

#include <functional>
#include <utility>

namespace velnook {

class CountedHold {
 public:
  CountedHold(int& count, std::function<void()> whenZero)
      : count_(count), whenZero_(std::move(whenZero)) {
    ++count_;
  }
  ~CountedHold() {
    if (--count_ == 0 && whenZero_) whenZero_();
  }
  CountedHold(const CountedHold&) = delete;
  CountedHold& operator=(const CountedHold&) = delete;

 private:
  int& count_;
  std::function<void()> whenZero_;
};

}  // namespace velnook
