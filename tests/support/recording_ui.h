// A scripted user: records every message, busy change and path request, and
// answers from queues set up by the test (OK when a queue runs empty).
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "config/user_interface.h"

namespace krn::test {

struct RecordedMessage {
  std::string text;
  std::string title;
  MsgButtons buttons;
  MsgIcon icon;
};

class RecordingUi : public UserInterface {
 public:
  std::vector<RecordedMessage> messages;
  std::deque<MsgResult> answers;                     // next answers to Message
  std::deque<std::optional<std::string>> paths;      // next answers to ChooseModulePath
  std::vector<ProgressStep> progress;
  int busyDepth = 0;
  int maxBusyDepth = 0;
  int pathRequests = 0;
  bool busyDuringMessage = false;  // a message shown under the wait cursor
  int cancelProgressAfter = -1;    // Progress returns false once this many steps were seen

  MsgResult Message(const std::string& text, const std::string& title, MsgButtons buttons,
                    MsgIcon icon) override {
    if (busyDepth > 0) busyDuringMessage = true;
    messages.push_back({text, title, buttons, icon});
    if (answers.empty()) return buttons == MsgButtons::YesNoCancel ? MsgResult::Yes : MsgResult::Ok;
    const MsgResult r = answers.front();
    answers.pop_front();
    return r;
  }
  void BeginBusy() override {
    ++busyDepth;
    if (busyDepth > maxBusyDepth) maxBusyDepth = busyDepth;
  }
  void EndBusy() override { --busyDepth; }
  std::optional<std::string> ChooseModulePath() override {
    ++pathRequests;
    if (paths.empty()) return std::nullopt;
    auto p = paths.front();
    paths.pop_front();
    return p;
  }
  bool Progress(const ProgressStep& step) override {
    progress.push_back(step);
    return !(cancelProgressAfter >= 0 && static_cast<int>(progress.size()) > cancelProgressAfter);
  }

  std::vector<std::string> Texts() const {
    std::vector<std::string> t;
    for (const auto& m : messages) t.push_back(m.text);
    return t;
  }
};

}  // namespace krn::test
