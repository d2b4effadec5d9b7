#include <gtest/gtest.h>

#include <QSettings>
#include <QStandardPaths>
#include <cstdint>
#include <cstdlib>

#include "AppTestSupport.h"
#include "app/AppPaths.h"
#include "app/AppSettings.h"

namespace orva {
namespace {

using testing::readFile;
using testing::TempDir;
using testing::writeFile;

TEST(AppSettingsStore, WritesEveryValueButPortAndReadsThemBack) {
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
  EXPECT_EQ(read.Port, 0);
  EXPECT_EQ(read.CurrentTable, "Default");
  EXPECT_EQ(read.Backend, "simulated");
  EXPECT_EQ(read.RepProfil, "/data/a, /data/b");
}

TEST(AppSettingsStore, WriteToAnUnwritableStoreIsReported) {
  TempDir dir;
  // The store's path is a directory: nothing can be written there.
  std::filesystem::create_directories(dir / "store.ini");
  EXPECT_FALSE(SettingsStore(dir / "store.ini").write(AppSettings{}));
}

// Points HOME at a temporary directory and puts Qt's standard paths into test
// mode, so the per-user locations land inside the test's directory.
class UserLocations : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* home = std::getenv("HOME")) savedHome_ = home;
    ::setenv("HOME", home_.path().c_str(), 1);
    QStandardPaths::setTestModeEnabled(true);
  }
  void TearDown() override {
    QStandardPaths::setTestModeEnabled(false);
    if (savedHome_) {
      ::setenv("HOME", savedHome_->c_str(), 1);
    } else {
      ::unsetenv("HOME");
    }
  }
  TempDir home_;
  std::optional<std::string> savedHome_;
};

TEST_F(UserLocations, StoreAndDataDirectoryAreNamedAfterOrganisationAndApplication) {
  const std::filesystem::path data = defaultDataDirectory();
  EXPECT_EQ(data.string().rfind(home_.path().string(), 0), 0U) << data;
  EXPECT_EQ(data.filename(), "CNC");
  EXPECT_EQ(data.parent_path().filename(), "Local AppWizard-Generated Applications");

  const SettingsStore store;
  ASSERT_TRUE(store.isUserStore());
  const std::filesystem::path file = store.fileName();
  // Never touch a real user's store: only go on inside the temporary home.
  ASSERT_EQ(file.string().rfind(home_.path().string(), 0), 0U) << file;
  EXPECT_EQ(file.filename(), "CNC.ini");
  EXPECT_EQ(file.parent_path().filename(), "Local AppWizard-Generated Applications");

  AppSettings settings;
  settings.CurrentTable = "Atelier";
  ASSERT_TRUE(store.write(settings));
  const std::string text = readFile(file);
  EXPECT_NE(text.find("[CncConfig]"), std::string::npos);
  EXPECT_NE(text.find("CurrentTable=Atelier"), std::string::npos);
  EXPECT_EQ(store.read().CurrentTable, "Atelier");
}

TEST(AppPaths, DirectoriesAreStoredWithoutTrailingSeparator) {
  EXPECT_EQ(directoryOfChosenFile("/data/wings/w.cnc"), "/data/wings");
  EXPECT_EQ(directoryOfChosenFile("/data//wings//w.cnc"), "/data//wings");
  EXPECT_EQ(directoryOfChosenFile("/w.cnc"), "/");
  EXPECT_EQ(directoryOfChosenFile("/data/wings/"), "/data/wings");  // a directory chooser's answer
  EXPECT_EQ(directoryOfChosenFile("w.cnc"), "");
  EXPECT_EQ(withoutTrailingSeparator("/srv/orva///"), "/srv/orva");
  EXPECT_EQ(withoutTrailingSeparator("/"), "/");
  EXPECT_EQ(withoutTrailingSeparator("relative/dir/"), "relative/dir");
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
  EXPECT_EQ(wav.substr(0, 4), "RIFF");
  EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(le(wav, 20, 2), 1);   // PCM
  EXPECT_EQ(le(wav, 22, 2), 1);   // mono
  EXPECT_EQ(le(wav, 34, 2), 16);  // bits per sample
  const std::uint32_t rate = le(wav, 24, 4);
  ASSERT_EQ(wav.substr(36, 4), "data");
  const std::uint32_t dataBytes = le(wav, 40, 4);
  EXPECT_EQ(dataBytes, wav.size() - 44);
  const double seconds = static_cast<double>(dataBytes) / (rate * 2.0);
  EXPECT_GE(seconds, 0.3);
  EXPECT_LE(seconds, 1.0);
  EXPECT_LT(wav.size(), 64U * 1024U);
}

}  // namespace
}  // namespace orva
