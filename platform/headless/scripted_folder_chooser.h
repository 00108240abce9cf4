#pragma once
// A folder chooser for tests: answers from a script and remembers where each
// dialog would have opened.

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/folder_chooser.h"

namespace velnook {

class ScriptedFolderChooser : public FolderChooser {
 public:
  std::optional<std::string> ChooseFolder(const std::string& title,
                                          const std::string& start) override {
    titles.push_back(title);
    starts.push_back(start);
    if (onShow) onShow();
    if (answers.empty()) return std::nullopt;  // cancelled
    auto answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::deque<std::optional<std::string>> answers;
  std::vector<std::string> titles, starts;
  std::function<void()> onShow;  // runs while the dialog would be open
};

}  // namespace velnook
