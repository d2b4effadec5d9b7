#pragma once

#include <string>
#include <string_view>

namespace orva {

// Windows-1252 bytes to UTF-8. Every byte maps to one code point: the five bytes
// the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the C1
// control characters of the same value, so any byte string survives a round trip.
std::string cp1252ToUtf8(std::string_view bytes);

// UTF-8 to Windows-1252. Characters the code page cannot hold, and malformed
// UTF-8 sequences, become '?'; `lossless` (when given) tells whether that happened.
std::string utf8ToCp1252(std::string_view utf8, bool* lossless = nullptr);

// True when the bytes form valid UTF-8 (no overlong forms, no surrogates).
bool isValidUtf8(std::string_view bytes);

}  // namespace orva
