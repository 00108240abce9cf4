#pragma once
// The configuration screen's Save and Restore buttons. Neither changes the
// running settings: saved values take effect when the screen closes and the
// program reads the file again.

#include "config/frm_config.h"

namespace velnook {

// Checks the fields and, when they differ from the snapshot, writes the
// settings file. The file is either replaced whole or left as it was. A
// field holding characters this system cannot store is refused, never
// written with them replaced.
void SaveClick(FrmConfig& screen, SharedState& state, Services& services);

// Puts the default values into the fields, with this system's default
// download directory; nothing is checked or written.
void RestoreClick(FrmConfig& screen, Services& services);

}  // namespace velnook
