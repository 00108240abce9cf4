#pragma once
// The start-up error window shown by a refused second instance.

#include "platform/form.h"
#include "platform/services.h"

namespace velnook {

class MultiInst : public Form {
 public:
  explicit MultiInst(Services& services);
  void OnLoad();               // caption and message
  void OnActivate() override;  // keep it above every other window
  void OnClick(const std::string& control) override;
  void OnCloseRequest() override;

 private:
  Services& services_;
};

}  // namespace velnook
