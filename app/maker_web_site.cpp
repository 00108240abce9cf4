#include "app/maker_web_site.h"

#include <exception>

namespace velnook {

void OpenMakerWebSite(Services& services) {
  try {
    services.events.ProcessPendingEvents();
    if (!services.launcher.OpenWebPage(kMakerWebSite))
      services.messages.Show(
          {MsgIcon::None, MsgButtons::Ok, "Velnook Error", "Unable to launch Browser."});
  } catch (const std::exception& e) {
    services.messages.Show({MsgIcon::None, MsgButtons::Ok, "Velnook Error",
                            std::string("A program error has occured\r\nError Number: 1\r\n"
                                        "Error description: ") +
                                e.what()});
  }
}

}  // namespace velnook
