#pragma once

#include <QString>
#include <functional>

namespace orva {

class SettingsStore;

// The companion program started from the main tool bar: found through the
// settings value "CncConfig/Ferolo" (its full path) or else on the search
// path as "ferolo" or "Ferolo", and started detached with the single
// argument "ferolo". Nothing is shown when it cannot be found or started.
class CompanionProgram {
 public:
  static constexpr const char* kSettingsKey = "CncConfig/Ferolo";

  // The program's path, empty when it cannot be found.
  static QString locate(const SettingsStore& store);
  // Starts it; false when it cannot be found or started. `starter` starts a
  // program detached (QProcess::startDetached by default; tests record).
  using Starter = std::function<bool(const QString& program, const QStringList& arguments)>;
  static bool start(const SettingsStore& store, const Starter& starter = {});
};

}  // namespace orva
