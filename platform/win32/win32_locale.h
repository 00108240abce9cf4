#pragma once
// The user's decimal separator, month names and short date from Windows.

#include "platform/locale_info.h"

namespace velnook {

LocaleInfo SystemLocale();

}  // namespace velnook
