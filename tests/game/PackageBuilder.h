#pragma once
// Builds small packages of the game's format in memory, for what the
// fixtures don't show: the oldest versions, stripped sound data, nested
// groups, properties before a sound's data.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace voxmire::testing {

struct BuiltSound {
  std::string Group;  // "A.B" nests; empty: at the top of the package
  std::string Name;
  std::string Data;           // the imported file; empty as in stripped packages
  bool WithProperty = false;  // one byte property before the format
};

inline std::string CompactIndex(std::int32_t value) {
  std::string out;
  std::uint32_t v = static_cast<std::uint32_t>(value < 0 ? -value : value);
  std::uint8_t first = static_cast<std::uint8_t>((value < 0 ? 0x80 : 0) | (v & 0x3F));
  v >>= 6;
  if (v != 0) first |= 0x40;
  out += static_cast<char>(first);
  for (int i = 0; v != 0 && i < 4; ++i) {
    std::uint8_t b = i == 3 ? static_cast<std::uint8_t>(v) : static_cast<std::uint8_t>(v & 0x7F);
    v = i == 3 ? 0 : v >> 7;
    if (i < 3 && v != 0) b |= 0x80;
    out += static_cast<char>(b);
  }
  return out;
}

inline std::string Int32(std::uint32_t v) {
  return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
          static_cast<char>((v >> 16) & 0xFF), static_cast<char>((v >> 24) & 0xFF)};
}

inline std::string BuildPackage(int version, const std::vector<BuiltSound>& sounds) {
  std::vector<std::string> names = {"None",  "wav",   "Core",   "Engine",      "Package",
                                    "Class", "Sound", "Volume", "ByteProperty"};
  std::map<std::string, int> nameIndex;
  const auto name = [&](const std::string& n) {
    auto [it, added] = nameIndex.emplace(n, static_cast<int>(names.size()));
    if (added) names.push_back(n);
    return it->second;
  };
  for (std::size_t i = 0; i < names.size(); ++i) nameIndex[names[i]] = static_cast<int>(i);

  struct Export {
    int Class, Outer, Name;
    std::string Serial;
    std::size_t DataEndAt = 0;  // where in Serial the data's end offset goes
  };
  std::vector<Export> exports;
  std::map<std::string, int> groupExport;  // group path -> export number (1-based)
  const auto group = [&](const std::string& path) {
    int outer = 0;
    std::string sofar;
    std::size_t start = 0;
    while (!path.empty() && start <= path.size()) {
      const auto dot = path.find('.', start);
      const std::string part = path.substr(start, dot == std::string::npos ? dot : dot - start);
      sofar += (sofar.empty() ? "" : ".") + part;
      auto found = groupExport.find(sofar);
      if (found == groupExport.end()) {
        exports.push_back({-4, outer, name(part), std::string(1, '\0'), 0});
        found = groupExport.emplace(sofar, static_cast<int>(exports.size())).first;
      }
      outer = found->second;
      if (dot == std::string::npos) break;
      start = dot + 1;
    }
    return outer;
  };
  for (const BuiltSound& sound : sounds) {
    std::string serial;
    if (sound.WithProperty) serial += CompactIndex(7) + '\0' + '\x05';  // Volume, 1 byte
    serial += CompactIndex(0) + CompactIndex(1);                        // None, then "wav"
    const std::size_t dataEndAt = serial.size();
    // The data's end offset is patched once the object's place is known.
    serial += version > 61 ? Int32(0) : std::string();
    serial += CompactIndex(static_cast<std::int32_t>(sound.Data.size())) + sound.Data;
    const int outer = group(sound.Group);
    exports.push_back({-2, outer, name(sound.Name), serial, dataEndAt});
  }

  std::string body;
  const std::size_t headerSize = version >= 68 ? 64 : 44;
  std::string nameTable;
  for (const std::string& n : names) {
    if (version >= 64) nameTable += CompactIndex(static_cast<std::int32_t>(n.size() + 1));
    nameTable += n + '\0' + Int32(0x00070010);
  }
  std::uint32_t offset = static_cast<std::uint32_t>(headerSize + nameTable.size());
  std::vector<std::uint32_t> offsets;
  for (Export& e : exports) {
    offsets.push_back(offset);
    if (version > 61 && e.DataEndAt != 0) {
      e.Serial.replace(e.DataEndAt, 4, Int32(offset + static_cast<std::uint32_t>(e.Serial.size())));
    }
    body += e.Serial;
    offset += static_cast<std::uint32_t>(e.Serial.size());
  }
  std::string imports;
  const auto import = [&](int classPackage, int className, std::int32_t outer, int object) {
    imports += CompactIndex(classPackage) + CompactIndex(className) +
               Int32(static_cast<std::uint32_t>(outer)) + CompactIndex(object);
  };
  import(2, 4, 0, 3);   // Core.Package Engine
  import(2, 5, -1, 6);  // Core.Class Engine.Sound
  import(2, 4, 0, 2);   // Core.Package Core
  import(2, 5, -3, 4);  // Core.Class Core.Package
  const std::uint32_t importOffset = offset;
  offset += static_cast<std::uint32_t>(imports.size());
  std::string exportTable;
  for (std::size_t i = 0; i < exports.size(); ++i) {
    const Export& e = exports[i];
    exportTable += CompactIndex(e.Class) + CompactIndex(0) +
                   Int32(static_cast<std::uint32_t>(e.Outer)) + CompactIndex(e.Name) +
                   Int32(0x000F0004) + CompactIndex(static_cast<std::int32_t>(e.Serial.size())) +
                   CompactIndex(static_cast<std::int32_t>(offsets[i]));
  }
  std::string header = Int32(0x9E2A83C1) + static_cast<char>(version) + '\0' + '\0' + '\0' +
                       Int32(1) + Int32(static_cast<std::uint32_t>(names.size())) +
                       Int32(static_cast<std::uint32_t>(headerSize)) +
                       Int32(static_cast<std::uint32_t>(exports.size())) + Int32(offset) +
                       Int32(4) + Int32(importOffset);
  header.resize(headerSize, '\0');
  return header + nameTable + body + imports + exportTable;
}

}  // namespace voxmire::testing
