#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace orva::test {

// A directory of its own, created empty and removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// The whole file as bytes; empty when it cannot be read.
std::string readFile(const std::filesystem::path& path);
// Writes the bytes, creating the parent directories; false when it failed.
bool writeFile(const std::filesystem::path& path, std::string_view content);
// The lines of a text, without their line ends ("\n" or "\r\n").
std::vector<std::string> lines(std::string_view text);
// Names of the entries directly in a directory, sorted.
std::set<std::string> fileNames(const std::filesystem::path& directory);

// tests/data of the source tree.
std::filesystem::path testDataDir();

}  // namespace orva::test
