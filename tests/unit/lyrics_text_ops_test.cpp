// The shared text operations: character walk, find, middle, left, right,
// text between markers, split and trim.
#include <gtest/gtest.h>

#include "lyrics/load.h"
#include "lyrics/text_ops.h"

namespace lyricsub {
namespace {

// "乚" is 0x81 0x5D: its second byte is "]". "乗" is 0x81 0x5C: its second
// byte is "\". "嘯" is 0x87 0x5B: its second byte is "[". "　" is 0xA1 0xA1.
static_assert(sizeof("乚") == 3 && "乚"[1] == ']');
static_assert(sizeof("乗") == 3 && "乗"[1] == '\\');
static_assert(sizeof("嘯") == 3 && "嘯"[1] == '[');
static_assert(sizeof("　") == 3 && "　"[0] == '\xA1' && "　"[1] == '\xA1');

struct FindCase {
  std::string_view text, wanted;
  int position;
};

TEST(TextOps, FindComparesOnlyAtCharacterStarts) {
  const FindCase cases[] = {
      {"abc", "b", 2},     {"abc", "abc", 1},
      {"abc", "abcd", -1}, {"abc", "B", -1},  // case matters
      {"abc", "", 1},      {"", "", -1},
      {"", "a", -1},       {"a[b]", "]", 4},
      {"[乚]", "]", 4},                               // the second byte of 乚 is not "]"
      {"嘯[", "[", 3},                                // nor is that of 嘯 a "["
      {"乗\\", "\\", 3},   {"中文", "\xD0\xC4", -1},  // bytes straddling two characters
      {"中文", "文", 3},   {"ab\x81", "\x81", 3},  // a broken character is still a character start
  };
  for (const FindCase& c : cases)
    EXPECT_EQ(find_text(c.text, c.wanted), c.position) << c.text << " / " << c.wanted;
}

TEST(TextOps, MiddleLeftRightCountBytes) {
  EXPECT_EQ(middle_text("abcdef", 2, 3), "bcd");
  EXPECT_EQ(middle_text("abcdef", 5, 10), "ef");  // cut at the end
  EXPECT_EQ(middle_text("abcdef", 0, 2), "");
  EXPECT_EQ(middle_text("abcdef", 7, 1), "");
  EXPECT_EQ(middle_text("abcdef", 6, 1), "f");
  EXPECT_EQ(middle_text("abcdef", 2, 0), "");
  EXPECT_EQ(middle_text("abcdef", 2, -1), "");
  EXPECT_EQ(middle_text("中文", 2, 2), "\xD0\xCE");  // halves of two characters

  EXPECT_EQ(left_text("abc", 2), "ab");
  EXPECT_EQ(left_text("abc", 3), "abc");
  EXPECT_EQ(left_text("abc", 9), "abc");
  EXPECT_EQ(left_text("abc", 0), "");
  EXPECT_EQ(left_text("abc", -2), "");
  EXPECT_EQ(right_text("abc", 1), "c");
  EXPECT_EQ(right_text("abc", 9), "abc");
  EXPECT_EQ(right_text("abc", 0), "");
  EXPECT_EQ(right_text("abc", -1), "");
  EXPECT_EQ(right_text("乗", 1), "\\");  // counts bytes, not characters
}

struct BetweenCase {
  std::string_view text;
  Text result;
};

TEST(TextOps, BetweenMarkersLooksForTheSecondOnlyAfterTheFirst) {
  const BetweenCase cases[] = {
      {"[01:02.03]Hello", "01:02.03"},
      {"[00:12.00][01:10.00]Refrain", "00:12.00"},
      {"[ti:Song title]", "ti:Song title"},
      {"[Chorus] Singer: la la", "Chorus"},
      {"[00:12.00 no closing bracket", ""},
      {"[]:x", ""},
      {"]x[y]", "y"},  // a "]" before the "[" does not count
      {"[乚]", "乚"},  // 0x5D second byte is no closing bracket
      {"[ti:测试 乚]", "ti:测试 乚"},
      {"no marker", ""},
  };
  for (const BetweenCase& c : cases) EXPECT_EQ(text_between(c.text, "[", "]"), c.result) << c.text;
  EXPECT_EQ(text_between("a<<b>>c", "<<", ">>"), "b");
}

struct SplitCase {
  std::string_view text, separator;
  std::vector<Text> pieces;
};

TEST(TextOps, SplitKeepsEmptyPiecesButAddsNoEmptyLastPiece) {
  const SplitCase cases[] = {
      {"A\r\nB", "\r\n", {"A", "B"}},
      {"A\r\nB\r\n", "\r\n", {"A", "B"}},
      {"A\r\n\r\nB", "\r\n", {"A", "", "B"}},
      {"\r\nA", "\r\n", {"", "A"}},
      {"A\r\n\r\n", "\r\n", {"A", ""}},
      {"\r\n", "\r\n", {""}},
      {"AB", "\r\n", {"AB"}},
      {"", "\r\n", {}},
      {"A\nB", "\r\n", {"A\nB"}},  // the general split knows only its separator
      {"[00:12.34]Hello", "]", {"[00:12.34", "Hello"}},
      {"[00:12.34]", "]", {"[00:12.34"}},
      {"[乚]x", "]", {"[乚", "x"}},  // 0x5D second byte does not split
      {"a\x81", "\x81", {"a\x81"}},  // the walk stops at a broken character
      {"a]b\x81", "]", {"a", "b\x81"}},
      {"a,b", "", {"a,b"}},
  };
  for (const SplitCase& c : cases)
    EXPECT_EQ(split_text(c.text, c.separator), c.pieces) << c.text << " / " << c.separator;
}

struct TrimCase {
  std::string_view text;
  Text result;
};

TEST(TextOps, TrimRemovesSpacesAndFullWidthSpacesAtBothEnds) {
  const TrimCase cases[] = {
      {"  ab  ", "ab"},
      {"　 ab　", "ab"},
      {"a b", "a b"},
      {"a　b", "a　b"},
      {"\tab\r\n", "\tab\r\n"},  // tabs and line ends are no spaces
      {" \r\n a \r\n ", "\r\n a \r\n"},
      {"   ", ""},
      {"　　", ""},
      {"", ""},
      {"ab \x81", "ab"},  // a broken last character goes too
      {"\x81", ""},
      {"\xB0\xA1\xA1", "\xB0\xA1"},  // 0xA1 0xA1 counts only at a character start
      {"\xB0\xA1\xA1\xA1", "\xB0\xA1"},
  };
  for (const TrimCase& c : cases) EXPECT_EQ(trim_spaces(c.text), c.result) << c.text;
}

TEST(TextOps, EndsWithBackslashLooksAtTheLastCharacter) {
  EXPECT_TRUE(ends_with_backslash("C:\\"));
  EXPECT_TRUE(ends_with_backslash("D:\\乗\\"));
  EXPECT_FALSE(ends_with_backslash("D:\\Lyrics"));
  EXPECT_FALSE(ends_with_backslash("D:\\乗"));
  EXPECT_FALSE(ends_with_backslash(""));
}

}  // namespace
}  // namespace lyricsub

