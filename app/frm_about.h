#pragma once
// The About window: title, version, the maker's notice and web address. It
// pauses the monitor while open and closes itself after 30 seconds. Its
// logo, like every other, opens the maker's web page.

#include <functional>
#include <memory>
#include <string>

#include "config/shared_state.h"
#include "platform/form.h"
#include "platform/services.h"

namespace velnook {

class FrmAbout : public Form {
 public:
  FrmAbout(Services& services, SharedState& state);

  // Loads and shows the window.
  void Open();
  // Closing by the monitor's time-out.
  void CloseWithoutActions();
  bool IsOpen() const { return open_; }

  void OnClick(const std::string& control) override;
  void OnCloseRequest() override;  // the frame's close box and Escape
  void OnActivate() override;

 private:
  void Timer1Tick();
  void ExitAbout();
  void Unload();

  Services& services_;
  SharedState& state_;
  std::unique_ptr<Timer> timer1_;
  bool open_ = false;
};

// The maker's web page, opened from every logo.
inline constexpr const char* kMakerWebSite = "https://www.velnook.org/";

// Opens the page in the user's browser; says so, under errorTitle, when that
// fails. afterLaunch runs once the browser was asked, whatever it answered.
void OpenMakerWebSite(Services& services, const std::string& errorTitle = "Velnook Error",
                      const std::function<void()>& afterLaunch = {});

}  // namespace velnook
