#include "platform/headless/headless_services.h"

namespace velnook {

HeadlessServices::HeadlessServices(const std::string& lockDir)
    : lock(lockDir), services{loop,    loop,    messages, files, lock,
                              process, windows, launcher, power, LocaleInfo{}} {
  process.windows = &windows;
}

}  // namespace velnook
