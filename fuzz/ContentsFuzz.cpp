// Project file streams: any bytes are decoded without crashing; every record
// that decodes can be encoded, and encoding it then decoding gives the same
// record (the version becomes 1007 and the block position of old files is
// already in the panels).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "model/ContentsCodec.h"

namespace {

bool sameRecord(const orva::ProjectData& a, const orva::ProjectData& b) {
  return a.panels == b.panels && a.splines == b.splines && a.cutChoices == b.cutChoices &&
         a.foamName == b.foamName && a.cutSpeed == b.cutSpeed && a.comments == b.comments;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto decoded = orva::decodeContents(bytes);
  if (!decoded) return 0;
  if (decoded->panels.empty()) __builtin_trap();

  const auto encoded = orva::encodeContents(*decoded);
  if (!encoded) __builtin_trap();  // a record that was read can always be written
  const auto again = orva::decodeContents(*encoded);
  if (!again) __builtin_trap();
  if (again->version != orva::kContentsVersion || again->legacyBlockPosition) __builtin_trap();
  if (!sameRecord(*decoded, *again)) __builtin_trap();

  // Writing is a function of the record alone.
  const auto encodedAgain = orva::encodeContents(*again);
  if (!encodedAgain || *encodedAgain != *encoded) __builtin_trap();
  return 0;
}
