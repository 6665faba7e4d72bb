// Whole LRC files played through the preview: every file of the corpus, and
// for some of them the deliveries written out by hand.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/codepage.h"
#include "playback/lrc_times.h"
#include "playback/preview.h"

namespace lyricsub {
namespace {

namespace fs = std::filesystem;

const fs::path kCorpus = fs::path(LYRICSUB_DATA_DIR) / "lrc-corpus";
const fs::path kExpected = fs::path(LYRICSUB_DATA_DIR) / "preview";

std::string read_all(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The preview's output for these deliveries: clock, TAB, UTF-8 text.
std::string printed(const std::vector<preview::Delivery>& deliveries) {
  std::string out;
  for (const preview::Delivery& d : deliveries)
    out += d.clock + "\t" + cp936::to_utf8(d.text) + "\n";
  return out;
}

std::vector<std::string> corpus_files() {
  std::vector<std::string> names;
  for (const fs::directory_entry& e : fs::directory_iterator(kCorpus))
    if (e.path().extension() == ".lrc") names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

struct CorpusFile : ::testing::TestWithParam<std::string> {};

TEST_P(CorpusFile, PlaysInTimeOrderAndMatchesTheHandWrittenDeliveries) {
  const std::string file = read_all(kCorpus / GetParam());
  ASSERT_FALSE(file.empty());
  const std::vector<preview::Delivery> got = preview::play(Bytes(file.begin(), file.end()));
  EXPECT_FALSE(got.empty()) << "every file of the corpus has timed lines";

  // Every delivery is at a clock time, times never go back, and no tag or
  // word-timing mark is ever sent.
  lrc::Hundredths previous = 0;
  for (const preview::Delivery& d : got) {
    const std::optional<lrc::Hundredths> t = lrc::parse_time(d.clock);
    ASSERT_TRUE(t) << d.clock;
    EXPECT_EQ(lrc::clock_text(*t), d.clock);
    EXPECT_GE(*t, previous) << d.clock;
    previous = *t;
    EXPECT_FALSE(d.text.empty()) << d.clock;
    EXPECT_EQ(lrc::latest_time(d.text), std::nullopt) << d.text;
  }

  const fs::path expected = kExpected / (fs::path(GetParam()).stem().string() + ".expected");
  if (fs::exists(expected)) {
    EXPECT_EQ(printed(got), read_all(expected));
  }
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusFile, ::testing::ValuesIn(corpus_files()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           std::string name = fs::path(info.param).stem().string();
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

TEST(Preview, FileWithoutTimesDeliversNothingAndStopsAtTheMinutesLimit) {
  const std::string file = "[ti:Nothing timed]\r\nJust words\r\n[00:08:50]colon\r\n";
  EXPECT_TRUE(preview::play(Bytes(file.begin(), file.end())).empty());
}

// The program itself, as users run it.
struct PreviewProgram : ::testing::Test {
  fs::path program = fs::read_symlink("/proc/self/exe").parent_path() / "lyricsub-preview";
  void SetUp() override {
    if (!fs::exists(program)) GTEST_SKIP() << "lyricsub-preview is not built beside the tests";
  }
  // Exit code and standard output of the program with this argument list.
  std::pair<int, std::string> run(const std::string& arguments) {
    const std::string command = program.string() + " " + arguments + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
      out.append(buffer, n);
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
  }
};

TEST_F(PreviewProgram, PrintsEachDeliveryWithItsClockText) {
  const auto [code, out] = run((kCorpus / "subsrt-sample.lrc").string());
  EXPECT_EQ(code, 0);
  EXPECT_EQ(out, read_all(kExpected / "subsrt-sample.expected"));
}

TEST_F(PreviewProgram, FileThatCannotBeReadExitsWithTwo) {
  EXPECT_EQ(run("/nonexistent/file.lrc").first, 2);
  EXPECT_EQ(run((kCorpus).string()).first, 2);  // a folder
  EXPECT_EQ(run("").first, 2);                  // no argument
}

}  // namespace
}  // namespace lyricsub
