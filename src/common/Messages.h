#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace orva {

// Identifiers of the program's user-visible texts. A text that has a
// string-table number carries that number as its value; other texts get values
// below 10000 (placeholder: the catalogue fills this in).
enum class Msg : int {
  InvalidDatFile = 1,
  UnableToOpenFileForReading = 2,
};

// The text of a message, exactly as the user sees it (UTF-8), with its %1/%2
// inserts (and any printf-style fields) still in place.
std::string_view messageText(Msg id);

// Replaces %1, %2, ... in `pattern` by the inserts, in one pass ("%%" is left
// alone, an insert that is missing leaves its marker as it stands).
std::string fillInserts(std::string_view pattern, std::initializer_list<std::string_view> inserts);

// messageText(id) with its inserts filled.
std::string formatMessage(Msg id, std::initializer_list<std::string_view> inserts = {});

}  // namespace orva
