#pragma once

#include "common/SoundPort.h"

namespace orva {

// Plays a sound file with the desktop's command-line player (PulseAudio's
// paplay, else ALSA's aplay) and waits for it; false when neither is there
// or the file cannot be played.
class SystemSound : public SoundPort {
 public:
  bool playAndWait(const std::string& path) override;
};

}  // namespace orva
