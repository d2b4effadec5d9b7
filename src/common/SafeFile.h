#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace orva {

// Replaces the file `target` with `content` without ever losing both versions:
// the content goes to a temporary file in the same directory and is flushed;
// only then the previous file (if any) becomes "<target>.bak" (an older .bak is
// replaced) and the temporary file becomes `target`. On failure `target` is left
// as it was, the temporary file is removed, false is returned and `error` (when
// given) says what went wrong. A symbolic link is followed (the file it names
// is replaced); a target that is not a regular file, or a missing directory,
// is an error. The new file keeps the permission bits of the one it replaces.
bool writeFileSafely(const std::filesystem::path& target, std::string_view content,
                     std::string* error = nullptr);

}  // namespace orva
