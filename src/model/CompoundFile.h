#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace orva {

// The container of project files: an MS-CFB compound file whose root storage
// holds one stream, "Contents". Reading also accepts a file that is not a
// compound file and takes its whole content as the stream.

// Largest project file, and largest "Contents" stream, read or written. Far
// above any real project; it keeps a damaged or hostile file from making the
// program allocate without bound.
inline constexpr std::size_t kMaxProjectFileBytes = std::size_t{256} * 1024 * 1024;

// The bytes of a compound file holding `contents` as its "Contents" stream,
// or nothing (with the reason in `error`).
std::optional<std::string> buildCompoundFile(std::string_view contents,
                                             std::string* error = nullptr);

// The "Contents" stream of the compound file `fileBytes`; when the bytes are
// not a compound file, the bytes themselves. Nothing (with the reason in
// `error`) when the bytes are a compound file without a readable "Contents"
// stream, or when the stream or the bytes exceed kMaxProjectFileBytes.
std::optional<std::string> extractContents(std::string_view fileBytes,
                                           std::string* error = nullptr);

// Why reading a project file's stream failed.
enum class ContentsReadFailure {
  None,
  CannotOpen,  // missing, not a regular file, unreadable
  Invalid,     // read, but holds no usable "Contents" stream (or is too large)
};

// Reads the file at `path` (at most kMaxProjectFileBytes) and extracts its
// stream. On failure returns nothing, sets `failure` and `error` when given.
std::optional<std::string> readContentsStream(const std::filesystem::path& path,
                                              std::string* error = nullptr,
                                              ContentsReadFailure* failure = nullptr);

// Writes a new compound file holding `contents` to `path`. The file is built
// in memory, written to a temporary file in the same directory and only then
// put in place; the file it replaces is kept as "<path>.bak" (saving over an
// existing project does not ask first, so the previous one stays recoverable).
// On failure the file at `path` is left as it was and `error` says why.
bool writeCompoundFile(const std::filesystem::path& path, std::string_view contents,
                       std::string* error = nullptr);

}  // namespace orva
