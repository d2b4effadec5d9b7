#include "config/TableList.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <system_error>

#include "common/CodePage.h"
#include "common/SafeFile.h"

// Reading a hand-edited list file: a line that does not hold a safe name is
// not taken; its slot stays empty (every operation skips empty slots) and the
// list is marked modified so that the next save point rewrites the file
// without it. The files of such a name, if any, are left alone on disk.
//
// Every slot after the last line read is emptied, not only the next one: a
// file that was read is the whole list, and names kept from an earlier list
// (another data directory) would name tables that have no files here.

namespace orva {

namespace {

namespace fs = std::filesystem;

constexpr int kEnd = -1;
constexpr std::string_view kListFileName = "TableNames.bd";

// Reads list lines from `next` (a byte 0..255 per call, kEnd at the end) into
// `list`. Stops after TableList::kSlots lines without reading further.
template <class NextByte>
void readSlots(NextByte next, TableList& list) {
  int linesRead = 0;
  int c = next();
  while (linesRead < TableList::kSlots && c != kEnd) {
    std::string line;
    bool overlong = false;
    while (c != kEnd && c != '\r' && c != '\n') {
      if (line.size() < TableList::kMaxLineBytes) {
        line.push_back(static_cast<char>(c));
      } else {
        overlong = true;
      }
      c = next();
    }
    if (c == '\r') {
      c = next();
      if (c == '\n') c = next();
    } else if (c == '\n') {
      c = next();
    }

    std::string& slot = list.tableNames[static_cast<std::size_t>(linesRead)];
    slot.clear();
    if (!line.empty()) {
      std::string name = cp1252ToUtf8(line);
      if (!overlong && isSafeTableName(name)) {
        slot = std::move(name);
      } else {
        list.namesModified = true;
      }
    }
    ++linesRead;
  }
  for (int i = linesRead; i < TableList::kSlots; ++i) {
    list.tableNames[static_cast<std::size_t>(i)].clear();
  }
}

bool isPlainSeparatorOrReserved(unsigned char c) {
  switch (c) {
    case '/':
    case '\\':
    case '<':
    case '>':
    case ':':
    case '"':
    case '|':
    case '?':
    case '*':
      return true;
    default:
      return false;
  }
}

}  // namespace

void TableList::ReadTableNames(const fs::path& dir) {
  const fs::path path = dir / fs::path(std::string(kListFileName));
  std::error_code ec;
  std::ifstream in;
  if (fs::is_regular_file(path, ec)) in.open(path, std::ios::binary);
  if (!in.is_open()) {
    tableNames[0] = std::string(kDefaultTableName);
    namesModified = true;
    return;
  }
  std::streambuf* buffer = in.rdbuf();
  TableList read;
  readSlots(
      [buffer]() {
        const auto c = buffer->sbumpc();
        return std::char_traits<char>::eq_int_type(c, std::char_traits<char>::eof())
                   ? kEnd
                   : static_cast<int>(static_cast<unsigned char>(c));
      },
      read);
  tableNames = std::move(read.tableNames);
  namesModified = read.namesModified;
}

void TableList::parseTableNames(std::string_view bytes) {
  TableList read;
  std::size_t pos = 0;
  readSlots(
      [&]() {
        return pos < bytes.size() ? static_cast<int>(static_cast<unsigned char>(bytes[pos++]))
                                  : kEnd;
      },
      read);
  tableNames = std::move(read.tableNames);
  namesModified = read.namesModified;
}

std::string TableList::formatTableNames() const {
  std::string out;
  for (const std::string& name : tableNames) {
    if (!name.empty() && isSafeTableName(name)) out += utf8ToCp1252(name);
    out += '\n';
  }
  return out;
}

bool TableList::SaveTableNames(const fs::path& dir, std::string_view fileName) const {
  if (!namesModified) return true;
  return writeFileSafely(dir / fs::path(std::string(fileName)), formatTableNames());
}

int TableList::countNames() const {
  return static_cast<int>(std::count_if(tableNames.begin(), tableNames.end(),
                                        [](const auto& n) { return !n.empty(); }));
}

bool TableList::contains(std::string_view name) const { return indexOf(name) >= 0; }

int TableList::indexOf(std::string_view name) const {
  if (name.empty()) return -1;
  for (int i = 0; i < kSlots; ++i) {
    if (tableNames[static_cast<std::size_t>(i)] == name) return i;
  }
  return -1;
}

int TableList::firstEmptySlot() const {
  for (int i = 0; i < kSlots; ++i) {
    if (tableNames[static_cast<std::size_t>(i)].empty()) return i;
  }
  return -1;
}

std::vector<std::string> TableList::listedNames() const {
  std::vector<std::string> names;
  for (const std::string& name : tableNames) {
    if (!name.empty()) names.push_back(name);
  }
  return names;
}

std::size_t utf8CharacterCount(std::string_view text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

bool isSafeTableName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  if (!isValidUtf8(name)) return false;
  if (utf8CharacterCount(name) > TableList::kMaxNameLength) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (c < 0x20 || c == 0x7F || isPlainSeparatorOrReserved(c)) return false;
    // U+0080..U+009F (C1 controls) are encoded C2 80..C2 9F.
    if (c == 0xC2 && i + 1 < name.size() && static_cast<unsigned char>(name[i + 1]) <= 0x9F) {
      return false;
    }
  }
  bool lossless = true;
  utf8ToCp1252(name, &lossless);
  return lossless;
}

}  // namespace orva
