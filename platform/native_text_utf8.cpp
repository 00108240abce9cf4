#include "platform/native_text.h"
#include "platform/text_encoding.h"

namespace velnook {

const char* const kFolderSeparatorsHint = "'/' or '\\'";
const char* const kChooseFolderCaption = "\xE2\x80\xA6";  // the ellipsis

std::string TextFromSettingsFile(std::string_view bytes) {
  // Older versions wrote Windows-1252; a file that is not valid UTF-8 is one.
  if (IsValidUtf8(bytes)) return std::string(bytes);
  return Cp1252ToUtf8(bytes);
}

std::size_t CharacterCount(std::string_view text) {
  return Utf8CharacterCount(text);
}

bool EndsWithFolderSeparator(std::string_view path) {
  return !path.empty() && (path.back() == '/' || path.back() == '\\');
}

}  // namespace velnook
