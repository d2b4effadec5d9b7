// A project's JSON form is read from files the user hands to the tool: any
// bytes must give a project or a clear refusal, and an accepted project must
// be one the project file writer takes and whose JSON form reads back the same.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <nlohmann/json.hpp>
#include <string_view>

#include "model/ContentsCodec.h"
#include "model/ProjectJson.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const nlohmann::json json = nlohmann::json::parse(text, nullptr, false);
  if (json.is_discarded()) return 0;
  // No coordinate file is opened: the input must not name the machine's files.
  const orva::ProjectJsonSource source{{}, 1000, false};
  orva::ProjectData project;
  try {
    project = orva::projectFromJson(json, source);
  } catch (const std::exception&) {
    return 0;  // refused, with a message
  }
  const auto bytes = orva::encodeContents(project, nullptr);
  if (!bytes) __builtin_trap();
  // What info prints builds the same project again.
  const nlohmann::json again = nlohmann::json::parse(orva::projectToJson(project).dump());
  try {
    const orva::ProjectData back = orva::projectFromJson(again, source);
    if (orva::encodeContents(back, nullptr) != bytes) __builtin_trap();
  } catch (const std::exception&) {
    __builtin_trap();
  }
  return 0;
}
