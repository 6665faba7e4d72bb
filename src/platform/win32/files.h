// The file system through Win32's wide functions; paths are converted from
// code page 936 at this edge.
#pragma once

#include "platform/files.h"

namespace lyricsub::win32 {

class Win32Files final : public Files {
 public:
  std::optional<Bytes> read_file(const Text& path) override;
  std::unique_ptr<DirectoryEnumeration> enumerate(const Text& pattern) override;
  std::optional<FolderIdentity> folder_identity(const Text& path) override;
};

}  // namespace lyricsub::win32
