#include "platform/form.h"

#include <stdexcept>

namespace velnook {

Control& Form::Get(const std::string& name) {
  for (auto& c : controls)
    if (c.name == name) return c;
  throw std::logic_error(name_ + " has no control " + name);
}

const Control& Form::Get(const std::string& name) const {
  return const_cast<Form*>(this)->Get(name);
}

}  // namespace velnook
