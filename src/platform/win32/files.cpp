// The file system through the wide Win32 functions; paths and names are
// converted from and to code page 936 here.
#include "platform/win32/files.h"

#include <windows.h>

#include "platform/codepage.h"

namespace lyricsub::win32 {
namespace {

std::wstring wide(const Text& text) {
  const std::u16string w = cp936::to_utf16(text);
  return {w.begin(), w.end()};
}

Text narrow(const wchar_t* w) { return cp936::from_utf16(reinterpret_cast<const char16_t*>(w)); }

class FindEnumeration final : public DirectoryEnumeration {
 public:
  explicit FindEnumeration(const Text& pattern) {
    find_ = FindFirstFileW(wide(pattern).c_str(), &data_);
    have_ = find_ != INVALID_HANDLE_VALUE;
  }
  ~FindEnumeration() override {
    if (find_ != INVALID_HANDLE_VALUE) FindClose(find_);
  }
  FindEnumeration(const FindEnumeration&) = delete;
  FindEnumeration& operator=(const FindEnumeration&) = delete;

  std::optional<DirectoryEntry> next() override {
    if (!have_) return std::nullopt;
    DirectoryEntry entry{narrow(data_.cFileName), data_.dwFileAttributes};
    have_ = FindNextFileW(find_, &data_) != FALSE;
    return entry;
  }

 private:
  HANDLE find_ = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAW data_{};
  bool have_ = false;
};

}  // namespace

std::optional<Bytes> Win32Files::read_file(const Text& path) {
  if (path.empty()) return std::nullopt;
  HANDLE file = CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;  // folders do not open this way
  std::optional<Bytes> result;
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file, &size) && size.QuadPart >= 0 &&
      static_cast<unsigned long long>(size.QuadPart) < 0x7FFFFFFFull) {
    Bytes bytes(static_cast<std::size_t>(size.QuadPart));
    DWORD total = 0;
    bool ok = true;
    while (total < bytes.size()) {
      DWORD got = 0;
      if (!ReadFile(file, bytes.data() + total, static_cast<DWORD>(bytes.size() - total), &got,
                    nullptr) ||
          got == 0) {
        ok = false;
        break;
      }
      total += got;
    }
    if (ok) result = std::move(bytes);
  }
  CloseHandle(file);
  return result;
}

std::unique_ptr<DirectoryEnumeration> Win32Files::enumerate(const Text& pattern) {
  return std::make_unique<FindEnumeration>(pattern);
}

std::optional<FolderIdentity> Win32Files::folder_identity(const Text& path) {
  // Opening a folder needs backup semantics; no access right is asked for.
  HANDLE folder = CreateFileW(wide(path).c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (folder == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info{};
  std::optional<FolderIdentity> identity;
  if (GetFileInformationByHandle(folder, &info) &&
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    identity = FolderIdentity{info.dwVolumeSerialNumber,
                              (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) |
                                  info.nFileIndexLow};
  CloseHandle(folder);
  return identity;
}

}  // namespace lyricsub::win32
