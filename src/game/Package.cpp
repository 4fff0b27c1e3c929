#include "game/Package.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <limits>
#include <utility>

namespace voxmire {
namespace {

constexpr std::uint32_t kSignature = 0x9E2A83C1;
// An object with this flag carries a script state frame before its
// properties; no Sound ever has one.
constexpr std::uint32_t kHasStackFlag = 0x02000000;
// Outer chains are a handful of groups deep; anything deeper is a loop.
constexpr int kMaxGroupDepth = 32;
// The smallest table entries, to bound a count by the bytes that remain.
constexpr std::uint64_t kMinNameEntry = 5;     // empty name and flags
constexpr std::uint64_t kMinImportEntry = 7;   // three one-byte indices and an int
constexpr std::uint64_t kMinExportEntry = 12;  // four one-byte indices and two ints
// Names the game makes are at most 64 characters; allow some slack.
constexpr std::size_t kMaxNameLength = 1024;

bool AsciiEqualIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
           return lower(x) == lower(y);
         });
}

// Reads little-endian values from [pos, end) of a source. The first failure
// sticks: later reads fail too, so a parser checks once per step.
class Cursor {
 public:
  Cursor(ByteSource& source, std::uint64_t pos, std::uint64_t end)
      : source_(source), pos_(pos), end_(std::min(end, source.Size())) {}

  bool Ok() const { return ok_; }
  std::uint64_t Pos() const { return pos_; }
  std::uint64_t Remaining() const { return ok_ && pos_ <= end_ ? end_ - pos_ : 0; }

  bool Raw(char* out, std::size_t n) {
    if (!ok_ || n > Remaining() || !source_.ReadAt(pos_, out, n)) return Fail();
    pos_ += n;
    return true;
  }
  std::uint8_t U8() {
    char c = 0;
    Raw(&c, 1);
    return static_cast<std::uint8_t>(c);
  }
  std::uint32_t U32() {
    unsigned char b[4] = {};
    Raw(reinterpret_cast<char*>(b), 4);
    return std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 |
           std::uint32_t(b[3]) << 24;
  }
  std::uint16_t U16() {
    unsigned char b[2] = {};
    Raw(reinterpret_cast<char*>(b), 2);
    return static_cast<std::uint16_t>(b[0] | b[1] << 8);
  }
  std::int32_t I32() { return static_cast<std::int32_t>(U32()); }

  // The compact index: sign and six bits, then up to three bytes of seven
  // bits with a "more" flag, then one byte of eight bits.
  std::int32_t Index() {
    std::uint8_t b = U8();
    const bool negative = (b & 0x80) != 0;
    std::int64_t value = b & 0x3F;
    if ((b & 0x40) != 0) {
      int shift = 6;
      for (int i = 0; i < 4 && ok_; ++i) {
        b = U8();
        if (i == 3) {
          value |= std::int64_t(b) << shift;
          break;
        }
        value |= std::int64_t(b & 0x7F) << shift;
        shift += 7;
        if ((b & 0x80) == 0) break;
      }
    }
    if (value > std::numeric_limits<std::int32_t>::max()) {
      Fail();
      return 0;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
  }

  bool Skip(std::uint64_t n) {
    if (!ok_ || n > Remaining()) return Fail();
    pos_ += n;
    return true;
  }

  bool Fail() {
    ok_ = false;
    return false;
  }

 private:
  ByteSource& source_;
  std::uint64_t pos_;
  std::uint64_t end_;
  bool ok_ = true;
};

struct ImportEntry {
  std::int32_t ObjectName = 0;
};

struct ExportEntry {
  std::int32_t Class = 0;
  std::int32_t Outer = 0;
  std::int32_t ObjectName = 0;
};

std::string Truncated(std::string_view what) {
  return "the file ends or is damaged inside its " + std::string(what);
}

// Checks that `count` entries of at least `minSize` bytes can start at
// `offset` within a file of `size` bytes.
bool TableFits(std::int32_t count, std::int32_t offset, std::uint64_t minSize, std::uint64_t size) {
  if (count < 0 || offset < 0) return false;
  if (count == 0) return true;
  const auto start = static_cast<std::uint64_t>(offset);
  return start < size && static_cast<std::uint64_t>(count) <= (size - start) / minSize;
}

bool ReadName(Cursor& in, int version, std::string& name) {
  if (version >= 64) {
    const std::int32_t length = in.Index();
    if (!in.Ok() || length < 0 || static_cast<std::size_t>(length) > kMaxNameLength) {
      return in.Fail();
    }
    name.resize(static_cast<std::size_t>(length));
    if (!in.Raw(name.data(), name.size())) return false;
  } else {
    // Older packages end each name with a NUL instead of a length.
    name.clear();
    for (;;) {
      const char c = static_cast<char>(in.U8());
      if (!in.Ok()) return false;
      if (c == '\0') break;
      if (name.size() == kMaxNameLength) return in.Fail();
      name += c;
    }
  }
  while (!name.empty() && name.back() == '\0') name.pop_back();
  in.U32();  // the name's flags
  return in.Ok();
}

}  // namespace

