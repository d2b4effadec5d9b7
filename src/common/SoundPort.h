#pragma once

#include <string>

namespace orva {

// Plays sounds for the core (the end-of-cut sound). The desktop program plays
// through the system, tests record the requests.
class SoundPort {
 public:
  virtual ~SoundPort() = default;
  // Plays the file and returns when it has played; false when it cannot be played.
  virtual bool playAndWait(const std::string& path) = 0;
};

}  // namespace orva
