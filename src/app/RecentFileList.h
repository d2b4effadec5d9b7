#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace orva {

class SettingsStore;

// The group of the settings file holding the recent-file list, beside
// "CncConfig"; its keys are "File1" (the most recent) to "File4".
inline constexpr std::string_view kRecentFileGroup = "Recent File List";

// The projects opened or saved last, most recent first, each at most once,
// at most kCapacity of them. Paths are UTF-8 and compared in their lexically
// normal form, so "/a/./b.cnc" and "/a/b.cnc" are one entry.
class RecentFileList {
 public:
  static constexpr std::size_t kCapacity = 4;

  const std::vector<std::string>& files() const { return files_; }

  // Puts `path` first, removing an earlier entry of it and the oldest entry
  // beyond the capacity. An empty path changes nothing.
  void add(const std::filesystem::path& path);
  // Removes `path`; false when it was not listed.
  bool remove(const std::filesystem::path& path);

  // Reads the list from the store: the keys File1..File4 in order, empty
  // values and repeated entries left out. Replaces the list held.
  void load(const SettingsStore& store);
  // Writes the list (removing the keys of entries no longer held) and
  // flushes the store; false when it could not be written.
  bool save(const SettingsStore& store) const;

 private:
  std::vector<std::string> files_;
};

}  // namespace orva
