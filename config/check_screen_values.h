#pragma once
// The check of the configuration screen's fields before anything is saved:
// marks the hint label of every field that breaks a rule and counts the
// broken rules. It never changes a field's value and never touches a file.

#include "config/frm_config.h"

namespace velnook {

// Returns the number of broken rules (0: every field acceptable). Also sets
// the screen's LogLevelCode and ShutTypeCode from the lists' texts.
int CheckScreenValues(FrmConfig& screen, const SharedState& state, Services& services);

// The number a field's text stands for; a number too large for a double
// reads as infinity, which every range rejects.
double FieldNumber(const std::string& text);

}  // namespace velnook
