#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace orva::test {

// Compares `actual` byte for byte with the reviewed reference file
// tests/data/<reference>. On a mismatch (or when the reference is missing)
// the test fails, the new text is written next to the reference as
// <reference>.new and the failure names the `diff -u` command that shows the
// change; a stale .new of an earlier run is removed when the text matches.
// With ORVA_UPDATE_GOLDEN=1 in the environment the reference is rewritten
// instead (review the change before committing it).
void expectGolden(const std::filesystem::path& reference, std::string_view actual);

// The comparison behind expectGolden for any test framework: empty when
// `actual` matches the reference (or ORVA_UPDATE_GOLDEN=1 rewrote it),
// otherwise the failure text with the diff command.
std::string goldenMismatch(const std::filesystem::path& reference, std::string_view actual);

}  // namespace orva::test
