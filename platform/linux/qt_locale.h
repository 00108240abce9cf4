#pragma once
// The user's decimal separator and month abbreviations.

#include "platform/locale_info.h"

namespace velnook {

LocaleInfo SystemLocale();

}  // namespace velnook
