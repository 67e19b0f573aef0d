// The seam through which the GUI-free core reaches the user: message boxes,
// the wait cursor, the module path choice and progress of long module work.
// The Qt shell implements it with widgets, the command line with the
// terminal, and the tests with a scripted recorder (tests/support).
#pragma once

#include <optional>
#include <string>

namespace krn {

enum class MsgIcon { None, Exclamation, Stop, Information, Question };
enum class MsgButtons { Ok, OkCancel, YesNoCancel };
enum class MsgResult { Ok, Cancel, Yes, No };

// One step of long module work, for a progress display.
struct ProgressStep {
  std::string text;   // what is being done, e.g. "Writing configuration"
  int done = 0;       // chunks sent, polls made, ...
  int total = 0;      // 0 when unknown
  bool cancellable = false;
};

class UserInterface {
 public:
  virtual ~UserInterface() = default;

  // A modal message box. An empty title means the application's title.
  virtual MsgResult Message(const std::string& text, const std::string& title, MsgButtons buttons,
                            MsgIcon icon) = 0;

  // Wait cursor; calls nest.
  virtual void BeginBusy() = 0;
  virtual void EndBusy() = 0;

  // The path dialog: the module's path text ("ENET\\host\\Backplane\\3"), or
  // none when the user cancelled.
  virtual std::optional<std::string> ChooseModulePath() = 0;

  // Progress of long work. Returns false when the user asked to cancel (only
  // honoured where the step says it is cancellable).
  virtual bool Progress(const ProgressStep& step) {
    (void)step;
    return true;
  }
  virtual void EndProgress() {}

  // Convenience: a plain notice with OK.
  void Tell(const std::string& text, MsgIcon icon = MsgIcon::Exclamation,
            const std::string& title = {}) {
    Message(text, title, MsgButtons::Ok, icon);
  }
};

// RAII wait cursor.
class BusyScope {
 public:
  explicit BusyScope(UserInterface& ui) : ui_(&ui) { ui_->BeginBusy(); }
  ~BusyScope() { End(); }
  void End() {
    if (ui_) ui_->EndBusy();
    ui_ = nullptr;
  }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  UserInterface* ui_;
};

}  // namespace krn
