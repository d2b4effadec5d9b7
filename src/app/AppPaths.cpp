#include "app/AppPaths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <cerrno>
#include <QString>
#include <cstdlib>
#include <optional>
#include <system_error>

#include "app/AppSettings.h"

namespace orva {

namespace fs = std::filesystem;

namespace {

// An environment variable's directory, when it is set to an absolute path (a
// relative one is to be ignored, as the desktop's rules say).
std::optional<fs::path> absoluteFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return std::nullopt;
  fs::path path(value);
  if (!path.is_absolute()) return std::nullopt;
  return path;
}

fs::path baseDirectory(const char* variable, const fs::path& underHome) {
  if (auto path = absoluteFromEnvironment(variable)) return *path;
  if (auto home = absoluteFromEnvironment("HOME")) return *home / underHome;
  return underHome;
}

}  // namespace

fs::path userConfigDirectory() { return baseDirectory("XDG_CONFIG_HOME", ".config"); }

fs::path userDataDirectory() { return baseDirectory("XDG_DATA_HOME", fs::path(".local") / "share"); }

fs::path userSettingsFile() {
  return userConfigDirectory() / std::string(kProgramDirectoryName) /
         std::string(kSettingsFileName);
}

fs::path defaultDataDirectory() { return userDataDirectory() / std::string(kProgramDirectoryName); }

std::vector<fs::path> installedSoundDirectories() {
  std::vector<fs::path> directories;
  if (QCoreApplication::instance() != nullptr) {
    const fs::path bin = QCoreApplication::applicationDirPath().toStdString();
    directories.push_back((bin.parent_path() / "share" / "orva" / "sounds").lexically_normal());
  }
  directories.emplace_back(ORVA_INSTALL_SOUND_DIR);
  directories.emplace_back(ORVA_SOURCE_SOUND_DIR);
  return directories;
}

std::string resolveSoundFile(std::string_view name, const fs::path& dataDirectory,
                             const std::vector<fs::path>& soundDirectories) {
  const fs::path file{std::string(name)};
  if (name.empty() || file.is_absolute()) return std::string(name);
  std::error_code error;
  const fs::path inData = dataDirectory / file;
  if (fs::is_regular_file(inData, error)) return inData.string();
  for (const fs::path& directory : soundDirectories) {
    const fs::path candidate = directory / file;
    if (fs::is_regular_file(candidate, error)) return candidate.string();
  }
  return inData.string();
}

std::string withoutTrailingSeparator(std::string_view directory) {
  std::string text(directory);
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

std::string directoryOfChosenFile(std::string_view chosenPath) {
  // A path ending with a separator already names a directory.
  if (!chosenPath.empty() && chosenPath.back() == '/') return withoutTrailingSeparator(chosenPath);
  const std::string path(chosenPath);
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {};  // a bare file name: no directory part
  if (slash == 0) return "/";
  return withoutTrailingSeparator(std::string_view(path).substr(0, slash));
}

fs::path provideRuntimeDirectory(const fs::path& base) {
  if (const char* set = std::getenv("XDG_RUNTIME_DIR"); set != nullptr && *set != '\0') return fs::path(set);
  fs::path dir = base / ("runtime-" + std::to_string(::getuid()));
  if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return {};
  // Someone else's directory, or a link planted under that name, would let
  // another user read or replace what the program keeps there.
  struct stat info {};
  if (::lstat(dir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid()) return {};
  if ((info.st_mode & 0077) != 0 && ::chmod(dir.c_str(), 0700) != 0) return {};
  if (::access(dir.c_str(), R_OK | W_OK | X_OK) != 0) return {};
  ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
  return dir;
}

}  // namespace orva
