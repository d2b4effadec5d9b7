#include "Golden.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "TestFiles.h"

namespace orva::test {

std::string goldenMismatch(const std::filesystem::path& reference, std::string_view actual) {
  const std::filesystem::path path = testDataDir() / reference;
  std::filesystem::path fresh = path;
  fresh += ".new";
  std::error_code error;
  const char* update = std::getenv("ORVA_UPDATE_GOLDEN");
  if (update != nullptr && std::string_view(update) == "1") {
    std::filesystem::remove(fresh, error);
    return writeFile(path, actual) ? std::string() : "cannot write " + path.string();
  }
  const bool exists = std::filesystem::is_regular_file(path, error);
  if (exists && readFile(path) == actual) {
    std::filesystem::remove(fresh, error);
    return {};
  }
  const bool written = writeFile(fresh, actual);
  return (exists ? "output differs from " : "no reference file ") + path.string() + "\n" +
         (written ? "  diff -u " + path.string() + " " + fresh.string()
                  : "  (could not write " + fresh.string() + ")");
}

void expectGolden(const std::filesystem::path& reference, std::string_view actual) {
  const std::string mismatch = goldenMismatch(reference, actual);
  if (!mismatch.empty()) ADD_FAILURE() << mismatch;
}

}  // namespace orva::test