bool MemorySource::ReadAt(std::uint64_t offset, char* out, std::size_t n) {
  if (offset > bytes_.size() || n > bytes_.size() - offset) return false;
  if (n > 0) std::memcpy(out, bytes_.data() + offset, n);
  return true;
}

struct FileSource::Impl {
  static constexpr std::size_t kPage = 64 * 1024;
  std::ifstream file;
  std::string page;
  std::uint64_t pageStart = 0;
};

FileSource::FileSource(const std::filesystem::path& path) : impl_(std::make_unique<Impl>()) {
  impl_->file.open(path, std::ios::binary);
  if (!impl_->file) return;
  impl_->file.seekg(0, std::ios::end);
  const std::streamoff end = impl_->file.tellg();
  if (end < 0) {
    impl_->file.close();
    return;
  }
  size_ = static_cast<std::uint64_t>(end);
}

FileSource::~FileSource() = default;

bool FileSource::IsOpen() const { return impl_->file.is_open(); }

bool FileSource::ReadAt(std::uint64_t offset, char* out, std::size_t n) {
  if (!IsOpen() || offset > size_ || n > size_ - offset) return false;
  Impl& f = *impl_;
  const auto inPage = [&] {
    return offset >= f.pageStart && offset - f.pageStart + n <= f.page.size();
  };
  if (!inPage()) {
    if (n > Impl::kPage) {
      // Sound data: read straight into the caller's buffer.
      f.file.clear();
      f.file.seekg(static_cast<std::streamoff>(offset));
      return static_cast<bool>(f.file.read(out, static_cast<std::streamsize>(n)));
    }
    const std::uint64_t length = std::min<std::uint64_t>(Impl::kPage, size_ - offset);
    f.page.resize(static_cast<std::size_t>(length));
    f.file.clear();
    f.file.seekg(static_cast<std::streamoff>(offset));
    if (!f.file.read(f.page.data(), static_cast<std::streamsize>(length))) {
      f.page.clear();
      return false;
    }
    f.pageStart = offset;
  }
  if (n > 0) std::memcpy(out, f.page.data() + (offset - f.pageStart), n);
  return true;
}

bool PackageObject::IsSound() const { return AsciiEqualIgnoringCase(ClassName, "Sound"); }

