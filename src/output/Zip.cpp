#include "output/Zip.h"

#include <zip.h>

#include <memory>

namespace voxmire {
namespace {

struct SourceFree {
  void operator()(zip_source_t* source) const { zip_source_free(source); }
};
using SourcePtr = std::unique_ptr<zip_source_t, SourceFree>;

struct ArchiveDiscard {
  void operator()(zip_t* archive) const { zip_discard(archive); }
};
using ArchivePtr = std::unique_ptr<zip_t, ArchiveDiscard>;

// The text of an error we own, which is then released.
std::string Describe(zip_error_t* error) {
  const std::string text = zip_error_strerror(error);
  zip_error_fini(error);
  return text;
}

// Everything the buffer source holds once the archive is closed.
std::optional<std::string> ReadAll(zip_source_t* source, std::string& error) {
  if (zip_source_open(source) != 0) {
    error = zip_error_strerror(zip_source_error(source));
    return std::nullopt;
  }
  std::string bytes;
  char chunk[65536];
  for (;;) {
    const zip_int64_t n = zip_source_read(source, chunk, sizeof chunk);
    if (n < 0) {
      error = zip_error_strerror(zip_source_error(source));
      zip_source_close(source);
      return std::nullopt;
    }
    if (n == 0) break;
    bytes.append(chunk, static_cast<std::size_t>(n));
  }
  zip_source_close(source);
  return bytes;
}

}  // namespace

std::optional<std::string> BuildZip(const std::vector<ZipMember>& members, std::string& error) {
  if (members.empty()) {
    // libzip removes an archive left empty rather than writing one.
    error = "nothing to archive";
    return std::nullopt;
  }
  zip_error_t zipError;
  zip_error_init(&zipError);
  SourcePtr buffer(zip_source_buffer_create(nullptr, 0, 0, &zipError));
  if (!buffer) {
    error = Describe(&zipError);
    return std::nullopt;
  }
  // zip_close and zip_discard free the archive's source; keep ours for reading back.
  zip_source_keep(buffer.get());
  ArchivePtr archive(zip_open_from_source(buffer.get(), ZIP_TRUNCATE, &zipError));
  if (!archive) {
    // The archive never took its reference: drop the one kept for it.
    zip_source_free(buffer.get());
    error = Describe(&zipError);
    return std::nullopt;
  }

  for (const auto& member : members) {
    // The data must stay put until the archive is closed: `members` does.
    zip_source_t* data =
        zip_source_buffer(archive.get(), member.bytes.data(), member.bytes.size(), 0);
    const zip_int64_t index =
        data == nullptr ? -1
                        : zip_file_add(archive.get(), member.name.c_str(), data, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
      if (data != nullptr) zip_source_free(data);
      error = member.name + ": " + zip_strerror(archive.get());
      return std::nullopt;  // the archive's reference and ours go with their holders
    }
    if (member.modified != 0) {
      zip_file_set_mtime(archive.get(), static_cast<zip_uint64_t>(index), member.modified, 0);
    }
  }

  if (zip_close(archive.get()) != 0) {
    error = zip_strerror(archive.get());
    return std::nullopt;
  }
  archive.release();  // closed and freed by zip_close
  return ReadAll(buffer.get(), error);
}

}  // namespace voxmire
