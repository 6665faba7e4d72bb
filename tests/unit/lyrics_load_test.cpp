// Filling the lyrics table from files, and the two ways a file is chosen.
#include <gtest/gtest.h>

#include <algorithm>

#include "lyrics/load.h"
#include "platform/codepage.h"
#include "platform/fake/fake_platform.h"
#include "platform/posix/files.h"

namespace lyricsub {
namespace {

using enum Control;
using Row = std::array<Text, 2>;  // time tag, line
using Rows = std::vector<Row>;

const Text kData = LYRICSUB_DATA_DIR;
const Text kLyrics = kData + "/lyrics";
const Text kCorpus = kData + "/lrc-corpus";

struct LoadTest : ::testing::Test {
  FakePlatform fake;
  posix::PosixFiles files;
  App app{Platform{fake.ui, fake.ui, fake.desktop, files, fake.clock}};

  Rows fill(const Text& path) {
    fake.ui.table_clear();
    fill_lyrics_table(app, path);
    return fake.ui.table;
  }
};

struct FillCase {
  const char* file;
  Rows rows;
};

TEST_F(LoadTest, FillsOneRowPerLineWithItsTag) {
  const FillCase cases[] = {
      {"crlf.lrc", {{"00:01.00", "[00:01.00]a"}, {"00:02.00", "[00:02.00]b"}}},
      // A lone line feed ends a line as well.
      {"lf_only.lrc", {{"00:01.00", "[00:01.00]a"}, {"00:02.00", "[00:02.00]b"}}},
      {"mixed_line_ends.lrc",
       {{"00:01.00", "[00:01.00]a"},
        {"00:02.00", "[00:02.00]b"},
        {"", ""},
        {"00:03.00", "[00:03.00]c\rd"}}},
      {"trailing_blank_line.lrc",
       {{"00:01.00", "[00:01.00]a"}, {"00:02.00", "[00:02.00]b"}, {"", ""}}},
      {"blank_middle_line.lrc",
       {{"00:01.00", "[00:01.00]a"}, {"", ""}, {"00:02.00", "[00:02.00]b"}}},
      {"zero_byte.lrc", {{"00:01.00", "[00:01.00]a"}, {"00:02.00", "[00:02.00]b"}}},
      {"zero_first.lrc", {}},
      // The whole text is trimmed, the lines in between are not.
      {"leading_spaces.lrc",
       {{"00:01.00", "[00:01.00]a"},
        {"00:02.00", "  [00:02.00]b "},
        {"00:03.00", "\t[00:03.00]c   　"}}},
      {"leading_tab.lrc", {{"00:01.00", "\t[00:01.00]a"}}},
      {"leading_line_end.lrc", {{"", ""}, {"00:01.00", "[00:01.00]a"}}},
      {"spaces_only.lrc", {}},
      {"empty.lrc", {}},
      {"tags.lrc",
       {{"01:02.03", "[01:02.03]Hello"},
        {"00:12.00", "[00:12.00][01:10.00]Refrain"},
        {"ti:Song title", "[ti:Song title]"},
        {"offset:+200", "[offset:+200]"},
        {"", "[Chorus]"},
        {"Chorus", "[Chorus] Singer: la la"},
        {"", "[00:12.00 no closing bracket"},
        {"", "[]:x"},
        {"", "Just words"},
        {"", ""},
        {"01:00.00", "[01:00.00]end"}}},
      // GBK is taken byte for byte; 乚's second byte is no "]".
      {"gbk.lrc",
       {{"ti:测试 乚", "[ti:测试 乚]"},
        {"00:01.00", "[00:01.00]中文歌词"},
        {"乚:1", "[乚:1]x"},
        {"00:02.00", "[00:02.00]嘯"}}},
      {"ascii.lrc", {{"00:01.00", "[00:01.00]plain ascii"}}},
  };
  for (const FillCase& c : cases) EXPECT_EQ(fill(kLyrics + "/" + c.file), c.rows) << c.file;
}

TEST_F(LoadTest, ConvertsUnicodeFilesToTheCodePage) {
  // Characters code page 936 cannot hold (an emoji, a Hangul syllable)
  // become one "?" each.
  const Rows expected = {{"ti:中文", "[ti:中文]"},
                         {"00:01.00", "[00:01.00]你好，世界"},
                         {"00:02.00", "[00:02.00]emoji ? ? end"}};
  for (const char* file : {"utf8.lrc", "utf8_bom.lrc", "utf16le_bom.lrc", "utf16be_bom.lrc"})
    EXPECT_EQ(fill(kLyrics + "/" + file), expected) << file;
}

TEST_F(LoadTest, ReadsCorpusFiles) {
  const Rows gbk = fill(kCorpus + "/synthetic-gbk-crlf.lrc");
  ASSERT_EQ(gbk.size(), 16u);
  EXPECT_EQ(gbk[0], (Row{"ti:测试歌曲 嘯", "[ti:测试歌曲 嘯]"}));
  EXPECT_EQ(gbk[6], (Row{"", ""}));
  EXPECT_EQ(gbk[8], (Row{"00:12.00", "[00:12.00][01:10.00]第一句（副歌，两个时间标签）"}));
  EXPECT_EQ(gbk[13], (Row{"00:25.00", "[00:25.00]  前面有空格"}));
  EXPECT_EQ(gbk[14], (Row{"02:00.00", "[02:00.00]"}));
  EXPECT_EQ(gbk[15], (Row{"03:00.00", "[03:00.00]最后一句 嘯"}));

  const Rows utf8 = fill(kCorpus + "/lrcparser_python-example.lrc");
  ASSERT_EQ(utf8.size(), 12u);
  EXPECT_EQ(utf8[1], (Row{"al: TEST ~AVOIDING ERRORS~", "[al: TEST ~AVOIDING ERRORS~]"}));
  EXPECT_EQ(utf8[4], (Row{"", ""}));
  EXPECT_EQ(utf8[8], (Row{"00:28.33", "[00:28.33]Line 4 with translation | 一般大家都这么打翻译"}));
  EXPECT_EQ(utf8[10], (Row{"00:28.33", "[00:28.33]你说得对，但是《lrcparser》是由……"}));
  EXPECT_EQ(utf8[11], (Row{"28:33.75", "[28:33.75]Line 6"}));

  // A byte-order mark, then a "[" that must still be found.
  const Rows marked = fill(kCorpus + "/lrcparser_python-example_credits_ex.lrc");
  ASSERT_EQ(marked.size(), 789u);
  EXPECT_EQ(marked[0], (Row{"by:kuoie", "[by:kuoie]"}));
  EXPECT_EQ(marked[4], (Row{"OFFset:5020", "[OFFset:5020]"}));

  const Rows translation = fill(kCorpus + "/lrcparser_python-example_translation.lrc");
  ASSERT_EQ(translation.size(), 102u);
  EXPECT_EQ(translation[3], (Row{"00:03.24", "[00:03.24]"}));

  // No final line feed; a line holding one space stays a row of one space.
  const Rows no_final = fill(kCorpus + "/subsrt-sample.lrc");
  ASSERT_EQ(no_final.size(), 17u);
  EXPECT_EQ(no_final[7], (Row{"", " "}));
  EXPECT_EQ(no_final[16], (Row{"00:29.02", "[00:29.02]Line 6 lyrics"}));

  const Rows minutes = fill(kCorpus + "/synthetic-long-minutes-crlf.lrc");
  ASSERT_EQ(minutes.size(), 12u);
  EXPECT_EQ(minutes[7], (Row{"100:00.00", "[100:00.00]minute one hundred"}));
  EXPECT_EQ(minutes[11], (Row{"00:09.00", "[00:09.00] [00:10.00]space between tags"}));
}

TEST_F(LoadTest, FillSuspendsRedrawAroundTheRows) {
  fill(kLyrics + "/crlf.lrc");
  const auto off = std::find(fake.log.begin(), fake.log.end(), "table_set_redraw 0");
  const auto on = std::find(fake.log.begin(), fake.log.end(), "table_set_redraw 1");
  ASSERT_NE(off, fake.log.end());
  EXPECT_LT(off, on);
  EXPECT_TRUE(fake.ui.table_redraw);
  EXPECT_EQ(fake.ui.table.size(), 2u);
}

TEST_F(LoadTest, UnreadablePathsAddNothing) {
  for (const Text& path : {Text{}, kLyrics + "/missing.lrc", kLyrics, kLyrics + "\\nothing"})
    EXPECT_TRUE(fill(path).empty()) << path;
  EXPECT_TRUE(fake.ui.message_boxes.empty());
}

struct SelectionTest : LoadTest {
  void list(const Text& name, const Text& folder) { fake.ui.list.emplace_back(name, folder); }
};

TEST_F(SelectionTest, SelectedEntryLoadsFromTheFolderItWasFoundIn) {
  fake.ui.set_text(编辑框MP3, kData);
  list("crlf.lrc", kLyrics + "\\");  // found in a sub-folder
  list("lf_only.lrc", kLyrics);
  fake.ui.table = {{"old", "old"}};

  fake.ui.list_selected = 0;
  load_selected_file(app);
  EXPECT_EQ(fake.ui.table, (Rows{{"00:01.00", "[00:01.00]a"}, {"00:02.00", "[00:02.00]b"}}));

  fake.ui.list_selected = 1;  // a folder without its final "\" gets one
  load_selected_file(app);
  EXPECT_EQ(fake.ui.table.size(), 2u);
}

TEST_F(SelectionTest, EntryWithoutFolderUsesTheFolderBox) {
  fake.ui.set_text(编辑框MP3, kLyrics);
  list("crlf.lrc", "");
  fake.ui.list_selected = 0;
  load_selected_file(app);
  EXPECT_EQ(fake.ui.table.size(), 2u);

  // A folder box text ending in "\" gets no second one.
  fake.ui.set_text(编辑框MP3, kLyrics + "\\");
  load_selected_file(app);
  EXPECT_EQ(fake.ui.table.size(), 2u);
}

TEST_F(SelectionTest, NoSelectionOrMissingFileEmptiesTheTable) {
  fake.ui.set_text(编辑框MP3, kLyrics);
  list("gone.lrc", kLyrics);
  for (int selected : {-1, 0, 5}) {
    fake.ui.table = {{"old", "old"}};
    fake.ui.list_selected = selected;
    load_selected_file(app);
    EXPECT_TRUE(fake.ui.table.empty()) << selected;
  }
  EXPECT_TRUE(fake.ui.message_boxes.empty());
}

TEST_F(LoadTest, DroppedSingleFileLoadsWhateverItsName) {
  fake.ui.table = {{"old", "old"}};
  load_dropped_files(app, kLyrics + "/tags.lrc");
  EXPECT_EQ(fake.ui.table.size(), 11u);
}

TEST_F(LoadTest, RejectedDropsLeaveTheTableEmpty) {
  const Text one = kLyrics + "/crlf.lrc";
  const Text rejected[] = {
      Text{},
      kLyrics,                                           // a folder
      kLyrics + "/missing.lrc",                          // nothing there
      one + "\r\n" + kLyrics + "/lf_only.lrc" + "\r\n",  // two files
      one + "\r\n",                                      // one path joined as if several
  };
  for (const Text& paths : rejected) {
    fake.ui.table = {{"old", "old"}};
    load_dropped_files(app, paths);
    EXPECT_TRUE(fake.ui.table.empty()) << paths;
  }
  EXPECT_TRUE(fake.ui.message_boxes.empty());
}

TEST(LyricsText, DetectsEncodingsConservatively) {
  // GBK that happens not to be valid UTF-8 stays as it is.
  EXPECT_EQ(lyrics_text_from_bytes("中文"), "中文");
  // Valid UTF-8 with a multi-byte sequence is converted; ASCII is left alone.
  EXPECT_EQ(lyrics_text_from_bytes(reinterpret_cast<const char*>(u8"中文")), "中文");
  EXPECT_EQ(lyrics_text_from_bytes("plain"), "plain");
  // Overlong forms and surrogates are not UTF-8.
  EXPECT_EQ(lyrics_text_from_bytes("\xC0\xAF"), "\xC0\xAF");
  EXPECT_EQ(lyrics_text_from_bytes("\xED\xA0\x80"), "\xED\xA0\x80");
  // A mark alone gives nothing; the text ends at a zero byte.
  EXPECT_EQ(lyrics_text_from_bytes("\xEF\xBB\xBF"), "");
  EXPECT_EQ(lyrics_text_from_bytes(std::string_view("\xFF\xFE"
                                                    "a\0\0\0b\0",
                                                    8)),
            "a");
  // An odd last byte of UTF-16 is dropped.
  EXPECT_EQ(lyrics_text_from_bytes(std::string_view("\xFF\xFE"
                                                    "a\0b",
                                                    5)),
            "a");
}

TEST(LyricsText, LinesEndAtCrLfAndLoneLf) {
  using Lines = std::vector<std::string_view>;
  EXPECT_EQ(split_lyrics_lines("a\r\nb\nc"), (Lines{"a", "b", "c"}));
  EXPECT_EQ(split_lyrics_lines("a\n\n"), (Lines{"a", ""}));
  EXPECT_EQ(split_lyrics_lines("a\r\r\nb"), (Lines{"a\r", "b"}));
  EXPECT_EQ(split_lyrics_lines("a\rb"), (Lines{"a\rb"}));
  EXPECT_EQ(split_lyrics_lines(""), (Lines{}));
  EXPECT_EQ(split_lyrics_lines("\n"), (Lines{""}));
  EXPECT_EQ(split_lyrics_lines("中\n文\x81"), (Lines{"中", "文\x81"}));
}

TEST(Codepage, EachCharacterTheCodePageCannotHoldBecomesOneQuestionMark) {
  EXPECT_EQ(cp936::from_utf8(reinterpret_cast<const char*>(u8"a\U0001F600b\uD55Cc中")), "a?b?c中");
  EXPECT_EQ(cp936::from_utf16(u"a\U0001F600b\uD55Cc中"), "a?b?c中");
  // Malformed input: each stray byte and a cut-off sequence at the end.
  EXPECT_EQ(cp936::from_utf8("a\x80\x80z\xE4\xB8"), "a??z?");
  EXPECT_EQ(cp936::from_utf8("\xC0\xAF|\xED\xA0\x80|\xF4\x90\x80\x80"), "??|?|?");
  const std::u16string lone_surrogates{u'a', char16_t{0xD800}, u'b', char16_t{0xDC00}};
  EXPECT_EQ(cp936::from_utf16(lone_surrogates), "a?b?");
  EXPECT_EQ(cp936::from_utf8(std::string_view("a\0b", 3)), std::string_view("a\0b", 3));
  EXPECT_EQ(cp936::to_utf8("中文"), reinterpret_cast<const char*>(u8"中文"));
}

TEST(Codepage, EveryTwoByteCharacterComesBackFromUnicode) {
  int characters = 0;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      const Text gbk{static_cast<char>(lead), static_cast<char>(trail)};
      const std::string utf8 = cp936::to_utf8(gbk);
      if (utf8 == "?") continue;  // a code without a character
      ++characters;
      ASSERT_EQ(cp936::from_utf8(utf8), gbk) << std::hex << lead << " " << trail;
      const std::u16string utf16 = cp936::to_utf16(gbk);
      ASSERT_EQ(cp936::from_utf16(utf16), gbk) << std::hex << lead << " " << trail;
    }
  }
  EXPECT_GT(characters, 21000);
}

}  // namespace
}  // namespace lyricsub
