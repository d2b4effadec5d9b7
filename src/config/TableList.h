#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace orva {

// Name of the table an installation starts with.
inline constexpr std::string_view kDefaultTableName = "Default";


// The names of the cutting tables known to this installation: 20 slots, each a
// name (at most 25 characters) or empty. The operations keep the names packed
// at the top, but a hand-edited list file may leave empty slots anywhere;
// everything here skips empty slots.
//
// List file ("TableNames.bd" in the data directory): one slot per line, an
// empty line for an empty slot, Windows-1252, 20 lines when written.
class TableList {
 public:
  static constexpr int kSlots = 20;
  static constexpr std::size_t kMaxNameLength = 25;  // characters
  // A line of the list file is kept up to this many bytes; a longer one is
  // read to its end and refused (no name can be that long).
  static constexpr std::size_t kMaxLineBytes = 255;

  std::array<std::string, kSlots> tableNames;  // UTF-8 in memory, Windows-1252 in the file
  // Set when the list or the current table changed and the list must be
  // written; cleared when the list file has been read (and set again when a
  // line of it had to be dropped, so that the file is rewritten clean).
  bool namesModified = false;

  // Reads dir/"TableNames.bd". Without it (or when it is not a readable
  // regular file) slot 0 becomes "Default", the other slots keep their values
  // and the list is marked modified. Otherwise see parseTableNames().
  void ReadTableNames(const std::filesystem::path& dir);
  // Takes the content of a list file (Windows-1252 bytes): line i goes into
  // slot i, at most 20 lines (further lines are ignored); every slot after the
  // last line read is emptied; namesModified is cleared. Lines end with
  // "\r\n", "\n" or a lone "\r". A line that does not hold a safe name
  // (isSafeTableName) leaves its slot empty and marks the list modified.
  void parseTableNames(std::string_view bytes);
  // The list file's content: 20 lines, each slot followed by "\n", in
  // Windows-1252. A slot holding an unsafe name is written as an empty line
  // (it could not be read back, and a line end inside it would shift slots).
  std::string formatTableNames() const;
  // Writes dir/fileName (keeping the previous file as .bak) when namesModified
  // is set. namesModified stays set. Returns false only when a due write failed.
  bool SaveTableNames(const std::filesystem::path& dir, std::string_view fileName) const;

  int countNames() const;                        // non-empty slots
  bool contains(std::string_view name) const;    // exact comparison, empty never listed
  int indexOf(std::string_view name) const;      // first slot holding name, or -1
  int firstEmptySlot() const;                    // or -1 when all slots are used
  std::vector<std::string> listedNames() const;  // non-empty slots in slot order
};

// True when `name` can name a table. Table names become file names in the data
// directory ("NAME_table.bd", "NAME_foam.bd"), so a name must not be able to
// reach outside it or to be stored differently on disk: it is valid UTF-8, at
// most 25 characters, not empty, not "." or "..", has no path separator ('/',
// '\\'), no character that other systems refuse in file names (< > : " | ? *),
// no control character (C0, DEL, C1) and only characters Windows-1252 holds.
bool isSafeTableName(std::string_view name);

// Number of characters (code points) of a UTF-8 text; every byte that is not a
// continuation byte counts as one.
std::size_t utf8CharacterCount(std::string_view text);

}  // namespace orva
