#include "model/CompoundFile.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-output.h>
#include <gsf/gsf-utils.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <memory>
#include <mutex>
#include <system_error>

#include "common/SafeFile.h"

namespace orva {

namespace {

constexpr const char* kStreamName = "Contents";

void quietLog(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

void ensureGsf() {
  static std::once_flag once;
  std::call_once(once, [] {
    gsf_init();
    // A damaged compound file makes the library complain on stderr about
    // what it then refuses; the refusal is reported to the user instead.
    const auto levels = static_cast<GLogLevelFlags>(G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING);
    for (const char* domain : {"libgsf", "libgsf:msole"}) {
      g_log_set_handler(domain, levels, quietLog, nullptr);
    }
  });
}

// Owns one reference of a GObject.
struct Unref {
  void operator()(void* object) const {
    if (object) g_object_unref(object);
  }
};
template <class T>
using GPtr = std::unique_ptr<T, Unref>;

// Owns a GError.
struct ErrorFree {
  void operator()(GError* e) const {
    if (e) g_error_free(e);
  }
};

void setError(std::string* error, std::string text) {
  if (error) *error = std::move(text);
}

std::string tooLarge(std::size_t size) {
  return "the project is too large (" + std::to_string(size) + " bytes, at most " +
         std::to_string(kMaxProjectFileBytes) + ")";
}

}  // namespace

std::optional<std::string> buildCompoundFile(std::string_view contents, std::string* error) {
  if (contents.size() > kMaxProjectFileBytes) {
    setError(error, tooLarge(contents.size()));
    return std::nullopt;
  }
  ensureGsf();
  GPtr<GsfOutput> sink(gsf_output_memory_new());
  if (!sink) {
    setError(error, "cannot create the compound file");
    return std::nullopt;
  }
  bool ok = true;
  {
    GPtr<GsfOutfile> ole(gsf_outfile_msole_new(sink.get()));
    if (!ole) {
      setError(error, "cannot create the compound file");
      return std::nullopt;
    }
    GPtr<GsfOutput> stream(gsf_outfile_new_child(ole.get(), kStreamName, FALSE));
    if (!stream) {
      setError(error, "cannot create the Contents stream");
      gsf_output_close(GSF_OUTPUT(ole.get()));
      return std::nullopt;
    }
    const auto* data = reinterpret_cast<const guint8*>(contents.data());
    if (!contents.empty()) ok = gsf_output_write(stream.get(), contents.size(), data) != FALSE;
    ok = gsf_output_close(stream.get()) != FALSE && ok;
    ok = gsf_output_close(GSF_OUTPUT(ole.get())) != FALSE && ok;
  }
  if (!ok) {
    setError(error, "cannot write the compound file");
    return std::nullopt;
  }
  // The memory sink keeps its buffer until it is released.
  const gsf_off_t size = gsf_output_size(sink.get());
  const guint8* bytes = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(sink.get()));
  if (size < 0 || (size > 0 && bytes == nullptr)) {
    setError(error, "cannot write the compound file");
    return std::nullopt;
  }
  return std::string(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(size));
}

std::optional<std::string> extractContents(std::string_view fileBytes, std::string* error) {
  if (fileBytes.size() > kMaxProjectFileBytes) {
    setError(error, tooLarge(fileBytes.size()));
    return std::nullopt;
  }
  ensureGsf();
  GPtr<GsfInput> input(gsf_input_memory_new(reinterpret_cast<const guint8*>(fileBytes.data()),
                                            static_cast<gsf_off_t>(fileBytes.size()), FALSE));
  if (!input) {
    setError(error, "cannot read the file");
    return std::nullopt;
  }
  GError* rawError = nullptr;
  GPtr<GsfInfile> ole(gsf_infile_msole_new(input.get(), &rawError));
  std::unique_ptr<GError, ErrorFree> openError(rawError);
  if (!ole) {
    // Not a compound file: the whole content is the stream.
    return std::string(fileBytes);
  }
  GPtr<GsfInput> stream(gsf_infile_child_by_name(ole.get(), kStreamName));
  if (!stream) {
    setError(error, "the compound file has no Contents stream");
    return std::nullopt;
  }
  if (GSF_IS_INFILE(stream.get()) && gsf_infile_num_children(GSF_INFILE(stream.get())) >= 0) {
    setError(error, "Contents is a storage, not a stream");
    return std::nullopt;
  }
  const gsf_off_t size = gsf_input_size(stream.get());
  if (size < 0 || static_cast<std::uint64_t>(size) > kMaxProjectFileBytes) {
    setError(error, "the Contents stream has an impossible size");
    return std::nullopt;
  }
  std::string out(static_cast<std::size_t>(size), '\0');
  constexpr std::size_t kChunk = 64 * 1024;
  for (std::size_t done = 0; done < out.size();) {
    const std::size_t n = std::min(kChunk, out.size() - done);
    if (!gsf_input_read(stream.get(), n, reinterpret_cast<guint8*>(out.data() + done))) {
      setError(error, "the Contents stream cannot be read");
      return std::nullopt;
    }
    done += n;
  }
  return out;
}

std::optional<std::string> readContentsStream(const std::filesystem::path& path, std::string* error,
                                              ContentsReadFailure* failure) {
  auto fail = [&](ContentsReadFailure kind, std::string text) -> std::optional<std::string> {
    if (failure) *failure = kind;
    setError(error, std::move(text));
    return std::nullopt;
  };
  if (failure) *failure = ContentsReadFailure::None;

  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    return fail(ContentsReadFailure::CannotOpen, "not a readable file: " + path.string());
  }
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) return fail(ContentsReadFailure::CannotOpen, "cannot read " + path.string());
  if (size > kMaxProjectFileBytes) {
    return fail(ContentsReadFailure::Invalid,
                tooLarge(static_cast<std::size_t>(std::min<std::uintmax_t>(size, SIZE_MAX))));
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) return fail(ContentsReadFailure::CannotOpen, "cannot open " + path.string());
  // Read what is there, never more than the bound, even if the file grew.
  std::string bytes(static_cast<std::size_t>(size), '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (in.bad()) return fail(ContentsReadFailure::CannotOpen, "cannot read " + path.string());
  bytes.resize(static_cast<std::size_t>(in.gcount()));

  std::string why;
  auto contents = extractContents(bytes, &why);
  if (!contents) return fail(ContentsReadFailure::Invalid, why);
  return contents;
}

bool writeCompoundFile(const std::filesystem::path& path, std::string_view contents,
                       std::string* error) {
  auto file = buildCompoundFile(contents, error);
  if (!file) return false;
  return writeFileSafely(path, *file, error);
}

}  // namespace orva
