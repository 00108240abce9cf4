#pragma once
// Windows-1252, the settings files of older versions, and UTF-8, the
// desktop's own text.

#include <cstddef>
#include <string>
#include <string_view>

namespace velnook {

std::string Cp1252ToUtf8(std::string_view bytes);

// Well-formed UTF-8: no stray or cut-off sequences, no overlong forms, no
// surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view bytes);
// Characters of a UTF-8 text; each byte of a malformed sequence counts as one.
std::size_t Utf8CharacterCount(std::string_view utf8);

}  // namespace velnook
