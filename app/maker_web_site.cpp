#include "app/maker_web_site.h"

#include <exception>

namespace velnook {

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
