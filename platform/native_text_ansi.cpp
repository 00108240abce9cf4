#include "platform/native_text.h"

namespace velnook {

const char* const kFolderSeparatorsHint = "'\\'";
const char* const kChooseFolderCaption = "...";  // the same in every code page

std::string TextFromSettingsFile(std::string_view bytes) {
  return std::string(bytes);
}

std::size_t CharacterCount(std::string_view text) {
  return text.size();
}

bool EndsWithFolderSeparator(std::string_view path) {
  return !path.empty() && path.back() == '\\';
}

}  // namespace velnook
