#include "app/frm_about.h"

#include <exception>

#include "config/config_file.h"

namespace velnook {

FrmAbout::FrmAbout(Services& services, SharedState& state)
    : Form("frmAbout"), services_(services), state_(state), timer1_(services.events.CreateTimer()) {
  modal = true;
  clientWidth = 5400;
  clientHeight = 3000;
  auto label = [this](const char* name, int t, int h) {
    Add({.name = name,
         .kind = ControlKind::Label,
         .left = 1200,
         .top = t,
         .width = 4000,
         .height = h});
  };
  Add({.name = "Label3",
       .kind = ControlKind::Label,
       .left = 0,
       .top = 0,
       .width = 1000,
       .height = 3000,
       .backColour = kDarkGreen});
  label("ProgName", 180, 300);
  Get("ProgName").bold = true;
  label("ProgVersion", 540, 285);
  label("Copyright", 900, 600);
  Get("Copyright").caption =
      "Copyright (c) The Velnook developers.\nFree software: use, share and change it.";
  label("WebSite", 1620, 285);
  Get("WebSite").caption = kMakerWebSite;
  Get("WebSite").foreColour = 0xFF0000;  // blue, the colour of a link
  Get("WebSite").tooltip = "Visit the Velnook web site";
  label("TMessage", 2040, 285);
  Add({.name = "ExitAbout",
       .kind = ControlKind::Button,
       .left = 4200,
       .top = 2460,
       .width = 1000,
       .height = 375,
       .caption = "Close",
       .tooltip = "Close About Screen",
       .tabIndex = 0});
}

void FrmAbout::Open() {
  state_.ScreenOpen = true;
  caption = "About " + state_.ProgramTitle;
  Get("ProgName").caption = state_.ProgramTitle;
  Get("ProgVersion").caption = std::string("Version ") + kProgramVersion;
  Get("TMessage").caption = "";
  Get("WebSite").foreColour = 0xFF0000;
  topmost = false;
  state_.ScreenCloseCountdown = state_.StartSwitch == 1 ? 4 : 30;
  open_ = true;
  timer1_->Start(1000, [this] { Timer1Tick(); });
  services_.windows.Show(*this);
  OnActivate();
}

void FrmAbout::OnActivate() {
  if (state_.settings.RunOnTop == 2) topmost = true;
  services_.windows.Refresh(*this);
}

void FrmAbout::Timer1Tick() {
  Get("TMessage").caption =
      "About will close in " + std::to_string(state_.ScreenCloseCountdown) + " sec";
  --state_.ScreenCloseCountdown;
  services_.windows.Refresh(*this);
}

void FrmAbout::OnClick(const std::string& control) {
  if (!open_) return;
  if (control == "ExitAbout") ExitAbout();
  if (control == "WebSite")
    OpenMakerWebSite(services_, state_.ProgramTitle + " Error",
                     [this] { Get("WebSite").foreColour = kOrange; });
}

void FrmAbout::OnCloseRequest() {
  if (open_) ExitAbout();
}

void FrmAbout::ExitAbout() {
  state_.ScreenOpen = false;
  Unload();
}

void FrmAbout::Unload() {
  open_ = false;
  timer1_->Stop();
  services_.windows.Unload(*this);
}

void FrmAbout::CloseWithoutActions() {
  if (open_) Unload();
}

void OpenMakerWebSite(Services& services, const std::string& errorTitle,
                      const std::function<void()>& afterLaunch) {
  try {
    services.events.ProcessPendingEvents();
    const bool launched = services.launcher.OpenWebPage(kMakerWebSite);
    if (afterLaunch) afterLaunch();
    if (!launched)
      services.messages.Show(
          {MsgIcon::None, MsgButtons::Ok, errorTitle, "Unable to launch Browser."});
  } catch (const std::exception& e) {
    services.messages.Show({MsgIcon::None, MsgButtons::Ok, errorTitle,
                            std::string("A program error has occured\r\nError Number: 1\r\n"
                                        "Error description: ") +
                                e.what()});
  }
}

}  // namespace velnook
