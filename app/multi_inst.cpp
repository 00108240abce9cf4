#include "app/multi_inst.h"

#include "app/frm_about.h"

namespace velnook {

MultiInst::MultiInst(Services& services) : Form("MultiInst"), services_(services) {
  clientWidth = 5700;
  clientHeight = 1680;
  Add({.name = "Image1",
       .kind = ControlKind::Image,
       .left = 180,
       .top = 180,
       .width = 480,
       .height = 480});
  Add({.name = "ErrorMess",
       .kind = ControlKind::Label,
       .left = 840,
       .top = 180,
       .width = 3600,
       .height = 720});
  Add({.name = "Logo",
       .kind = ControlKind::Picture,
       .left = 4680,
       .top = 120,
       .width = 855,
       .height = 870});
  Add({.name = "Exit",
       .kind = ControlKind::Button,
       .left = 2220,
       .top = 1140,
       .width = 1200,
       .height = 375,
       .caption = "Exit",
       .tabIndex = 0});
}

void MultiInst::OnLoad() {
  caption = "Velnook Start Up Error";
  Get("ErrorMess").caption =
      "Velnook is already running. Only one instance can be running at a time.";
}

void MultiInst::OnActivate() {
  topmost = true;
}

void MultiInst::OnClick(const std::string& control) {
  if (control == "Exit") services_.process.EndProgram(false, EndKind::Normal);
  if (control == "Logo") OpenMakerWebSite(services_);
}

// No other window is loaded, so closing this one ends the process.
void MultiInst::OnCloseRequest() {
  services_.process.EndProgram(false, EndKind::Normal);
}

}  // namespace velnook
