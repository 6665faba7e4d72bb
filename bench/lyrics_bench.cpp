// Filling the lyrics table from a 100,000-line file, against a plain
// read-and-split-at-"\r\n" of the same file in the same run.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "lyrics/load.h"
#include "lyrics/text_ops.h"
#include "platform/fake/fake_platform.h"
#include "platform/posix/files.h"

namespace lyricsub {
namespace {

constexpr int kLines = 100000;

// Typical lyrics lines: a time tag and some text; UTF-8 so that the fill
// also converts.
std::string lyrics_file(bool utf8) {
  std::string text;
  const char* words = utf8 ? reinterpret_cast<const char*>(u8"我们一起唱这首歌 la la la")
                           : "我们一起唱这首歌 la la la";
  char tag[32];
  for (int i = 0; i < kLines; ++i) {
    std::snprintf(tag, sizeof tag, "[%02d:%02d.%02d]", i / 6000 % 100, i / 100 % 60, i % 100);
    text += tag;
    text += words;
    text += "\r\n";
  }
  return text;
}

class TempFile {
 public:
  explicit TempFile(const std::string& content) {
    path_ =
        (std::filesystem::temp_directory_path() /
         ("lyricsub-bench-" + std::to_string(getpid()) + "-" + std::to_string(counter_++) + ".lrc"))
            .string();
    std::ofstream(path_, std::ios::binary) << content;
  }
  ~TempFile() { std::filesystem::remove(path_); }
  const std::string& path() const { return path_; }

 private:
  static inline int counter_ = 0;
  std::string path_;
};

void ReadAndSplitBaseline(benchmark::State& state) {
  const TempFile file(lyrics_file(state.range(0) != 0));
  for (auto _ : state) {
    std::string text(std::filesystem::file_size(file.path()), '\0');
    std::FILE* in = std::fopen(file.path().c_str(), "rb");
    if (in == nullptr || std::fread(text.data(), 1, text.size(), in) != text.size())
      state.SkipWithError("cannot read");
    if (in != nullptr) std::fclose(in);
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2)
      lines.push_back(text.substr(start, at - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    benchmark::DoNotOptimize(lines.data());
  }
  state.SetItemsProcessed(state.iterations() * kLines);
}

void FillLyricsTable(benchmark::State& state) {
  const TempFile file(lyrics_file(state.range(0) != 0));
  FakePlatform fake;
  posix::PosixFiles files;
  App app{Platform{fake.ui, fake.ui, fake.desktop, files, fake.clock}};
  for (auto _ : state) {
    fake.ui.table_clear();
    fake.log.clear();
    fill_lyrics_table(app, file.path());
    benchmark::DoNotOptimize(fake.ui.table.data());
  }
  if (fake.ui.table.size() != kLines) state.SkipWithError("wrong number of rows");
  state.SetItemsProcessed(state.iterations() * kLines);
}

// The fill's own work (read, convert, trim, split, tag) without the table:
// the same steps fill_lyrics_table takes, the cells kept in a vector.
void FillLogicWithoutTable(benchmark::State& state) {
  const TempFile file(lyrics_file(state.range(0) != 0));
  posix::PosixFiles files;
  std::size_t rows = 0;
  for (auto _ : state) {
    const std::optional<Bytes> bytes = files.read_file(file.path());
    const Text text = trim_spaces(
        lyrics_text_from_bytes({reinterpret_cast<const char*>(bytes->data()), bytes->size()}));
    std::vector<std::array<Text, 2>> cells;
    for (std::string_view line : split_lyrics_lines(text)) {
      Text tag;
      if (find_text(line, "[") > 0 && find_text(line, ":") > 0) tag = text_between(line, "[", "]");
      cells.push_back({std::move(tag), Text(line)});
    }
    rows = cells.size();
    benchmark::DoNotOptimize(cells.data());
  }
  if (rows != kLines) state.SkipWithError("wrong number of rows");
  state.SetItemsProcessed(state.iterations() * kLines);
}

// Argument: 0 for a GBK file, 1 for a UTF-8 file.
BENCHMARK(ReadAndSplitBaseline)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(FillLyricsTable)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(FillLogicWithoutTable)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lyricsub

// Big blocks stay with the process between iterations: otherwise the
// allocator hands them back to the system after each round and page faults
// on fresh memory, not the work measured, decide the figures.
int main(int argc, char** argv) {
  mallopt(M_MMAP_THRESHOLD, 256 << 20);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
