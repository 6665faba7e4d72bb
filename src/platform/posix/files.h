// The file system seam on POSIX systems, for tests against real folders.
// Paths arrive as the program builds them (code page 936, "\" separators) and
// are turned into UTF-8 paths with "/".
#pragma once

#include "platform/files.h"

namespace lyricsub::posix {

class PosixFiles final : public Files {
 public:
  // The whole regular file (symbolic links followed), or nullopt.
  std::optional<Bytes> read_file(const Text& path) override;
  // Entries in name order, "." and ".." first and reported as folders, links
  // followed; the wildcard ("*", "?") ignores ASCII letter case and "*.*"
  // matches every name.
  std::unique_ptr<DirectoryEnumeration> enumerate(const Text& pattern) override;
  // Device and inode of the folder the path leads to.
  std::optional<FolderIdentity> folder_identity(const Text& path) override;
};

// The UTF-8 path with "/" separators that a program path stands for.
std::string native_path(const Text& path);

}  // namespace lyricsub::posix
