#pragma once

// Runs orva-cli as a separate process, as a user or a script does, with the
// user's settings and data directory in a home of the test's own.
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include "support/TestFiles.h"

namespace orva::test {

struct CliRun {
  int exitCode = -1;
  std::string out;
  std::string err;
  nlohmann::json json() const { return nlohmann::json::parse(out); }
};

// A path quoted for the shell.
inline std::string q(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

// orva-cli with `arguments`, from the shell, with HOME and the XDG locations
// in `dir`/home, its output in `dir`/stdout.txt and stderr.txt and no input;
// `then` follows in the shell (after a tool started in the background, say).
inline CliRun runCli(const std::filesystem::path& dir, const std::string& arguments,
                     const std::string& then = "") {
  const std::filesystem::path home = dir / "home";
  const std::string command = "HOME=" + q(home) + " XDG_CONFIG_HOME=" + q(home / ".config") +
                              " XDG_DATA_HOME=" + q(home / ".local/share") + " '" +
                              ORVA_CLI_PATH + "' " + arguments + " >" + q(dir / "stdout.txt") +
                              " 2>" + q(dir / "stderr.txt") + " </dev/null" + then;
  const int status = std::system(command.c_str());
  CliRun result;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = readFile(dir / "stdout.txt");
  result.err = readFile(dir / "stderr.txt");
  return result;
}

}  // namespace orva::test
