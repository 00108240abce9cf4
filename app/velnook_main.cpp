#include "app/velnook_main.h"

#include "app/maker_web_site.h"

namespace velnook {

VelnookMain::VelnookMain(Services& services) : Form("VelnookMain"), services_(services) {
  clientWidth = 7260;
  clientHeight = 1005;
  auto label = [this](const char* name, int l, int t, int w, int h) {
    Add({.name = name, .kind = ControlKind::Label, .left = l, .top = t, .width = w, .height = h});
  };
  auto button = [this](const char* name, const char* text, int l, int tab) {
    Add({.name = name,
         .kind = ControlKind::Button,
         .left = l,
         .top = 585,
         .width = 980,
         .height = 345,
         .caption = text,
         .tabIndex = tab});
  };
  label("Title", 90, 0, 6240, 255);
  label("CPULoad", 90, 255, 1680, 255);
  label("Counter", 1710, 255, 4350, 255);
  button("TestS", "Test", 90, 0);
  button("Config", "Configure", 1200, 1);
  button("Reset", "Reset", 3960, 2);
  button("About", "About", 5097, 3);
  button("Exit", "Exit", 6235, 4);
  Get("TestS").enabled = false;
  Add({.name = "Logo",
       .kind = ControlKind::Picture,
       .left = 6380,
       .top = 75,
       .width = 855,
       .height = 435});
}

void VelnookMain::OnClick(const std::string& control) {
  if (control == "Exit") services_.process.EndProgram(true);
  if (control == "Logo") OpenMakerWebSite(services_);
}

void VelnookMain::OnCloseRequest() {
  services_.process.EndProgram(true);
}

}  // namespace velnook
