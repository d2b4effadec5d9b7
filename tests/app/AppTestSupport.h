#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "common/SoundPort.h"
#include "common/StatusPort.h"

namespace orva::testing {

// A directory of its own for each test, removed afterwards.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orva-app-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

inline std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

inline void writeFile(const std::filesystem::path& path, std::string_view content) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out << content;
}

inline std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) result.push_back(line);
  return result;
}

// Names of the files directly in a directory, sorted.
inline std::set<std::string> fileNames(const std::filesystem::path& directory) {
  std::set<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(directory, error)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

// Plays only existing regular files; records every request.
class RecordingSound : public SoundPort {
 public:
  bool playAndWait(const std::string& path) override {
    played.push_back(path);
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
  }
  std::vector<std::string> played;
};

class RecordingStatus : public StatusPort {
 public:
  void setStatusText(std::string_view text) override { texts.emplace_back(text); }
  void setWaitCursor(bool) override {}
  std::vector<std::string> texts;
};

}  // namespace orva::testing
