#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace orva {

// The user's base directories as the desktop defines them: $XDG_CONFIG_HOME
// (resp. $XDG_DATA_HOME) when it holds an absolute path, else ~/.config
// (resp. ~/.local/share) under $HOME. Without a home directory either, the
// current directory's ".config" (".local/share"). Not created here.
std::filesystem::path userConfigDirectory();
std::filesystem::path userDataDirectory();

// The per-user settings file: userConfigDirectory()/orva/orva.ini.
std::filesystem::path userSettingsFile();

// The per-user application data directory, userDataDirectory()/orva. Used as
// the data directory when the settings name none; not created here.
std::filesystem::path defaultDataDirectory();

// Gives the program a runtime directory when the session provides none
// ($XDG_RUNTIME_DIR unset, as under cron, ssh or in a container), so that Qt
// need not fall back to one of its own and warn about it on stderr: the
// directory "runtime-<uid>" under `base` is made (mode 0700) and named in
// $XDG_RUNTIME_DIR. An existing one is used only when it is a real directory
// (not a link) owned by this user; its mode is tightened to 0700. Returns the
// directory $XDG_RUNTIME_DIR names afterwards; empty when it was unset and no
// safe directory could be had (the variable then stays unset). Call it before
// the Qt application object is made.
std::filesystem::path provideRuntimeDirectory(const std::filesystem::path& base = "/tmp");

// The directories holding the sounds shipped with the program, in search
// order: the share directory beside the running program (<prefix>/bin/.. when
// a QCoreApplication exists), the installed share directory, then the source
// tree's share/sounds (running from a build directory).
std::vector<std::filesystem::path> installedSoundDirectories();

// The file to play for a sound setting. An absolute path, or an empty name,
// is taken as it stands. A relative name is looked up in the data directory,
// then in each of `soundDirectories`; the first regular file found is
// returned. When none holds it, the data directory's path is returned (the
// place the user is told to put it), so the failure names a sensible file.
std::string resolveSoundFile(std::string_view name, const std::filesystem::path& dataDirectory,
                             const std::vector<std::filesystem::path>& soundDirectories);

// A directory as it is stored in the settings: without trailing separators,
// except for the root directory itself ("/").
std::string withoutTrailingSeparator(std::string_view directory);

// The directory of a file chosen in a file dialog, stored as above:
// "/data/wings/w.cnc" gives "/data/wings", "/w.cnc" gives "/". A path ending
// with a separator (what a directory chooser may return) is that directory.
std::string directoryOfChosenFile(std::string_view chosenPath);

}  // namespace orva
