// The file system through the wide Win32 functions; paths and names are
// converted from and to code page 936 here.
#include "platform/win32/files.h"

#include <windows.h>
#include <winternl.h>

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

// A folder opened for its attributes only; backup semantics let a folder
// open at all.
class FolderHandle {
 public:
  explicit FolderHandle(const Text& path)
      : handle_(CreateFileW(wide(path).c_str(), FILE_READ_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)) {}
  ~FolderHandle() {
    if (ok()) CloseHandle(handle_);
  }
  FolderHandle(const FolderHandle&) = delete;
  FolderHandle& operator=(const FolderHandle&) = delete;
  bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE handle() const { return handle_; }

 private:
  HANDLE handle_;
};

using QueryInformationFile = NTSTATUS(NTAPI*)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG,
                                              FILE_INFORMATION_CLASS);

// The file index (FileInternalInformation), without the volume lookup that
// GetFileInformationByHandle makes.
std::optional<std::uint64_t> file_index(HANDLE file) {
  static const auto query = reinterpret_cast<QueryInformationFile>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationFile")));
  if (query != nullptr) {
    IO_STATUS_BLOCK io{};
    LARGE_INTEGER index{};
    if (query(file, &io, &index, sizeof index, FileInternalInformation) >= 0)
      return static_cast<std::uint64_t>(index.QuadPart);
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file, &info)) return std::nullopt;
  return (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
}

std::optional<std::uint64_t> volume_serial(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file, &info)) return std::nullopt;
  return info.dwVolumeSerialNumber;
}

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
  const FolderHandle folder(path);
  if (!folder.ok()) return std::nullopt;
  const std::optional<std::uint64_t> index = file_index(folder.handle());
  if (!index) return std::nullopt;

  const auto [first, inserted] = first_path_by_index_.try_emplace(*index, FirstPath{path, {}});
  if (inserted || first->second.path == path) return FolderIdentity{0, *index};
  // Another path to a folder with this index: the same folder only on the
  // same volume.
  const std::optional<std::uint64_t> volume = volume_serial(folder.handle());
  if (!volume) return std::nullopt;
  if (!first->second.volume) {
    const FolderHandle first_folder(first->second.path);
    if (first_folder.ok()) first->second.volume = volume_serial(first_folder.handle());
  }
  if (first->second.volume == volume) return FolderIdentity{0, *index};
  return FolderIdentity{*volume + 1, *index};  // never 0
}

}  // namespace lyricsub::win32
