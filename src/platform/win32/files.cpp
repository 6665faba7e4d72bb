// Placeholder: filled in with lyrics loading and the folder scan.
#include "platform/win32/files.h"

namespace lyricsub::win32 {
namespace {
class NoEntries final : public DirectoryEnumeration {
 public:
  std::optional<DirectoryEntry> next() override { return std::nullopt; }
};
}  // namespace

std::optional<Bytes> Win32Files::read_file(const Text&) { return std::nullopt; }
std::unique_ptr<DirectoryEnumeration> Win32Files::enumerate(const Text&) {
  return std::make_unique<NoEntries>();
}
std::optional<FolderIdentity> Win32Files::folder_identity(const Text&) { return std::nullopt; }

}  // namespace lyricsub::win32