namespace lyricsub {
namespace {

// The plain walk from the first byte, as the rules state it, against which
// the faster trim and line split are checked on random texts.
std::vector<std::size_t> character_starts(std::string_view text) {
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < text.size(); i += character_length(text, i)) starts.push_back(i);
  return starts;
}

Text reference_trim(std::string_view text) {
  std::size_t first = text.size(), end = 0;
  for (std::size_t i : character_starts(text)) {
    const std::string_view c = text.substr(i, character_length(text, i));
    if (c == " " || c == "\xA1\xA1" || is_broken_character(text, i)) continue;
    first = std::min(first, i);
    end = i + c.size();
  }
  return end == 0 ? Text{} : Text(text.substr(first, end - first));
}

std::vector<std::string_view> reference_lines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i : character_starts(text)) {
    if (i < start) continue;  // inside a line end just taken
    if (is_broken_character(text, i)) break;
    const std::size_t end_length = text.substr(i, 2) == "\r\n" ? 2 : text[i] == '\n' ? 1 : 0;
    if (end_length == 0) continue;
    lines.push_back(text.substr(start, i - start));
    start = i + end_length;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

TEST(TextOps, FastTrimAndLineSplitAgreeWithThePlainWalk) {
  // Bytes that matter: spaces, 0xA1, line ends, other lead bytes, letters.
  const unsigned char alphabet[] = {' ', 0xA1, '\r', '\n', 0x81, 0xB0, 'a', '['};
  std::uint32_t seed = 12345;
  const auto random = [&] { return (seed = seed * 1103515245u + 12345u) >> 16; };
  for (int round = 0; round < 20000; ++round) {
    Text text(random() % 12, ' ');
    for (char& c : text) c = static_cast<char>(alphabet[random() % sizeof alphabet]);
    ASSERT_EQ(trim_spaces(text), reference_trim(text)) << testing::PrintToString(text);
    ASSERT_EQ(split_lyrics_lines(text), reference_lines(text)) << testing::PrintToString(text);
  }
}

}  // namespace
}  // namespace lyricsub
