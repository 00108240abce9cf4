#include "platform/win32/win32_windows.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "platform/win32/windows_api.h"

namespace velnook {

namespace {

constexpr const char* kFormClass = "VelnookForm";
constexpr const char* kTrayClass = "VelnookTray";
constexpr UINT kActivated = WM_APP + 1;  // posted, so activation never re-enters a caller
constexpr int kFirstControlId = 100;
constexpr int kDropDownListPixels = 160;  // a drop-down list's height includes its list

// Arial 9.75 pt at 96 DPI, plain and bold, shared by every control.
HFONT Font(bool bold) {
  static HFONT fonts[2] = {};
  HFONT& f = fonts[bold ? 1 : 0];
  if (!f)
    f = ::CreateFontA(-13, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                      DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                      DEFAULT_PITCH | FF_SWISS, "Arial");
  return f;
}

HBRUSH Brush(COLORREF c) {
  static std::map<COLORREF, HBRUSH> brushes;
  auto& b = brushes[c];
  if (!b) b = ::CreateSolidBrush(c);
  return b;
}

HICON ProgramIcon() {
  HICON icon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
  return icon ? icon : ::LoadIconA(nullptr, MAKEINTRESOURCEA(32512));  // IDI_APPLICATION
}

// The maker's logo: a dark green tile with a white V.
void DrawLogo(HDC dc, RECT r) {
  ::FillRect(dc, &r, ::GetSysColorBrush(COLOR_BTNFACE));
  HGDIOBJ oldBrush = ::SelectObject(dc, Brush(RGB(0, 102, 0)));
  HGDIOBJ oldPen = ::SelectObject(dc, ::GetStockObject(NULL_PEN));
  ::RoundRect(dc, r.left + 1, r.top + 1, r.right - 1, r.bottom - 1, 12, 12);
  const int h = r.bottom - r.top;
  HFONT font = ::CreateFontA(-std::max(8, h * 2 / 3), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                             DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial");
  HGDIOBJ oldFont = ::SelectObject(dc, font);
  ::SetTextColor(dc, RGB(255, 255, 255));
  ::SetBkMode(dc, TRANSPARENT);
  ::DrawTextA(dc, "V", 1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  ::SelectObject(dc, oldFont);
  ::DeleteObject(font);
  ::SelectObject(dc, oldPen);
  ::SelectObject(dc, oldBrush);
}

// A text box's text in the ANSI code page the program keeps its texts in.
// |lost| tells whether a typed character has no form there: the text is
// then not what the user sees, and Save refuses it.
std::string AnsiWindowText(HWND h, bool& lost) {
  const int n = ::GetWindowTextLengthW(h);
  std::wstring wide(static_cast<size_t>(n) + 1, L'\0');
  wide.resize(static_cast<size_t>(::GetWindowTextW(h, wide.data(), n + 1)));
  BOOL usedDefault = FALSE;
  // A UTF-8 code page stores everything and takes no such flag.
  BOOL* flag = ::GetACP() == CP_UTF8 ? nullptr : &usedDefault;
  const DWORD how = flag ? WC_NO_BEST_FIT_CHARS : 0;
  const int wn = static_cast<int>(wide.size());
  const int size = ::WideCharToMultiByte(CP_ACP, how, wide.data(), wn, nullptr, 0, nullptr, flag);
  std::string s(static_cast<size_t>(std::max(size, 0)), '\0');
  ::WideCharToMultiByte(CP_ACP, how, wide.data(), wn, s.data(), size, nullptr, flag);
  lost = usedDefault != FALSE;
  return s;
}

}  // namespace

// One top-level window drawing one model.
class FormWindow {
 public:
  FormWindow(Form& form, Win32Windows& owner) : form_(form), owner_(owner) {
    RegisterClass();
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN |
                        (form.modal ? 0 : WS_MINIMIZEBOX);
    hwnd_ =
        ::CreateWindowExA(0, kFormClass, form.caption.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                          100, 100, nullptr, nullptr, ::GetModuleHandleA(nullptr), this);
    // Keyboard order as the model gives it: the order of creation.
    std::vector<size_t> order(form.controls.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
      const int ta = form.controls[a].tabIndex, tb = form.controls[b].tabIndex;
      if ((ta < 0) != (tb < 0)) return ta >= 0;
      return ta >= 0 && ta < tb;
    });
    for (size_t i : order) Build(form.controls[i], kFirstControlId + static_cast<int>(i));
    Sync();
  }
  ~FormWindow() { ::DestroyWindow(hwnd_); }
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;

  HWND Handle() const { return hwnd_; }
  // Unloaded: destroyed once no event of it is running.
  void MarkUnloaded() { unloaded_ = true; }
  bool InEvent() const { return depth_ > 0; }
  // Keyboard focus to the first control in the model's order.
  void FocusFirst() {
    HWND first = ::GetNextDlgTabItem(hwnd_, nullptr, FALSE);
    if (first) ::SetFocus(first);
  }
  Form& Model() { return form_; }

  void Sync() {
    if (form_.caption != caption_) {
      caption_ = form_.caption;
      ::SetWindowTextA(hwnd_, caption_.c_str());
    }
    RECT r{0, 0, TwipsToPixels(form_.clientWidth), TwipsToPixels(form_.clientHeight)};
    if (r.right != clientW_ || r.bottom != clientH_) {
      clientW_ = r.right;
      clientH_ = r.bottom;
      ::AdjustWindowRectEx(&r, static_cast<DWORD>(::GetWindowLongA(hwnd_, GWL_STYLE)), FALSE, 0);
      ::SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (form_.topmost != topmost_) {
      topmost_ = form_.topmost;
      const UINT show = ::IsWindowVisible(hwnd_) ? SWP_SHOWWINDOW : 0;
      ::SetWindowPos(hwnd_, topmost_ ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | show);
    }
    for (Control& c : form_.controls) SyncControl(c);
  }

  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
      case WM_COMMAND:
        Command(LOWORD(wp), HIWORD(wp));
        return 0;
      case WM_CLOSE:
        // The model decides: it unloads the window or keeps it.
        Forward([this] { form_.OnCloseRequest(); });
        return 0;
      case WM_QUERYENDSESSION:
        return TRUE;
      case WM_ENDSESSION:
        // The session may end the process as soon as this returns: end now.
        if (wp && owner_.onSessionEnd) owner_.onSessionEnd();
        return 0;
      case WM_SIZE: {
        if (wp != SIZE_MINIMIZED && wp != SIZE_RESTORED) break;
        const WindowState s = wp == SIZE_MINIMIZED ? WindowState::Minimised : WindowState::Normal;
        if (s != form_.state && ::IsWindowVisible(hwnd_))
          Forward([this, s] { form_.OnStateChanged(s); });
        return 0;
      }
      case WM_ACTIVATE:
        if (LOWORD(wp) != WA_INACTIVE) ::PostMessageA(hwnd_, kActivated, 0, 0);
        break;
      case kActivated:
        if (::GetActiveWindow() == hwnd_) Forward([this] { form_.OnActivate(); });
        return 0;
      case WM_CTLCOLORSTATIC:
      case WM_CTLCOLOREDIT:
      case WM_CTLCOLORBTN:
        return reinterpret_cast<LRESULT>(
            Colours(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp), msg));
      case WM_DRAWITEM: {
        auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
        DrawLogo(d->hDC, d->rcItem);
        return TRUE;
      }
      default:
        break;
    }
    return ::DefWindowProcA(hwnd_, msg, wp, lp);
  }

