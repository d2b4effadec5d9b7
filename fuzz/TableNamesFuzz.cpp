// Arbitrary bytes as the content of a table list file.
//
// Invariants:
// - every non-empty slot holds a safe name: valid UTF-8, at most 25
//   characters, representable in Windows-1252, no path separator or control
//   character (checked here byte by byte, not only through isSafeTableName);
// - the list read does not depend on what the slots held before;
// - writing the list gives exactly 20 lines, and reading that back gives the
//   same slots without marking the list modified.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/CodePage.h"
#include "config/TableList.h"

namespace {

void check(bool condition) {
  if (!condition) __builtin_trap();
}

void checkName(const std::string& name) {
  check(orva::isValidUtf8(name));
  check(orva::isSafeTableName(name));
  check(name != "." && name != "..");
  check(orva::utf8CharacterCount(name) <= orva::TableList::kMaxNameLength);
  for (const char c : name) {
    const auto b = static_cast<unsigned char>(c);
    check(b >= 0x20 && b != 0x7F && b != '/' && b != '\\');
  }
  bool lossless = false;
  const std::string bytes = orva::utf8ToCp1252(name, &lossless);
  check(lossless);
  check(orva::cp1252ToUtf8(bytes) == name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  orva::TableList fresh;
  fresh.parseTableNames(bytes);
  check(fresh.tableNames.size() == static_cast<std::size_t>(orva::TableList::kSlots));
  for (const std::string& name : fresh.tableNames) {
    if (!name.empty()) checkName(name);
  }

  orva::TableList used;
  used.tableNames.fill("Old");
  used.namesModified = true;
  used.parseTableNames(bytes);
  check(used.tableNames == fresh.tableNames);
  check(used.namesModified == fresh.namesModified);

  const std::string written = fresh.formatTableNames();
  check(std::count(written.begin(), written.end(), '\n') == orva::TableList::kSlots);
  check(written.find('\r') == std::string::npos);
  orva::TableList reread;
  reread.parseTableNames(written);
  check(reread.tableNames == fresh.tableNames);
  check(!reread.namesModified);
  return 0;
}
