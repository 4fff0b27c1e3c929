#pragma once
// A fresh temporary directory, removed with its contents when the test ends.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace voxmire::testing {

struct TempDir {
  std::filesystem::path path;
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "voxmire-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path = pattern;
  }
  ~TempDir() { std::filesystem::remove_all(path); }
  // Writes a file below the directory, making its folders.
  std::filesystem::path Write(const std::filesystem::path& name, const std::string& bytes) const {
    std::filesystem::create_directories((path / name).parent_path());
    std::ofstream(path / name, std::ios::binary) << bytes;
    return path / name;
  }
};

}  // namespace voxmire::testing
