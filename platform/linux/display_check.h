#pragma once
// Tells, before Qt starts, whether the program can reach a display: Qt
// aborts when it cannot, and a user starting Velnook from a text console or
// over ssh deserves a sentence rather than a core dump.

#include <string>

namespace velnook {

// Empty when a display answers, or when the platform Qt will use is not X11
// (Wayland, offscreen, ...) and so is left to Qt; otherwise why no display
// could be reached, as the end of a sentence.
std::string UnreachableDisplay(int argc, char** argv);

}  // namespace velnook
