#pragma once
// "velnook -Cancel" on Windows: a named pipe for each instance of the user,
// opened to that user alone and served on a thread of its own; each request
// is answered on the window thread.

#include <functional>
#include <string>
#include <vector>

#include "platform/remote_cancel.h"

namespace velnook {

// "\\.\pipe\Velnook-<the user's SID>-cancel-<pid>"; empty when the user is
// unknown.
std::string CancelPipeName(unsigned long pid);

// Serves requests at name for the rest of the run; runLater queues a call
// to the window thread. An empty text when serving, otherwise why not.
std::string ServeCancelPipe(const std::string& name,
                            std::function<void(std::function<void()>)> runLater,
                            std::function<CancelAnswer()> onCancel);

// Sends the request to the instance serving name and waits for its answer.
CancelOutcome RequestCancelOverPipe(const std::string& name, int timeoutMs = 10000);

// Asks every running process that serves a pipe of this user's, one after
// the other.
std::vector<CancelOutcome> RequestCancelOfAllOverPipes(int timeoutMs = 10000);

}  // namespace velnook
