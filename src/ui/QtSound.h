#pragma once

#include <QString>
#include <chrono>

#include "common/SoundPort.h"

namespace orva {

// Plays the end-of-cut sound through Qt Multimedia: a WAV file with a sound
// effect, any other format with a media player. playAndWait() returns when
// the sound has played, but keeps the window alive meanwhile: it waits in a
// local event loop (the window repaints; clicks and keys wait), never longer
// than the time limit. False at once when the system has no sound output.
class QtSound : public SoundPort {
 public:
  static constexpr std::chrono::milliseconds kDefaultLimit{30000};

  bool playAndWait(const std::string& path) override;

  void setTimeLimit(std::chrono::milliseconds limit) { limit_ = limit; }

 private:
  bool playEffect(const QString& file);
  bool playMedia(const QString& file);

  std::chrono::milliseconds limit_ = kDefaultLimit;
};

}  // namespace orva
