#pragma once
// How this system keeps the program's texts and paths. The build picks one
// implementation: on Linux texts are UTF-8 (settings files written by older
// versions in Windows-1252 still read) and a folder path may end in "/" or
// "\"; on Windows texts are in the system's ANSI code page and a folder path
// ends in "\".

#include <cstddef>
#include <string>
#include <string_view>

namespace velnook {

// The settings file's bytes as the program's text.
std::string TextFromSettingsFile(std::string_view bytes);

// The length of a text in characters, as the length limits count it.
std::size_t CharacterCount(std::string_view text);

// True when the text ends in a character that closes a folder path here.
bool EndsWithFolderSeparator(std::string_view path);

// The closing characters as the screen's hints name them: "'\'" or
// "'/' or '\'".
extern const char* const kFolderSeparatorsHint;

// The caption of the small buttons that open the folder chooser.
extern const char* const kChooseFolderCaption;

}  // namespace velnook