 private:
  struct Shown {  // what the control shows now, so Sync touches only changes
    HWND hwnd = nullptr;
    ControlKind kind = ControlKind::Label;
    RECT place{-1, -1, -1, -1};
    std::string text;
    bool textSet = false;
    int bold = -1, enabled = -1, visible = -1, readOnly = -1;
    Colour fore = kDefaultColour, back = kDefaultColour;
    std::vector<std::string> items;
    std::string tooltip;
    bool tipAdded = false;
  };

  static void RegisterClass() {
    static bool done = false;
    if (done) return;
    done = true;
    WNDCLASSA wc{};
    wc.lpfnWndProc = &FormWindow::Proc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.hIcon = ProgramIcon();
    wc.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kFormClass;
    ::RegisterClassA(&wc);
  }

  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
      auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
      ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
      reinterpret_cast<FormWindow*>(cs->lpCreateParams)->hwnd_ = hwnd;
    }
    auto* self = reinterpret_cast<FormWindow*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self || self->hwnd_ != hwnd) return ::DefWindowProcA(hwnd, msg, wp, lp);
    // An event may unload its own window and let other events run (a scan
    // does): the window lives on until its outermost event has returned.
    ++self->depth_;
    const LRESULT r = self->OnMessage(msg, wp, lp);
    if (--self->depth_ == 0 && self->unloaded_) self->owner_.CollectUnloaded();
    return r;
  }

  void Forward(const std::function<void()>& f) {
    f();
    owner_.RefreshAll();
  }

  void Build(const Control& c, int id) {
    const char* cls = "STATIC";
    DWORD style = WS_CHILD | (c.tabIndex >= 0 ? WS_TABSTOP : 0);
    switch (c.kind) {
      case ControlKind::Label:
        style |= SS_LEFT | SS_NOTIFY | SS_NOPREFIX;
        break;
      case ControlKind::Picture:
        style |= SS_OWNERDRAW | SS_NOTIFY;
        break;
      case ControlKind::Image:
        style |= SS_ICON | SS_REALSIZECONTROL | SS_NOTIFY;
        break;
      case ControlKind::Button:
        cls = "BUTTON";
        style |= BS_PUSHBUTTON;
        break;
      case ControlKind::CheckBox:
        cls = "BUTTON";
        style |= BS_AUTOCHECKBOX;
        break;
      case ControlKind::TextBox:
        cls = "EDIT";
        // A thin border, as narrow boxes need their room for the text.
        style |= ES_AUTOHSCROLL | ES_LEFT | WS_BORDER;
        break;
      case ControlKind::ComboBox:
        cls = "COMBOBOX";
        style |= CBS_DROPDOWNLIST | WS_VSCROLL;
        break;
    }
    // Text boxes are Unicode windows, so that what is typed arrives whole
    // and a character the code page lacks can be told apart from "?".
    const auto menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
    HWND h = c.kind == ControlKind::TextBox
                 ? ::CreateWindowExW(0, L"EDIT", L"", style, 0, 0, 0, 0, hwnd_, menu,
                                     ::GetModuleHandleW(nullptr), nullptr)
                 : ::CreateWindowExA(0, cls, "", style, 0, 0, 0, 0, hwnd_, menu,
                                     ::GetModuleHandleA(nullptr), nullptr);
    if (c.kind == ControlKind::Image)
      ::SendMessageA(h, STM_SETICON,
                     reinterpret_cast<WPARAM>(::LoadIconA(nullptr, MAKEINTRESOURCEA(32513))),
                     0);  // IDI_HAND, the stop sign
    Shown s;
    s.hwnd = h;
    s.kind = c.kind;
    shown_[c.name] = s;
    names_[id] = c.name;
  }

  void SyncControl(Control& c) {
    Shown& s = shown_.at(c.name);
    HWND h = s.hwnd;
    RECT place{TwipsToPixels(c.left), TwipsToPixels(c.top), TwipsToPixels(c.width),
               TwipsToPixels(c.height)};
    if (c.kind == ControlKind::ComboBox) place.bottom += kDropDownListPixels;
    if (std::memcmp(&place, &s.place, sizeof place) != 0) {
      s.place = place;
      ::SetWindowPos(h, nullptr, place.left, place.top, place.right, place.bottom,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (s.bold != (c.bold ? 1 : 0)) {
      s.bold = c.bold ? 1 : 0;
      ::SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(Font(c.bold)), TRUE);
    }
    if (s.enabled != (c.enabled ? 1 : 0)) {
      s.enabled = c.enabled ? 1 : 0;
      ::EnableWindow(h, c.enabled);
    }
    if (c.foreColour != s.fore || c.backColour != s.back) {
      s.fore = c.foreColour;
      s.back = c.backColour;
      ::InvalidateRect(h, nullptr, TRUE);
    }
    switch (c.kind) {
      case ControlKind::TextBox:
        // Only a change of the model rewrites the box, so typing keeps its caret.
        if (bool lost = false; c.caption != AnsiWindowText(h, lost)) SetText(h, c.caption);
        if (s.readOnly != (c.readOnly ? 1 : 0)) {
          s.readOnly = c.readOnly ? 1 : 0;
          ::SendMessageA(h, EM_SETREADONLY, c.readOnly, 0);
        }
        break;
      case ControlKind::CheckBox:
        if (!s.textSet || s.text != c.caption) SetShownText(s, c.caption);
        if ((::SendMessageA(h, BM_GETCHECK, 0, 0) == BST_CHECKED) != (c.value != 0))
          ::SendMessageA(h, BM_SETCHECK, c.value != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
        break;
      case ControlKind::ComboBox:
        if (s.items != c.items) {
          s.items = c.items;
          syncing_ = true;
          ::SendMessageA(h, CB_RESETCONTENT, 0, 0);
          for (auto& i : c.items)
            ::SendMessageA(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(i.c_str()));
          syncing_ = false;
        }
        if (::SendMessageA(h, CB_GETCURSEL, 0, 0) != c.value) {
          syncing_ = true;
          ::SendMessageA(h, CB_SETCURSEL, static_cast<WPARAM>(c.value), 0);
          syncing_ = false;
        }
        break;
      case ControlKind::Label:
      case ControlKind::Button:
        if (!s.textSet || s.text != c.caption) SetShownText(s, c.caption);
        break;
      case ControlKind::Picture:
      case ControlKind::Image:
        break;
    }
    if (c.tooltip != s.tooltip || (!s.tipAdded && !c.tooltip.empty())) SetTooltip(s, c.tooltip);
    if (s.visible != (c.visible ? 1 : 0)) {
      s.visible = c.visible ? 1 : 0;
      ::ShowWindow(h, c.visible ? SW_SHOWNA : SW_HIDE);
    }
  }

  // One tooltip window per form, with a tool for each control that has a tip.
  void SetTooltip(Shown& s, const std::string& text) {
    s.tooltip = text;
    if (!tips_) {
      tips_ = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_,
                                nullptr, ::GetModuleHandleA(nullptr), nullptr);
      if (!tips_) return;
    }
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;  // understood without a manifest too
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(s.hwnd);
    tool.lpszText = const_cast<char*>(s.tooltip.c_str());
    if (!s.tipAdded)
      s.tipAdded = ::SendMessageA(tips_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)) != 0;
    else
      ::SendMessageA(tips_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
  }

  void SetShownText(Shown& s, const std::string& text) {
    s.text = text;
    s.textSet = true;
    SetText(s.hwnd, text);
  }

  void SetText(HWND h, const std::string& text) {
    syncing_ = true;
    ::SetWindowTextA(h, text.c_str());
    syncing_ = false;
  }

  void Command(int id, int code) {
    if (id == IDCANCEL) {
      // Escape closes a modal window the way its close button does; on the
      // main window it would end the program, so there it does nothing.
      if (form_.modal) Forward([this] { form_.OnCloseRequest(); });
      return;
    }
    if (id == IDOK) {
      // Enter presses the focused button.
      HWND focus = ::GetFocus();
      for (auto& [name, s] : shown_)
        if (s.hwnd == focus && s.kind == ControlKind::Button) {
          const std::string n = name;
          Forward([this, n] { form_.OnClick(n); });
        }
      return;
    }
    auto it = names_.find(id);
    if (it == names_.end() || syncing_) return;
    const std::string name = it->second;
    Shown& s = shown_.at(name);
    switch (s.kind) {
      case ControlKind::Button:
        if (code == BN_CLICKED) Forward([this, name] { form_.OnClick(name); });
        break;
      case ControlKind::Label:
      case ControlKind::Picture:
      case ControlKind::Image:
        if (code == STN_CLICKED) Forward([this, name] { form_.OnClick(name); });
        break;
      case ControlKind::CheckBox:
        if (code == BN_CLICKED) {
          form_.Get(name).value = ::SendMessageA(s.hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
          Forward([this, name] { form_.OnChange(name); });
        }
        break;
      case ControlKind::TextBox:
        if (code == EN_CHANGE) {
          Control& c = form_.Get(name);
          c.caption = AnsiWindowText(s.hwnd, c.unstorable);
          Forward([this, name] { form_.OnChange(name); });
        }
        break;
      case ControlKind::ComboBox:
        if (code == CBN_SELCHANGE) {
          form_.Get(name).value = static_cast<int>(::SendMessageA(s.hwnd, CB_GETCURSEL, 0, 0));
          Forward([this, name] { form_.OnChange(name); });
        }
        break;
    }
  }

  // System colours 18 (button text) and 15 (button face) unless the model
  // gives its own.
  HBRUSH Colours(HDC dc, HWND control, UINT msg) {
    const Control* c = nullptr;
    for (auto& [name, shown] : shown_)
      if (shown.hwnd == control) c = &form_.Get(name);
    // Text boxes that can be typed into keep the window colours.
    const bool typing = msg == WM_CTLCOLOREDIT;
    const COLORREF fore = !c || c->foreColour == kDefaultColour
                              ? ::GetSysColor(typing ? COLOR_WINDOWTEXT : COLOR_BTNTEXT)
                              : static_cast<COLORREF>(c->foreColour);
    COLORREF back = ::GetSysColor(typing ? COLOR_WINDOW : COLOR_BTNFACE);
    if (c && c->backColour == kButtonFace) back = ::GetSysColor(COLOR_BTNFACE);
    if (c && c->backColour >= 0) back = static_cast<COLORREF>(c->backColour);
    ::SetTextColor(dc, fore);
    ::SetBkColor(dc, back);
    return Brush(back);
  }

  Form& form_;
  Win32Windows& owner_;
  HWND hwnd_ = nullptr;
  HWND tips_ = nullptr;
  std::map<std::string, Shown> shown_;
  std::map<int, std::string> names_;
  std::string caption_;
  int clientW_ = -1, clientH_ = -1;
  bool topmost_ = false;
  bool syncing_ = false;
  int depth_ = 0;
  bool unloaded_ = false;
};

struct Win32Windows::Tray {
  HWND hwnd = nullptr;
  NOTIFYICONDATAA data{};
  bool added = false;
  std::function<void()> onDoubleClick;
};

namespace {

LRESULT CALLBACK TrayProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  // The icon reports its mouse messages as WM_MOUSEMOVE with the message
  // in place of the x coordinate.
  if (msg == WM_MOUSEMOVE) {
    auto* owner = reinterpret_cast<Win32Windows*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (owner) owner->TrayCallback(static_cast<long long>(lp));
    return 0;
  }
  return ::DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

Win32Windows::Win32Windows(std::function<void(std::function<void()>)> runLater)
    : runLater_(std::move(runLater)) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&controls);  // the tooltips
}

