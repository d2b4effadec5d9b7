#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class QSettings;

namespace orva {

// Where the settings live: the program's directory under the user's config
// directory (userConfigDirectory()/orva/orva.ini), and the group holding the
// program's values. The recent-file list ("Recent File List") and the
// desktop program's tool-bar state are kept in the same file, beside the
// group.
inline constexpr std::string_view kProgramDirectoryName = "orva";
inline constexpr std::string_view kSettingsFileName = "orva.ini";
inline constexpr std::string_view kSettingsGroup = "CncConfig";

inline constexpr std::string_view kDefaultEndOfCutSound = "Bravo.wav";
// The embedded simulated machine; the default driver backend.
inline constexpr std::string_view kSimulatedBackend = "simulated";

// The values kept between runs. Fields are named by their keys in the store.
//
// `RepIns` is empty when the store holds no data directory (or an empty one):
// the program context then works in the per-user application data directory
// and puts that path here, so it is what the directories dialog shows and what
// is written at exit.
//
// While the program runs, the current table and the current foam live in the
// machine configuration; the program context copies them into `CurrentTable`
// and `TypeBloc` when it writes the settings at exit.
struct AppSettings {
  std::string SonFinDec = std::string(kDefaultEndOfCutSound);  // end-of-cut sound file
  std::string RepProfil;                                       // airfoil file directory
  std::string RepProjet;                                       // project file directory
  std::string RepIns;                                          // data directory
  int Port = 0;  // parallel port, 0..3 for LPT1..LPT4; read at start-up, never written
  std::string TypeBloc = "Poly expansé";  // name of the current foam
  std::string CurrentTable = "Default";   // name of the current table
  // Driver backend: "simulated" (the embedded simulated machine, default).
  // Compared without regard to letter case; a name no backend answers to gives
  // a driver that cannot be opened ("Error in loading driver"), so a cut never
  // silently goes to a machine other than the one the user configured.
  std::string Backend = std::string(kSimulatedBackend);

  friend bool operator==(const AppSettings&, const AppSettings&) = default;
};

// The settings store: the per-user INI file (userSettingsFile()), or an
// explicit INI file (tests, the command-line tool's --settings option). The
// per-user file's location is taken from the environment when the store is
// made.
class SettingsStore {
 public:
  // The per-user store.
  SettingsStore();
  // An explicit INI file instead of the per-user store.
  explicit SettingsStore(std::filesystem::path iniFile);

  // The store as a QSettings object, positioned at the root (not in the group).
  std::unique_ptr<QSettings> open() const;
  // The file the store is kept in.
  const std::filesystem::path& fileName() const { return file_; }
  bool isUserStore() const { return userStore_; }

  // Reads every value of the group. A value that is absent, or that cannot be
  // used, takes its default: `Port` must be an integer, `CurrentTable` must be
  // a name that can name table files (isSafeTableName), `Backend` must not be
  // empty. `RepIns` stays empty when absent (see AppSettings).
  AppSettings read() const;
  // Writes every value but `Port` and flushes the store. False when the store
  // could not be written.
  bool write(const AppSettings& settings) const;

 private:
  std::filesystem::path file_;
  bool userStore_ = false;
};

}  // namespace orva
