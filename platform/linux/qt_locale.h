#pragma once
// The user's decimal separator, month abbreviations and short-date pattern.

#include "platform/locale_info.h"

namespace velnook {

LocaleInfo SystemLocale();

}  // namespace velnook
