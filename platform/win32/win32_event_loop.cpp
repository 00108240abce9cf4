#include "platform/win32/win32_event_loop.h"

#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/win32/windows_api.h"

namespace velnook {

namespace {

constexpr UINT kRunQueued = WM_APP + 1;
constexpr UINT kFirstHandlerMessage = WM_APP + 16;
constexpr const char* kClassName = "VelnookEvents";

}  // namespace

struct Win32EventLoop::Impl {
  struct TimerEntry {
    std::function<void()> tick;
    bool inTick = false;
  };
  std::function<void()> afterEvent;
  std::map<UINT_PTR, TimerEntry> timers;
  UINT_PTR nextTimer = 1;
  std::mutex queueMutex;
  std::deque<std::function<void()>> queue;
  std::map<UINT, std::function<void()>> handlers;
  UINT nextMessage = kFirstHandlerMessage;

  void Tick(UINT_PTR id) {
    auto it = timers.find(id);
    // A tick that lets events run (a scan, a message box) must not be
    // entered again by its own timer.
    if (it == timers.end() || it->second.inTick || !it->second.tick) return;
    it->second.inTick = true;
    auto tick = it->second.tick;  // the handler may stop or restart its own timer
    tick();
    it = timers.find(id);
    if (it != timers.end()) it->second.inTick = false;
    if (afterEvent) afterEvent();
  }

  void RunQueued() {
    while (true) {
      std::function<void()> f;
      {
        std::lock_guard<std::mutex> lock(queueMutex);
        if (queue.empty()) break;
        f = std::move(queue.front());
        queue.pop_front();
      }
      f();
    }
    if (afterEvent) afterEvent();
  }
};

namespace {

LRESULT CALLBACK EventProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* impl = reinterpret_cast<Win32EventLoop::Impl*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (impl) {
    if (msg == WM_TIMER) {
      impl->Tick(wp);
      return 0;
    }
    if (msg == kRunQueued) {
      impl->RunQueued();
      return 0;
    }
    auto h = impl->handlers.find(msg);
    if (h != impl->handlers.end()) {
      auto handler = h->second;
      handler();
      if (impl->afterEvent) impl->afterEvent();
      return 0;
    }
  }
  return ::DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

// A window timer of the hidden window, by its number.
class Win32Timer : public Timer {
 public:
  Win32Timer(HWND window, Win32EventLoop::Impl& impl, UINT_PTR id)
      : window_(window), impl_(impl), id_(id) {
    impl_.timers[id_] = {};
  }
  ~Win32Timer() override {
    Stop();
    impl_.timers.erase(id_);
  }
  void Start(int intervalMs, std::function<void()> onTick) override {
    impl_.timers[id_].tick = std::move(onTick);
    running_ = ::SetTimer(window_, id_, static_cast<UINT>(intervalMs), nullptr) != 0;
  }
  void Stop() override {
    if (running_) ::KillTimer(window_, id_);
    running_ = false;
  }
  bool IsRunning() const override { return running_; }

 private:
  HWND window_;
  Win32EventLoop::Impl& impl_;
  UINT_PTR id_;
  bool running_ = false;
};

Win32EventLoop::Win32EventLoop(std::function<void()> afterEvent) : impl_(std::make_unique<Impl>()) {
  impl_->afterEvent = std::move(afterEvent);
  WNDCLASSA wc{};
  wc.lpfnWndProc = EventProc;
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.lpszClassName = kClassName;
  ::RegisterClassA(&wc);
  HWND hwnd = ::CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                wc.hInstance, nullptr);
  ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(impl_.get()));
  window_ = hwnd;
}

Win32EventLoop::~Win32EventLoop() {
  ::DestroyWindow(static_cast<HWND>(window_));
}

LocalTime Win32EventLoop::Now() {
  SYSTEMTIME t;
  ::GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

std::unique_ptr<Timer> Win32EventLoop::CreateTimer() {
  return std::make_unique<Win32Timer>(static_cast<HWND>(window_), *impl_, impl_->nextTimer++);
}

void Win32EventLoop::ProcessPendingEvents() {
  MSG msg;
  // Wide messages, so that characters typed into the Unicode text boxes
  // arrive whole; the system converts them for the ANSI windows.
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

void Win32EventLoop::RunInBackground(std::function<std::function<void()>()> work) {
  std::thread([this, work = std::move(work)] {
    RunLater([done = work()] {
      if (done) done();
    });
  }).detach();
}

void Win32EventLoop::RunLater(std::function<void()> f) {
  {
    std::lock_guard<std::mutex> lock(impl_->queueMutex);
    impl_->queue.push_back(std::move(f));
  }
  ::PostMessageA(static_cast<HWND>(window_), kRunQueued, 0, 0);
}

unsigned Win32EventLoop::AddMessageHandler(std::function<void()> handler) {
  const UINT msg = impl_->nextMessage++;
  impl_->handlers[msg] = std::move(handler);
  return msg;
}

int Win32EventLoop::Run(const std::function<bool(void* msg)>& isDialogMessage) {
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {  // wide, as above
    if (isDialogMessage && isDialogMessage(&msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace velnook
