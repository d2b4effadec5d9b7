#include "common/SafeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <system_error>
#include <utility>

// Replacement strategy (POSIX):
//   1. The content goes to "<name>.tmp-XXXXXX" beside the target, created
//      exclusively, written in full, fsync'ed and closed. The new file takes
//      the permission bits of the file it replaces (otherwise the usual mode
//      after the umask).
//   2. An existing target is renamed to "<name>.bak" (rename replaces an older
//      .bak atomically), then the temporary file is renamed to the target.
//      If that last step fails the previous file is moved back.
//   3. The directory is fsync'ed so the renames survive a power loss.
//
// Decisions on unusual targets:
//   - a target that is a symbolic link is followed (also a chain of them): the
//     file it points at is replaced, its .bak goes beside that file and the
//     link stays a link. A link to a missing file creates that file;
//   - a target that exists but is not a regular file (a directory, a device,
//     a FIFO, ...) is refused;
//   - a missing directory is an error; no directory is ever created.

namespace orva {

namespace fs = std::filesystem;

namespace {

std::string describe(const std::string& what, const fs::path& path, int err) {
  return what + " '" + path.string() + "': " + std::strerror(err);
}

bool fail(std::string* error, std::string text) {
  if (error) *error = std::move(text);
  return false;
}

// Follows a chain of symbolic links to the path that finally names a file (or
// names nothing yet). Relative link contents are taken relative to the link's
// directory, as the system does.
bool resolveLinks(fs::path path, fs::path& resolved, std::string* error) {
  constexpr int kMaxLinks = 40;
  for (int hops = 0; hops <= kMaxLinks; ++hops) {
    std::error_code ec;
    const fs::file_status st = fs::symlink_status(path, ec);
    if (ec && st.type() != fs::file_type::not_found) {
      return fail(error, describe("Cannot examine", path, ec.value()));
    }
    if (st.type() != fs::file_type::symlink) {
      resolved = path;
      return true;
    }
    const fs::path link = fs::read_symlink(path, ec);
    if (ec) return fail(error, describe("Cannot read the link", path, ec.value()));
    path = link.is_absolute() ? link : path.parent_path() / link;
  }
  return fail(error, describe("Cannot follow", path, ELOOP));
}

// Creates "<target>.tmp-XXXXXX" exclusively; returns the descriptor or -1 with errno set.
int createTemporary(const fs::path& target, fs::path& tempPath) {
  static thread_local std::mt19937_64 rng{std::random_device{}()};
  constexpr char kDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  constexpr int kAttempts = 100;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    std::string suffix = ".tmp-";
    std::uint64_t bits = rng();
    for (int i = 0; i < 6; ++i) {
      suffix.push_back(kDigits[bits % 36]);
      bits /= 36;
    }
    tempPath = target;
    tempPath += suffix;
    const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

// Writes everything, retrying after interruptions and short writes.
bool writeAll(int fd, std::string_view content) {
  const char* data = content.data();
  std::size_t left = content.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, data, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

void syncDirectory(const fs::path& dir) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);  // best effort: the data itself is already safe in the files
  ::close(fd);
}

}  // namespace

bool writeFileSafely(const fs::path& requested, std::string_view content, std::string* error) {
  if (requested.empty() || !requested.has_filename()) {
    return fail(error, "Cannot write '" + requested.string() + "': no file name");
  }

  fs::path target;
  if (!resolveLinks(requested, target, error)) return false;
  const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");

  struct stat previous {};
  bool hadPrevious = false;
  if (::stat(target.c_str(), &previous) == 0) {
    if (!S_ISREG(previous.st_mode)) {
      return fail(error, "Cannot write '" + target.string() + "': not a regular file");
    }
    hadPrevious = true;
  } else if (errno != ENOENT) {
    return fail(error, describe("Cannot examine", target, errno));
  }

  // 1. Temporary file, written and flushed completely.
  fs::path tempPath;
  const int fd = createTemporary(target, tempPath);
  if (fd < 0) return fail(error, describe("Cannot create a temporary file for", target, errno));

  std::string failure;
  if (hadPrevious && ::fchmod(fd, previous.st_mode & 07777) != 0) {
    failure = describe("Cannot set the permissions of", tempPath, errno);
  } else if (!writeAll(fd, content)) {
    failure = describe("Cannot write", tempPath, errno);
  } else if (::fsync(fd) != 0) {
    failure = describe("Cannot flush", tempPath, errno);
  }
  if (::close(fd) != 0 && failure.empty()) {
    failure = describe("Cannot close", tempPath, errno);
  }
  if (!failure.empty()) {
    ::unlink(tempPath.c_str());
    return fail(error, std::move(failure));
  }

  // 2. Rotation: previous file to .bak, temporary file to the target.
  fs::path backup = target;
  backup += ".bak";
  if (hadPrevious && ::rename(target.c_str(), backup.c_str()) != 0) {
    failure = describe("Cannot keep the previous version as", backup, errno);
    ::unlink(tempPath.c_str());
    return fail(error, std::move(failure));
  }
  if (::rename(tempPath.c_str(), target.c_str()) != 0) {
    failure = describe("Cannot replace", target, errno);
    if (hadPrevious && ::rename(backup.c_str(), target.c_str()) != 0) {
      failure += "; the previous version is kept as '" + backup.string() + "'";
    }
    ::unlink(tempPath.c_str());
    return fail(error, std::move(failure));
  }

  // 3. Make the renames durable.
  syncDirectory(dir);
  return true;
}

}  // namespace orva
