#include "platform/posix/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string_view>
#include <vector>

#include "platform/codepage.h"

namespace lyricsub::posix {
namespace {

constexpr std::uint32_t kAttributeHidden = 0x02;
constexpr std::uint32_t kAttributeArchive = 0x20;

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Windows wildcard matching as far as the program uses it: "*" any run of
// characters, "?" any one byte, letter case ignored.
bool wildcard_match(std::string_view pattern, std::string_view name) {
  if (pattern == "*.*" || pattern == "*") return true;
  std::size_t p = 0, n = 0, star = std::string_view::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || lower(pattern[p]) == lower(name[n]))) {
      ++p;
      ++n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::uint32_t attributes_of(const std::string& full_path, std::string_view name) {
  struct stat st {};
  if (stat(full_path.c_str(), &st) != 0 && lstat(full_path.c_str(), &st) != 0) return 0;
  std::uint32_t attributes = S_ISDIR(st.st_mode) ? kAttributeDirectory : kAttributeArchive;
  if (name.starts_with('.') && name != "." && name != "..") attributes |= kAttributeHidden;
  return attributes;
}

class ListedEntries final : public DirectoryEnumeration {
 public:
  explicit ListedEntries(std::vector<DirectoryEntry> entries) : entries_(std::move(entries)) {}
  std::optional<DirectoryEntry> next() override {
    if (next_ >= entries_.size()) return std::nullopt;
    return entries_[next_++];
  }

 private:
  std::vector<DirectoryEntry> entries_;
  std::size_t next_ = 0;
};

bool dots_first_then_by_name(const std::string& a, const std::string& b) {
  const auto rank = [](const std::string& s) { return s == "." ? 0 : s == ".." ? 1 : 2; };
  if (rank(a) != rank(b)) return rank(a) < rank(b);
  return a < b;
}

}  // namespace

std::string native_path(const Text& path) {
  std::string out = cp936::to_utf8(path);
  std::replace(out.begin(), out.end(), '\\', '/');
  return out;
}

std::optional<Bytes> PosixFiles::read_file(const Text& path) {
  const int fd = open(native_path(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::optional<Bytes> result;
  struct stat st {};
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    Bytes bytes(static_cast<std::size_t>(st.st_size));
    std::size_t total = 0;
    ssize_t n = 1;
    while (n > 0) {
      if (total == bytes.size()) bytes.resize(bytes.size() * 2 + 4096);  // the file grew
      n = read(fd, bytes.data() + total, bytes.size() - total);
      if (n > 0) total += static_cast<std::size_t>(n);
    }
    if (n == 0) {
      bytes.resize(total);
      result = std::move(bytes);
    }
  }
  close(fd);
  return result;
}

std::unique_ptr<DirectoryEnumeration> PosixFiles::enumerate(const Text& pattern) {
  const std::string full = native_path(pattern);
  const std::size_t slash = full.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : full.substr(0, slash + 1);
  const std::string wildcard = slash == std::string::npos ? full : full.substr(slash + 1);

  std::vector<std::string> names;
  if (DIR* dir = opendir(folder.c_str())) {
    while (const dirent* entry = readdir(dir))
      if (wildcard_match(wildcard, entry->d_name)) names.emplace_back(entry->d_name);
    closedir(dir);
  }
  std::sort(names.begin(), names.end(), dots_first_then_by_name);

  std::vector<DirectoryEntry> entries;
  entries.reserve(names.size());
  for (const std::string& name : names)
    entries.push_back({cp936::from_utf8(name), attributes_of(folder + name, name)});
  return std::make_unique<ListedEntries>(std::move(entries));
}

std::optional<FolderIdentity> PosixFiles::folder_identity(const Text& path) {
  struct stat st {};
  if (stat(native_path(path).c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
  return FolderIdentity{static_cast<std::uint64_t>(st.st_dev),
                        static_cast<std::uint64_t>(st.st_ino)};
}

}  // namespace lyricsub::posix
