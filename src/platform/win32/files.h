// The file system through Win32's wide functions; paths are converted from
// code page 936 at this edge.
#pragma once

#include <cstdint>
#include <map>

#include "platform/files.h"

namespace lyricsub::win32 {

class Win32Files final : public Files {
 public:
  std::optional<Bytes> read_file(const Text& path) override;
  std::unique_ptr<DirectoryEnumeration> enumerate(const Text& pattern) override;
  // The volume serial number is slow to ask for under Wine (a round trip to
  // its mount manager), so it is asked for only when two paths lead to
  // folders with the same file index: the first path met with an index stands
  // for it with volume 0, and a later one is told apart by its real volume.
  std::optional<FolderIdentity> folder_identity(const Text& path) override;

 private:
  struct FirstPath {
    Text path;
    std::optional<std::uint64_t> volume;  // asked for when needed
  };
  std::map<std::uint64_t, FirstPath> first_path_by_index_;
};

}  // namespace lyricsub::win32
