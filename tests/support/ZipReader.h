#pragma once
// Reads a zip file back with libzip, for tests that check what we wrote.
#include <zip.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace voxmire::test {

struct ZipReading {
  std::vector<std::pair<std::string, std::string>> members;  // name, bytes, in order
  std::string problem;                                       // empty when every member was read
};

inline ZipReading ReadZip(const std::filesystem::path& path) {
  ZipReading reading;
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
  if (archive == nullptr) {
    reading.problem = "can't open (libzip error " + std::to_string(error) + ")";
    return reading;
  }
  const zip_int64_t count = zip_get_num_entries(archive, 0);
  for (zip_int64_t i = 0; i < count && reading.problem.empty(); ++i) {
    const auto index = static_cast<zip_uint64_t>(i);
    zip_stat_t stat;
    zip_file_t* file = nullptr;
    if (zip_stat_index(archive, index, 0, &stat) != 0 ||
        (file = zip_fopen_index(archive, index, 0)) == nullptr) {
      reading.problem = zip_strerror(archive);
      break;
    }
    std::string bytes(static_cast<std::size_t>(stat.size), '\0');
    // Reading to the end also checks the member's CRC.
    const zip_int64_t got = zip_fread(file, bytes.data(), bytes.size());
    char extra;
    if (got != static_cast<zip_int64_t>(bytes.size()) || zip_fread(file, &extra, 1) != 0) {
      reading.problem = std::string(stat.name) + ": " + zip_file_strerror(file);
    }
    zip_fclose(file);
    reading.members.emplace_back(zip_get_name(archive, index, ZIP_FL_ENC_GUESS), std::move(bytes));
  }
  zip_discard(archive);
  return reading;
}

}  // namespace voxmire::test
