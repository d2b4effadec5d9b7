#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QSettings>
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "app/AppPaths.h"
#include "app/AppSettings.h"
#include "support/TestFiles.h"

namespace orva {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

TEST(AppSettingsStore, WritesEveryValueButPortReadsThemBackAndReportsAFailedWrite) {
  TempDir dir;
  const auto file = dir / "settings.ini";
  writeFile(file, "[CncConfig]\nPort=1\n");
  const SettingsStore store(file);

  AppSettings written;
  written.SonFinDec = "/home/pilot/sons/fin de coupe.wav";
  written.RepProfil = "/home/pilot/profils, anciens";  // a comma is a list separator in INI
  written.RepProjet = "/home/pilot/Ailes à découper";
  written.RepIns = "/srv/orva";
  written.Port = 3;
  written.TypeBloc = "Dépron";
  written.CurrentTable = "Grande table";
  written.Backend = "simulated";
  ASSERT_TRUE(store.write(written));

  const AppSettings read = store.read();
  AppSettings expected = written;
  expected.Port = 1;  // the port is never written: the stored value stays
  EXPECT_EQ(read, expected);

  QSettings raw(QString::fromStdString(file.string()), QSettings::IniFormat);
  raw.beginGroup("CncConfig");
  EXPECT_EQ(raw.value("Port").toString(), "1");

  // A store whose path is a directory: nothing can be written there.
  std::filesystem::create_directories(dir / "store.ini");
  EXPECT_FALSE(SettingsStore(dir / "store.ini").write(AppSettings{}));
}

TEST(AppSettingsStore, HandEditedValuesThatCannotBeUsedTakeTheirDefaults) {
  TempDir dir;
  const auto file = dir / "settings.ini";
  writeFile(file,
            "[CncConfig]\n"
            "Port=LPT2\n"
            "CurrentTable=../../etc/passwd\n"
            "Backend=\n"
            "RepProfil=/data/a, /data/b\n");  // unquoted comma: Qt reads a list
  const AppSettings read = SettingsStore(file).read();
  EXPECT_EQ(std::tie(read.Port, read.CurrentTable, read.Backend, read.RepProfil),
            std::tuple(0, "Default", "simulated", "/data/a, /data/b"));
}

// Points HOME, XDG_CONFIG_HOME and XDG_DATA_HOME into a temporary directory
// so the per-user locations land inside the test's directory; restores them
// afterwards.
class UserLocations : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : kVariables) {
      if (const char* value = std::getenv(name)) saved_.emplace_back(name, value);
    }
    ::setenv("HOME", (root_ / "home").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (root_ / "data").c_str(), 1);
  }
  void TearDown() override {
    for (const char* name : kVariables) ::unsetenv(name);
    for (const auto& [name, value] : saved_) ::setenv(name.c_str(), value.c_str(), 1);
  }
  static constexpr const char* kVariables[] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"};
  TempDir root_;
  std::vector<std::pair<std::string, std::string>> saved_;
};

TEST_F(UserLocations, SettingsAndDataLandInTheProgramsDirectoryOfTheXdgLocations) {
  EXPECT_EQ(defaultDataDirectory(), root_ / "data" / "orva");
  const SettingsStore store;
  ASSERT_TRUE(store.isUserStore());
  // A whole run on these locations is the command-line tool's test.
  EXPECT_EQ(store.fileName(), root_ / "config" / "orva" / "orva.ini");

  // Unset or relative XDG variables: the desktop's defaults under HOME.
  ::unsetenv("XDG_CONFIG_HOME");
  ::setenv("XDG_DATA_HOME", "relative/data", 1);
  EXPECT_EQ(SettingsStore().fileName(), root_ / "home" / ".config" / "orva" / "orva.ini");
  EXPECT_EQ(defaultDataDirectory(), root_ / "home" / ".local" / "share" / "orva");
}

TEST(AppPaths, DirectoriesAreStoredWithoutTrailingSeparator) {
  // "/data/wings/" is a directory chooser's answer.
  for (const auto& [chosen, directory] : {std::pair{"/data/wings/w.cnc", "/data/wings"},
                                          {"/data//wings//w.cnc", "/data//wings"},
                                          {"/w.cnc", "/"},
                                          {"/data/wings/", "/data/wings"},
                                          {"w.cnc", ""}}) {
    EXPECT_EQ(directoryOfChosenFile(chosen), directory) << chosen;
  }
  for (const auto& [path, stripped] :
       {std::pair{"/srv/orva///", "/srv/orva"}, {"/", "/"}, {"relative/dir/", "relative/dir"}}) {
    EXPECT_EQ(withoutTrailingSeparator(path), stripped) << path;
  }
}