PackageIndex ReadPackageIndex(ByteSource& source) {
  PackageIndex index;
  const std::uint64_t size = source.Size();
  Cursor head(source, 0, size);
  const std::uint32_t signature = head.U32();
  if (!head.Ok() || signature != kSignature) {
    index.Error = "it is not a package of the game (no package signature)";
    return index;
  }
  index.Version = head.U16();
  head.U16();  // licensee version
  head.U32();  // package flags
  const std::int32_t nameCount = head.I32();
  const std::int32_t nameOffset = head.I32();
  const std::int32_t exportCount = head.I32();
  const std::int32_t exportOffset = head.I32();
  const std::int32_t importCount = head.I32();
  const std::int32_t importOffset = head.I32();
  if (!head.Ok()) {
    index.Error = Truncated("header");
    return index;
  }
  if (index.Version < kOldestPackageVersion || index.Version > kNewestPackageVersion) {
    index.Error = "its package version " + std::to_string(index.Version) +
                  " is not one of the game's (" + std::to_string(kOldestPackageVersion) + " to " +
                  std::to_string(kNewestPackageVersion) + ")";
    return index;
  }
  if (!TableFits(nameCount, nameOffset, kMinNameEntry, size) ||
      !TableFits(importCount, importOffset, kMinImportEntry, size) ||
      !TableFits(exportCount, exportOffset, kMinExportEntry, size)) {
    index.Error = "its header gives tables that don't fit in the file";
    return index;
  }

  Cursor names(source, static_cast<std::uint64_t>(nameOffset), size);
  index.Names.resize(static_cast<std::size_t>(nameCount));
  for (std::string& name : index.Names) {
    if (!ReadName(names, index.Version, name)) {
      index.Error = Truncated("name table");
      return index;
    }
  }
  const auto nameOk = [&](std::int32_t i) { return i >= 0 && i < nameCount; };

  std::vector<ImportEntry> imports(static_cast<std::size_t>(importCount));
  Cursor in(source, static_cast<std::uint64_t>(importOffset), size);
  for (ImportEntry& entry : imports) {
    const std::int32_t classPackage = in.Index();
    const std::int32_t className = in.Index();
    in.I32();  // outer
    entry.ObjectName = in.Index();
    if (!in.Ok() || !nameOk(classPackage) || !nameOk(className) || !nameOk(entry.ObjectName)) {
      index.Error = Truncated("import table");
      return index;
    }
  }

  std::vector<ExportEntry> exports(static_cast<std::size_t>(exportCount));
  index.Objects.resize(exports.size());
  Cursor ex(source, static_cast<std::uint64_t>(exportOffset), size);
  for (std::size_t i = 0; i < exports.size(); ++i) {
    ExportEntry& entry = exports[i];
    PackageObject& object = index.Objects[i];
    entry.Class = ex.Index();
    ex.Index();  // super
    entry.Outer = ex.I32();
    entry.ObjectName = ex.Index();
    object.Flags = ex.U32();
    object.SerialSize = ex.Index();
    if (object.SerialSize > 0) object.SerialOffset = ex.Index();
    if (!ex.Ok() || !nameOk(entry.ObjectName) || object.SerialSize < 0 || object.SerialOffset < 0) {
      index.Error = Truncated("export table");
      return index;
    }
    object.Name = index.Names[static_cast<std::size_t>(entry.ObjectName)];
  }

  // An object reference: 0 is none, -n the n-th import, +n the n-th export.
  const auto refName = [&](std::int32_t ref, std::string& out) {
    if (ref < 0 && -static_cast<std::int64_t>(ref) <= importCount) {
      out = index.Names[static_cast<std::size_t>(
          imports[static_cast<std::size_t>(-ref - 1)].ObjectName)];
      return true;
    }
    if (ref > 0 && ref <= exportCount) {
      out = index.Objects[static_cast<std::size_t>(ref - 1)].Name;
      return true;
    }
    return false;
  };

  for (std::size_t i = 0; i < exports.size(); ++i) {
    PackageObject& object = index.Objects[i];
    if (exports[i].Class == 0) {
      object.ClassName = "Class";
    } else if (!refName(exports[i].Class, object.ClassName)) {
      index.Error = "an object's class is not in the package's tables";
      return index;
    }
    std::vector<std::string> groups;
    std::int32_t outer = exports[i].Outer;
    while (outer != 0) {
      if (groups.size() == kMaxGroupDepth) {
        index.Error = "an object's groups nest endlessly";
        return index;
      }
      std::string name;
      if (!refName(outer, name)) {
        index.Error = "an object's group is not in the package's tables";
        return index;
      }
      groups.push_back(std::move(name));
      // An export inside an imported object: the import ends the chain.
      outer = outer > 0 ? exports[static_cast<std::size_t>(outer - 1)].Outer : 0;
    }
    for (auto it = groups.rbegin(); it != groups.rend(); ++it) {
      if (!object.Group.empty()) object.Group += '.';
      object.Group += *it;
    }
  }
  return index;
}

