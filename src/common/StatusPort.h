#pragma once

#include <string_view>

namespace orva {

// The status bar and the wait cursor of the window, as the core sees them. The
// desktop program shows them; the command-line tool may print progress; tests record.
class StatusPort {
 public:
  virtual ~StatusPort() = default;
  virtual void setStatusText(std::string_view text) = 0;
  virtual void setWaitCursor(bool on) = 0;
};

// A StatusPort that shows nothing.
class NullStatusPort : public StatusPort {
 public:
  void setStatusText(std::string_view) override {}
  void setWaitCursor(bool) override {}
};

}  // namespace orva
