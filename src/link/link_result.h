// The outcome of a module request: success, or the text that tells the user
// what failed. The caller shows the text; the request itself shows nothing.
#pragma once

#include <functional>
#include <string>
#include <utility>

namespace krn {

class LinkResult {
 public:
  static LinkResult Success() { return LinkResult(); }
  static LinkResult Failure(std::string text) { return LinkResult(std::move(text)); }

  bool Ok() const { return error_.empty(); }
  const std::string& Error() const { return error_; }

 private:
  LinkResult() = default;
  explicit LinkResult(std::string text)
      : error_(text.empty() ? std::string("Module request failed") : std::move(text)) {}
  std::string error_;
};

// Waits between polls and retries. The real one sleeps; tests pass their own
// so that they don't wait for seconds.
using SleepFunction = std::function<void(int milliseconds)>;
void SleepMilliseconds(int milliseconds);

}  // namespace krn