PackageIndex ReadPackageIndexFile(const std::filesystem::path& path) {
  FileSource source(path);
  if (!source.IsOpen()) {
    PackageIndex index;
    index.Error = "it can't be opened";
    return index;
  }
  return ReadPackageIndex(source);
}

SoundData ReadSoundData(ByteSource& source, const PackageIndex& index,
                        const PackageObject& object) {
  SoundData sound;
  const std::uint64_t size = source.Size();
  const auto start = static_cast<std::uint64_t>(object.SerialOffset);
  const auto length = static_cast<std::uint64_t>(object.SerialSize);
  if (object.SerialSize <= 0 || start > size || length > size - start) {
    sound.Error = "the sound " + object.Name + " lies outside the file";
    return sound;
  }
  if ((object.Flags & kHasStackFlag) != 0) {
    sound.Error = "the sound " + object.Name + " is not a plain sound object";
    return sound;
  }
  const std::string damaged = "the sound " + object.Name + " is damaged";
  Cursor in(source, start, start + length);
  const auto nameAt = [&](std::int32_t i) -> const std::string* {
    if (!in.Ok() || i < 0 || static_cast<std::size_t>(i) >= index.Names.size()) return nullptr;
    return &index.Names[static_cast<std::size_t>(i)];
  };

  // The object's properties, ended by the name None; a Sound normally has
  // none, but any that are there are stepped over.
  for (;;) {
    const std::string* name = nameAt(in.Index());
    if (name == nullptr) {
      sound.Error = damaged;
      return sound;
    }
    if (AsciiEqualIgnoringCase(*name, "None")) break;
    const std::uint8_t info = in.U8();
    const int type = info & 0x0F;
    constexpr int kStructType = 10;
    constexpr int kBoolType = 3;
    if (type == kStructType && nameAt(in.Index()) == nullptr) {
      sound.Error = damaged;
      return sound;
    }
    std::uint64_t valueSize = 0;
    switch ((info >> 4) & 0x07) {
      case 0:
        valueSize = 1;
        break;
      case 1:
        valueSize = 2;
        break;
      case 2:
        valueSize = 4;
        break;
      case 3:
        valueSize = 12;
        break;
      case 4:
        valueSize = 16;
        break;
      case 5:
        valueSize = in.U8();
        break;
      case 6:
        valueSize = in.U16();
        break;
      default:
        valueSize = in.U32();
        break;
    }
    // For a bool the top bit is its value, otherwise it says an array index
    // follows, itself one, two or four bytes long.
    if ((info & 0x80) != 0 && type != kBoolType) {
      const std::uint8_t first = in.U8();
      if ((first & 0xC0) == 0x80) in.Skip(1);
      if ((first & 0xC0) == 0xC0) in.Skip(3);
    }
    if (!in.Skip(valueSize)) {
      sound.Error = damaged;
      return sound;
    }
  }

  const std::string* format = nameAt(in.Index());
  if (format == nullptr) {
    sound.Error = damaged;
    return sound;
  }
  sound.Format = *format;
  if (index.Version > 61) in.U32();  // where the data ends, for loaders that skip it
  const std::int32_t count = in.Index();
  if (!in.Ok() || count < 0 || static_cast<std::uint64_t>(count) > in.Remaining()) {
    sound.Error = damaged;
    return sound;
  }
  sound.Bytes.resize(static_cast<std::size_t>(count));
  if (!in.Raw(sound.Bytes.data(), sound.Bytes.size())) {
    sound.Bytes.clear();
    sound.Error = damaged;
  }
  return sound;
}

}  // namespace voxmire
