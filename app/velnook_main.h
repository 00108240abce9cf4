#pragma once
// The main window: a small bar with the action, the rate and a status line,
// five buttons and the maker's logo.

#include "platform/form.h"
#include "platform/services.h"

namespace velnook {

class VelnookMain : public Form {
 public:
  explicit VelnookMain(Services& services);
  void OnClick(const std::string& control) override;
  void OnCloseRequest() override;

 private:
  Services& services_;
};

}  // namespace velnook
