#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <set>
#include <string>
#include <utility>

#include "common/SafeFile.h"
#include "support/TestFiles.h"

namespace orva {
namespace {

namespace fs = std::filesystem;

using test::readFile;
using test::writeFile;
using Names = std::set<std::string>;

class SafeFileTest : public ::testing::Test {
 protected:
  Names entries() const { return test::fileNames(dir_.path()); }

  const test::TempDir dir_;
};

TEST_F(SafeFileTest, EachRewriteKeepsTheVersionBeforeItAsBackup) {
  const fs::path file = dir_ / "Table_foam.bd";
  std::string error;

  ASSERT_TRUE(writeFileSafely(file, "first\n", &error)) << error;
  EXPECT_EQ(entries(), (Names{"Table_foam.bd"}));
  EXPECT_EQ(readFile(file), "first\n");
  for (const auto& [previous, next] : {std::pair{"first\n", "second\n"}, {"second\n", "third\n"}}) {
    ASSERT_TRUE(writeFileSafely(file, next, &error)) << error;
    EXPECT_EQ(entries(), (Names{"Table_foam.bd", "Table_foam.bd.bak"}));
    EXPECT_EQ(readFile(file), next);
    EXPECT_EQ(readFile(dir_ / "Table_foam.bd.bak"), previous);
  }
}

TEST_F(SafeFileTest, ContentIsWrittenByteForByte) {
  std::string binary;
  for (int round = 0; round < 64; ++round) {
    for (int b = 0; b < 256; ++b) binary.push_back(static_cast<char>(b));
  }
  const fs::path file = dir_ / "blob";
  ASSERT_TRUE(writeFileSafely(file, binary));
  EXPECT_EQ(fs::file_size(file), binary.size());
  EXPECT_EQ(readFile(file), binary);

  ASSERT_TRUE(writeFileSafely(file, ""));
  EXPECT_EQ(fs::file_size(file), 0u);
  EXPECT_EQ(readFile(dir_ / "blob.bak"), binary);
}

TEST_F(SafeFileTest, MissingDirectoryIsReportedAndNotCreated) {
  std::string error;
  EXPECT_FALSE(writeFileSafely(dir_ / "missing" / "list.bd", "x", &error));
  EXPECT_NE(error.find("list.bd"), std::string::npos) << error;
  EXPECT_FALSE(fs::exists(dir_ / "missing"));

  writeFile(dir_ / "plain", "keep");
  error.clear();
  EXPECT_FALSE(writeFileSafely(dir_ / "plain" / "list.bd", "x", &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(readFile(dir_ / "plain"), "keep");
  EXPECT_EQ(entries(), (Names{"plain"}));
}

TEST_F(SafeFileTest, DirectoryInPlaceOfTheTargetIsLeftAlone) {
  const fs::path target = dir_ / "data.bd";
  fs::create_directory(target);
  writeFile(target / "inside", "keep");
  std::string error;
  EXPECT_FALSE(writeFileSafely(target, "x", &error));
  EXPECT_NE(error.find("data.bd"), std::string::npos) << error;
  EXPECT_EQ(readFile(target / "inside"), "keep");
  EXPECT_EQ(entries(), (Names{"data.bd"}));
}

// Lowers the file-size limit so that writing more than `bytes` fails with
// EFBIG, a write failure that root cannot bypass.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit lowered = saved_;
    lowered.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &lowered);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, oldHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit saved_{};
  void (*oldHandler_)(int) = nullptr;
};

TEST_F(SafeFileTest, FailedWriteKeepsFileAndBackupAndLeavesNoTemporary) {
  const fs::path file = dir_ / "Table_table.bd";
  ASSERT_TRUE(writeFileSafely(file, "old\n"));
  ASSERT_TRUE(writeFileSafely(file, "current\n"));

  std::string error;
  bool written = true;
  {
    FileSizeLimit limit(64);
    written = writeFileSafely(file, std::string(4096, 'n'), &error);
  }
  EXPECT_FALSE(written);
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(readFile(file), "current\n");
  EXPECT_EQ(readFile(dir_ / "Table_table.bd.bak"), "old\n");
  EXPECT_EQ(entries(), (Names{"Table_table.bd", "Table_table.bd.bak"}));
}

TEST_F(SafeFileTest, FailedRotationKeepsTheFileAndLeavesNoTemporary) {
  const fs::path file = dir_ / "names.bd";
  writeFile(file, "current");
  fs::create_directory(dir_ / "names.bd.bak");  // a .bak the file cannot be renamed over
  writeFile(dir_ / "names.bd.bak" / "inside", "x");

  std::string error;
  EXPECT_FALSE(writeFileSafely(file, "new", &error));
  EXPECT_NE(error.find("names.bd.bak"), std::string::npos) << error;
  EXPECT_EQ(readFile(file), "current");
  EXPECT_EQ(entries(), (Names{"names.bd", "names.bd.bak"}));
}

TEST_F(SafeFileTest, SymbolicLinkIsFollowedAndStaysALink) {
  fs::create_directory(dir_ / "store");
  writeFile(dir_ / "store" / "real.bd", "old");
  const fs::path link = dir_ / "data.bd";
  fs::create_symlink(fs::path("store") / "real.bd", link);

  std::string error;
  ASSERT_TRUE(writeFileSafely(link, "new", &error)) << error;
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(readFile(dir_ / "store" / "real.bd"), "new");
  EXPECT_EQ(readFile(dir_ / "store" / "real.bd.bak"), "old");
  EXPECT_EQ(entries(), (Names{"data.bd", "store"}));
}

TEST_F(SafeFileTest, RewrittenFileKeepsItsPermissions) {
  const fs::path file = dir_ / "private.bd";
  writeFile(file, "old");
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_TRUE(writeFileSafely(file, "new"));
  EXPECT_EQ(fs::status(file).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

}  // namespace
}  // namespace orva
