#pragma once
// Power actions and the shutdown countdown.

namespace velnook {}  // namespace velnook
