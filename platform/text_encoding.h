#pragma once
// The program keeps its texts as Windows-1252 bytes, the way the settings
// file stores them; the screen and the desktop speak UTF-8.

#include <string>
#include <string_view>

namespace velnook {

std::string Cp1252ToUtf8(std::string_view bytes);
// Characters without a Windows-1252 form become "?".
std::string Utf8ToCp1252(std::string_view utf8);

}  // namespace velnook