Win32Windows::~Win32Windows() {
  RemoveTrayIcon();
  if (tray_ && tray_->hwnd) ::DestroyWindow(tray_->hwnd);
}

FormWindow& Win32Windows::WindowFor(Form& form) {
  auto& w = windows_[&form];
  if (!w) w = std::make_unique<FormWindow>(form, *this);
  return *w;
}

void Win32Windows::Show(Form& form) {
  FormWindow& w = WindowFor(form);
  w.Sync();
  const bool wasVisible = ::IsWindowVisible(w.Handle());
  ::ShowWindow(w.Handle(), form.state == WindowState::Normal ? SW_SHOWNORMAL : SW_SHOW);
  ::SetForegroundWindow(w.Handle());
  if (!wasVisible) w.FocusFirst();
  if (form.modal && !wasVisible) ModalShown(w, true);
}

void Win32Windows::ShowWithoutActivating(Form& form) {
  FormWindow& w = WindowFor(form);
  w.Sync();
  ::ShowWindow(w.Handle(), form.state == WindowState::Normal ? SW_SHOWNOACTIVATE : SW_SHOWNA);
}

void Win32Windows::Hide(Form& form) {
  auto it = windows_.find(&form);
  if (it == windows_.end()) return;
  // Without a notification area a hidden window could never come back:
  // leave a minimised one on the task bar instead.
  if (form.state == WindowState::Minimised && !(tray_ && tray_->added)) {
    ::ShowWindow(it->second->Handle(), SW_SHOWMINNOACTIVE);
    return;
  }
  const bool wasVisible = ::IsWindowVisible(it->second->Handle());
  ::ShowWindow(it->second->Handle(), SW_HIDE);
  if (form.modal && wasVisible) ModalShown(*it->second, false);
}