TEST(AppPaths, RelativeSoundIsFoundInDataDirectoryThenInSoundDirectories) {
  TempDir dir;
  const auto data = dir / "data";
  const auto shipped = dir / "shipped";
  const auto other = dir / "other";
  writeFile(shipped / "Bravo.wav", "x");
  writeFile(other / "Bravo.wav", "x");
  std::filesystem::create_directories(data);

  // Not in the data directory: the first sound directory that holds it.
  EXPECT_EQ(resolveSoundFile("Bravo.wav", data, {dir / "missing", shipped, other}),
            (shipped / "Bravo.wav").string());
  // The user's own copy in the data directory wins.
  writeFile(data / "Bravo.wav", "x");
  EXPECT_EQ(resolveSoundFile("Bravo.wav", data, {shipped}), (data / "Bravo.wav").string());
  // Nowhere: the data directory's path, so a failure names the expected place.
  EXPECT_EQ(resolveSoundFile("Fin.wav", data, {shipped}), (data / "Fin.wav").string());
  // Absolute paths and an empty name are taken as they stand.
  EXPECT_EQ(resolveSoundFile("/usr/share/sounds/x.wav", data, {shipped}),
            "/usr/share/sounds/x.wav");
  EXPECT_EQ(resolveSoundFile("", data, {shipped}), "");
}

TEST(AppPaths, RuntimeDirectoryIsMadePrivateOnlyWhenTheSessionHasNone) {
  TempDir dir;
  const char* inherited = std::getenv("XDG_RUNTIME_DIR");
  const std::optional<std::string> saved =
      inherited ? std::optional<std::string>(inherited) : std::nullopt;
  const auto mode = [](const std::filesystem::path& p) {
    struct stat info {};
    return ::lstat(p.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0u;
  };
  const auto own = dir / ("runtime-" + std::to_string(::getuid()));

  // The session's directory is kept as it is.
  ::setenv("XDG_RUNTIME_DIR", "/run/user/4242", 1);
  EXPECT_EQ(provideRuntimeDirectory(dir.path()), std::filesystem::path("/run/user/4242"));
  EXPECT_FALSE(std::filesystem::exists(own));

  // None: a private one is made and named.
  ::unsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(provideRuntimeDirectory(dir.path()), own);
  EXPECT_EQ(mode(own), 0700u);
  ASSERT_NE(std::getenv("XDG_RUNTIME_DIR"), nullptr);
  EXPECT_EQ(std::string(std::getenv("XDG_RUNTIME_DIR")), own.string());

  // An existing one left open to others is closed again.
  ::unsetenv("XDG_RUNTIME_DIR");
  ::chmod(own.c_str(), 0777);
  EXPECT_EQ(provideRuntimeDirectory(dir.path()), own);
  EXPECT_EQ(mode(own), 0700u);

  // A link planted under its name is not followed: nothing is named.
  ::unsetenv("XDG_RUNTIME_DIR");
  std::filesystem::remove(own);
  std::filesystem::create_directories(dir / "elsewhere");
  std::filesystem::create_directory_symlink(dir / "elsewhere", own);
  EXPECT_TRUE(provideRuntimeDirectory(dir.path()).empty());
  EXPECT_EQ(std::getenv("XDG_RUNTIME_DIR"), nullptr);

  if (saved) ::setenv("XDG_RUNTIME_DIR", saved->c_str(), 1);
}

// The little-endian unsigned number of `n` bytes at `at`.
std::uint32_t le(const std::string& bytes, std::size_t at, int n) {
  std::uint32_t value = 0;
  for (int i = n - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

TEST(AppPaths, ShippedEndOfCutSoundIsFoundAndIsAShortMonoPcmWave) {
  TempDir emptyData;
  const std::filesystem::path sound =
      resolveSoundFile("Bravo.wav", emptyData.path(), installedSoundDirectories());
  ASSERT_TRUE(std::filesystem::is_regular_file(sound)) << sound;

  const std::string wav = readFile(sound);
  ASSERT_GE(wav.size(), 44U);
  // RIFF, PCM (1), mono (1), 16 bits per sample, the data chunk to the end.
  EXPECT_EQ(std::tuple(wav.substr(0, 4), wav.substr(8, 8), le(wav, 20, 2), le(wav, 22, 2),
                       le(wav, 34, 2), wav.substr(36, 4)),
            std::tuple("RIFF", "WAVEfmt ", 1u, 1u, 16u, "data"));
  const std::uint32_t dataBytes = le(wav, 40, 4);
  EXPECT_EQ(dataBytes, wav.size() - 44);
  const double seconds = static_cast<double>(dataBytes) / (le(wav, 24, 4) * 2.0);
  EXPECT_TRUE(seconds >= 0.3 && seconds <= 1.0) << seconds;
  EXPECT_LT(wav.size(), 64U * 1024U);
}

}  // namespace
}  // namespace orva
