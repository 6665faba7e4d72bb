// lyricsub-preview FILE: plays a lyrics file against a fake target and prints
// one line per delivered lyric: the clock text, a TAB, the text in UTF-8.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "platform/codepage.h"
#include "playback/preview.h"

namespace {

std::optional<lyricsub::Bytes> read_whole_file(const char* path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  lyricsub::Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: lyricsub-preview FILE\n", stderr);
    return 2;
  }
  const std::optional<lyricsub::Bytes> file = read_whole_file(argv[1]);
  if (!file) {
    std::fprintf(stderr, "lyricsub-preview: cannot read %s\n", argv[1]);
    return 2;
  }
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);  // the same bytes as on Linux: LF line ends
#endif
  for (const lyricsub::preview::Delivery& d : lyricsub::preview::play(*file)) {
    const std::string line = d.clock + "\t" + lyricsub::cp936::to_utf8(d.text) + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
