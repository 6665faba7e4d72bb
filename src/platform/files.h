// The seam to the file system. Paths are texts in code page 936 with "\" as
// the separator, as the program builds them.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "platform/types.h"

namespace lyricsub {

inline constexpr std::uint32_t kAttributeDirectory = 0x10;

struct DirectoryEntry {
  Text name;  // bare name
  std::uint32_t attributes = 0;
};

// One running enumeration (FindFirstFile/FindNextFile/FindClose).
class DirectoryEnumeration {
 public:
  virtual ~DirectoryEnumeration() = default;
  // The next entry, or nullopt at the end.
  virtual std::optional<DirectoryEntry> next() = 0;
};

// Identifies a folder on disk whatever path leads to it (volume and file
// index on Windows, device and inode elsewhere).
struct FolderIdentity {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  friend auto operator<=>(const FolderIdentity&, const FolderIdentity&) = default;
};

class Files {
 public:
  virtual ~Files() = default;
  // The whole file, or nullopt when it does not exist, is not a file or
  // cannot be opened or read.
  virtual std::optional<Bytes> read_file(const Text& path) = 0;
  // A pattern is a folder path followed by a wildcard pattern ("*.lrc",
  // "*.*"); matching ignores letter case. Never null; a folder that cannot
  // be enumerated gives an enumeration without entries.
  virtual std::unique_ptr<DirectoryEnumeration> enumerate(const Text& pattern) = 0;
  virtual std::optional<FolderIdentity> folder_identity(const Text& path) = 0;
};

}  // namespace lyricsub
