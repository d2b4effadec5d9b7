#include "Golden.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "TestFiles.h"

namespace orva::test {

void expectGolden(const std::filesystem::path& reference, std::string_view actual) {
  const std::filesystem::path path = testDataDir() / reference;
  std::filesystem::path fresh = path;
  fresh += ".new";
  std::error_code error;
  const char* update = std::getenv("ORVA_UPDATE_GOLDEN");
  if (update != nullptr && std::string_view(update) == "1") {
    EXPECT_TRUE(writeFile(path, actual)) << "cannot write " << path;
    std::filesystem::remove(fresh, error);
    return;
  }
  const bool exists = std::filesystem::is_regular_file(path, error);
  if (exists && readFile(path) == actual) {
    std::filesystem::remove(fresh, error);
    return;
  }
  const bool written = writeFile(fresh, actual);
  ADD_FAILURE() << (exists ? "output differs from " : "no reference file ") << path << "\n"
                << (written ? "  diff -u " + path.string() + " " + fresh.string()
                            : "  (could not write " + fresh.string() + ")");
}

}  // namespace orva::test
