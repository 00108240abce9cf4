#pragma once
// Clock, window timers and event passes over the Win32 message queue. A
// hidden message window owns the timers and receives the calls that other
// parts queue for the window thread.

#include <functional>
#include <memory>

#include "platform/clock.h"

namespace velnook {

class Win32EventLoop : public Clock, public EventLoop {
 public:
  // afterEvent runs after every timer tick and queued call, so windows show
  // what it changed.
  explicit Win32EventLoop(std::function<void()> afterEvent);
  ~Win32EventLoop() override;
  Win32EventLoop(const Win32EventLoop&) = delete;
  Win32EventLoop& operator=(const Win32EventLoop&) = delete;

  LocalTime Now() override;
  std::unique_ptr<Timer> CreateTimer() override;
  void ProcessPendingEvents() override;
  void RunInBackground(std::function<std::function<void()>()> work) override;

  // Queues f for the window thread; safe from any thread.
  void RunLater(std::function<void()> f);
  // The hidden window (an HWND), for sockets that announce arrivals.
  void* MessageWindow() const { return window_; }
  // A message number of the hidden window that runs handler when it
  // arrives (for socket notices); returns the number.
  unsigned AddMessageHandler(std::function<void()> handler);
  // Runs the message loop until the program ends; isDialogMessage may take
  // a message for keyboard navigation first.
  int Run(const std::function<bool(void* msg)>& isDialogMessage);

  struct Impl;  // shared with the hidden window's procedure

 private:
  std::unique_ptr<Impl> impl_;
  void* window_ = nullptr;
};

}  // namespace velnook