void Win32Windows::Unload(Form& form) {
  auto it = windows_.find(&form);
  if (it == windows_.end()) return;
  Hide(form);
  // It may be inside its own event: destroy it once that has returned.
  it->second->MarkUnloaded();
  unloaded_.push_back(std::move(it->second));
  windows_.erase(it);
  CollectUnloaded();
}

void Win32Windows::CollectUnloaded() {
  if (runLater_)
    runLater_([this] {
      if (holds_ > 0) return;
      std::erase_if(unloaded_, [](const std::unique_ptr<FormWindow>& w) { return !w->InEvent(); });
    });
}

void Win32Windows::Refresh(Form& form) {
  auto it = windows_.find(&form);
  if (it != windows_.end()) it->second->Sync();
}

void Win32Windows::CentreOnScreen(Form& form) {
  FormWindow& w = WindowFor(form);
  RECT r;
  ::GetWindowRect(w.Handle(), &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
  ::SetWindowPos(w.Handle(), nullptr, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (::GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Windows::RequestAttention(Form& form) {
  // The task-bar button flashes until the user brings the window forward.
  FLASHWINFO flash{};
  flash.cbSize = sizeof flash;
  flash.hwnd = WindowFor(form).Handle();
  flash.dwFlags = FLASHW_ALL | FLASHW_TIMERNOFG;
  ::FlashWindowEx(&flash);
}

void Win32Windows::RefreshAll() {
  for (auto& [form, w] : windows_) w->Sync();
}

void Win32Windows::DrawAll() {
  for (auto& [form, w] : windows_) {
    w->Sync();
    if (::IsWindowVisible(w->Handle()))
      ::RedrawWindow(w->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  }
}

bool Win32Windows::TakeDialogMessage(void* m) {
  auto* msg = static_cast<MSG*>(m);
  if (!msg->hwnd) return false;
  HWND root = ::GetAncestor(msg->hwnd, GA_ROOT);
  for (auto& [form, w] : windows_)
    if (w->Handle() == root) return ::IsDialogMessageW(root, msg) != 0;
  return false;
}

void* Win32Windows::WindowOf(const Form& form) const {
  auto it = windows_.find(const_cast<Form*>(&form));
  return it == windows_.end() ? nullptr : it->second->Handle();
}

void Win32Windows::ModalShown(FormWindow& modal, bool shown) {
  // Input goes to the modal window alone while it is up.
  for (auto& [form, w] : windows_)
    if (w.get() != &modal) ::EnableWindow(w->Handle(), !shown);
  if (!shown)
    for (auto& [form, w] : windows_)
      if (w.get() != &modal && ::IsWindowVisible(w->Handle())) {
        ::SetForegroundWindow(w->Handle());
        break;
      }
}

void Win32Windows::TrayCallback(long long mouseMessage) {
  // Only a double-click of the left button acts.
  if (mouseMessage != WM_LBUTTONDBLCLK || !tray_ || !tray_->onDoubleClick) return;
  auto f = tray_->onDoubleClick;  // it may remove the icon
  f();
  RefreshAll();
}

void Win32Windows::AddTrayIcon(const std::string& tip, std::function<void()> onDoubleClick) {
  if (!tray_) {
    tray_ = std::make_unique<Tray>();
    WNDCLASSA wc{};
    wc.lpfnWndProc = TrayProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = kTrayClass;
    ::RegisterClassA(&wc);
    tray_->hwnd = ::CreateWindowExA(0, kTrayClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                    wc.hInstance, nullptr);
    ::SetWindowLongPtrA(tray_->hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  tray_->onDoubleClick = std::move(onDoubleClick);
  NOTIFYICONDATAA& d = tray_->data;
  d = {};
  d.cbSize = NOTIFYICONDATAA_V1_SIZE;
  d.hWnd = tray_->hwnd;
  d.uID = 1;
  d.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  d.uCallbackMessage = WM_MOUSEMOVE;
  d.hIcon = ProgramIcon();
  tip.copy(d.szTip, std::min(tip.size(), size_t{63}));
  // Adding twice changes nothing.
  if (!tray_->added) tray_->added = ::Shell_NotifyIconA(NIM_ADD, &d) != 0;
}

bool Win32Windows::ShowTrayBalloon(const std::string& title, const std::string& text) {
  if (!tray_ || !tray_->added) return false;
  NOTIFYICONDATAA d = tray_->data;
  d.cbSize = NOTIFYICONDATAA_V2_SIZE;  // the first size with balloons
  d.uFlags = NIF_INFO;
  d.dwInfoFlags = NIIF_INFO;
  text.copy(d.szInfo, std::min(text.size(), sizeof d.szInfo - 1));
  title.copy(d.szInfoTitle, std::min(title.size(), sizeof d.szInfoTitle - 1));
  return ::Shell_NotifyIconA(NIM_MODIFY, &d) != 0;
}

void Win32Windows::RemoveTrayIcon() {
  if (!tray_ || !tray_->added) return;
  ::Shell_NotifyIconA(NIM_DELETE, &tray_->data);
  tray_->added = false;
}

}  // namespace velnook
