// The folder scan against real temporary folders, and browsing.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "lyrics/load.h"
#include "lyrics/scan.h"
#include "platform/codepage.h"
#include "platform/fake/fake_platform.h"
#include "platform/posix/files.h"

namespace lyricsub {
namespace {

namespace fs = std::filesystem;
using enum Control;
using Entries = std::vector<std::pair<Text, Text>>;  // name, folder

// A temporary folder tree, removed at the end. Paths are given in UTF-8
// with "/".
class TempTree {
 public:
  TempTree() {
    std::string pattern = (fs::temp_directory_path() / "lyricsub-scan-XXXXXX").string();
    root_ = mkdtemp(pattern.data());
  }
  ~TempTree() { fs::remove_all(root_); }
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  void file(const std::string& path, const std::string& content = "[00:01.00]x\r\n") {
    fs::create_directories((root_ / path).parent_path());
    std::ofstream(root_ / path, std::ios::binary) << content;
  }
  void folder(const std::string& path) { fs::create_directories(root_ / path); }
  void link(const std::string& path, const std::string& target) {
    fs::create_directory_symlink(target, root_ / path);
  }
  // The folder as the program writes it: code page 936 with "\".
  Text text(const std::string& path = "") const {
    std::string utf8 = path.empty() ? root_.string() : (root_ / path).string();
    std::replace(utf8.begin(), utf8.end(), '/', '\\');
    return cp936::from_utf8(utf8);
  }

 private:
  fs::path root_;
};

struct ScanTest : ::testing::Test {
  FakePlatform fake;
  posix::PosixFiles files;
  App app{Platform{fake.ui, fake.ui, fake.desktop, files, fake.clock}};
  TempTree tree;

  int count(const std::string& line) const {
    return static_cast<int>(std::count(fake.log.begin(), fake.log.end(), line));
  }
};

TEST_F(ScanTest, ListsLyricsFilesDepthFirstWithTheirFolders) {
  tree.file("a.lrc");
  tree.file("b.LRC");
  tree.file("notes.txt");
  tree.file("lrc");
  tree.file("old/c.lrc");
  tree.file("old/deeper/d.lrc");
  tree.file("song.lrc/inside.lrc");  // a folder named like a lyrics file
  tree.file(".cache/x.lrc");         // dot-folders are skipped with all below
  tree.file(".cache/sub/y.lrc");
  tree.file("zz/.hidden.lrc");  // a dot-file is no folder: listed
  tree.file("zz/x.lrc");
  tree.file("old/x.lrc");  // the same name in two folders: twice
  fake.ui.browse_results = {tree.text()};

  browse(app);

  const Text root = tree.text() + "\\";
  EXPECT_EQ(fake.ui.list, (Entries{{"a.lrc", root},
                                   {"b.LRC", root},
                                   {"c.lrc", root + "old\\"},
                                   {"x.lrc", root + "old\\"},
                                   {"d.lrc", root + "old\\deeper\\"},
                                   {"inside.lrc", root + "song.lrc\\"},
                                   {".hidden.lrc", root + "zz\\"},
                                   {"x.lrc", root + "zz\\"}}));
  EXPECT_EQ(fake.ui.text(编辑框MP3), tree.text());
  // Once per folder scanned: root, old, old/deeper, song.lrc, zz.
  EXPECT_EQ(count("process_pending_events"), 5);
}

TEST_F(ScanTest, SelectingAnEntryFromASubFolderLoadsThatFile) {
  tree.file("top.lrc", "[00:01.00]top\r\n");
  tree.file("sub/deep.lrc", "[00:02.00]deep\r\n[00:03.00]er\r\n");
  fake.ui.browse_results = {tree.text()};
  browse(app);
  ASSERT_EQ(fake.ui.list.size(), 2u);

  fake.ui.list_selected = 1;
  load_selected_file(app);
  EXPECT_EQ(fake.ui.table, (std::vector<std::array<Text, 2>>{{"00:02.00", "[00:02.00]deep"},
                                                             {"00:03.00", "[00:03.00]er"}}));
}

TEST_F(ScanTest, LinkCycleEndsTheScan) {
  tree.file("a/a.lrc");
  tree.file("a/b/b.lrc");
  tree.link("a/b/back", "../..");  // leads to the chosen folder
  tree.link("a/b/self", ".");
  tree.link("a/twin", "b");  // the same folder by a second road
  fake.ui.browse_results = {tree.text()};

  browse(app);

  ASSERT_EQ(fake.ui.list.size(), 2u);
  EXPECT_EQ(fake.ui.list[0].first, "a.lrc");
  EXPECT_EQ(fake.ui.list[1].first, "b.lrc");
}

TEST_F(ScanTest, FolderEndingInBackslashTrailByteGetsItsOwnSeparator) {
  // 乗 is 0x81 0x5C in code page 936: its second byte is no separator.
  tree.file(reinterpret_cast<const char*>(u8"歌乗/a.lrc"));
  tree.file(reinterpret_cast<const char*>(u8"歌乗x.lrc"));  // a sibling the pattern must not reach
  fake.ui.browse_results = {tree.text(reinterpret_cast<const char*>(u8"歌乗"))};
  browse(app);
  ASSERT_EQ(fake.ui.list.size(), 1u);
  EXPECT_EQ(fake.ui.list[0], (std::pair<Text, Text>{"a.lrc", tree.text() + "\\歌乗\\"}));
}

TEST_F(ScanTest, CancelledDialogEmptiesListAndFolderBoxAndScansNothing) {
  fake.ui.list = {{"old.lrc", "x"}};
  fake.ui.set_text(编辑框MP3, "D:\\Old");
  browse(app);  // no result queued: cancelled
  EXPECT_TRUE(fake.ui.list.empty());
  EXPECT_EQ(fake.ui.text(编辑框MP3), "");
  EXPECT_EQ(count("process_pending_events"), 0);
  // The list is emptied before the dialog opens.
  const auto clear = std::find(fake.log.begin(), fake.log.end(), "list_clear");
  const auto dialog = std::find(fake.log.begin(), fake.log.end(), "browse_folder 请选择文件目录");
  EXPECT_LT(clear, dialog);
}

TEST_F(ScanTest, MissingFolderOrNoLyricsLeavesTheListEmpty) {
  tree.file("sub/readme.txt");
  for (const Text& folder : {tree.text(), tree.text("gone")}) {
    fake.ui.browse_results = {folder};
    browse(app);
    EXPECT_TRUE(fake.ui.list.empty());
    EXPECT_EQ(fake.ui.text(编辑框MP3), folder);
  }
}

TEST_F(ScanTest, BrowseDuringAScanRunsNestedAndTheOldScanAppendsBehind) {
  tree.file("first/a.lrc");
  tree.file("first/sub1/b.lrc");
  tree.file("first/sub2/c.lrc");
  tree.file("second/x.lrc");
  tree.file("second/y/z.lrc");
  fake.ui.browse_results = {tree.text("first"), tree.text("second")};
  int pumps = 0;
  fake.ui.on_pending_events = [&] {
    if (++pumps == 2) browse(app);  // clicked while sub1 is about to be scanned
  };

  browse(app);

  std::vector<Text> names;
  for (const auto& [name, folder] : fake.ui.list) names.push_back(name);
  // a.lrc went with the nested click's clearing; the nested scan ran to its
  // end; then the interrupted scan went on with sub1 and sub2.
  EXPECT_EQ(names, (std::vector<Text>{"x.lrc", "z.lrc", "b.lrc", "c.lrc"}));
  EXPECT_EQ(fake.ui.text(编辑框MP3), tree.text("second"));
}

TEST_F(ScanTest, QuitMessageStopsTheScan) {
  tree.file("a.lrc");
  tree.file("sub/b.lrc");
  fake.ui.quit_posted = true;
  fake.ui.browse_results = {tree.text()};
  browse(app);
  EXPECT_TRUE(fake.ui.list.empty());
  EXPECT_EQ(count("process_pending_events"), 1);
}

TEST_F(ScanTest, ListRepaintsAtMostEveryTenthOfASecondAndInsertsWhileSuspended) {
  for (const char* name : {"a/1.lrc", "b/2.lrc", "c/3.lrc", "d/4.lrc", "e/5.lrc"}) tree.file(name);
  fake.ui.pump_advance_us = 60'000;  // each round of pending events takes 60 ms
  fake.ui.browse_results = {tree.text()};
  browse(app);

  ASSERT_EQ(fake.ui.list.size(), 5u);
  EXPECT_TRUE(fake.ui.list_redraw);   // repainting again after the scan
  std::vector<std::string> sequence;  // redraw switches, pumps and inserts in order
  for (const std::string& line : fake.log) {
    if (line.starts_with("list_set_redraw") || line == "process_pending_events")
      sequence.push_back(line);
    else if (line.starts_with("list_insert"))
      sequence.push_back("list_insert");
  }
  // Six folders (the chosen one and five below): the list may repaint in the
  // rounds at 0, 120 and 240 ms only.
  const std::vector<std::string> expected = {
      "list_set_redraw 1",      "process_pending_events", "list_set_redraw 0",  // root
      "process_pending_events", "list_set_redraw 0",      "list_insert",        // a
      "list_set_redraw 1",      "process_pending_events", "list_set_redraw 0", "list_insert",  // b
      "process_pending_events", "list_set_redraw 0",      "list_insert",                       // c
      "list_set_redraw 1",      "process_pending_events", "list_set_redraw 0", "list_insert",  // d
      "process_pending_events", "list_set_redraw 0",      "list_insert",                       // e
      "list_set_redraw 1"};
  EXPECT_EQ(sequence, expected);
}

// Attribute bits and names a POSIX folder cannot show: hidden and system
// entries, the drive root.
class ListedFiles final : public Files {
 public:
  std::map<Text, std::vector<DirectoryEntry>> folders;  // by enumeration pattern
  std::vector<Text> patterns;

  std::optional<Bytes> read_file(const Text&) override { return std::nullopt; }
  std::unique_ptr<DirectoryEnumeration> enumerate(const Text& pattern) override {
    patterns.push_back(pattern);
    struct Listed final : DirectoryEnumeration {
      std::vector<DirectoryEntry> entries;
      std::size_t at = 0;
      std::optional<DirectoryEntry> next() override {
        if (at == entries.size()) return std::nullopt;
        return entries[at++];
      }
    };
    auto listed = std::make_unique<Listed>();
    if (const auto it = folders.find(pattern); it != folders.end()) listed->entries = it->second;
    return listed;
  }
  std::optional<FolderIdentity> folder_identity(const Text&) override { return std::nullopt; }
};

TEST(ScanAttributes, TakesFilesWhateverTheirAttributesAndScansHiddenFolders) {
  constexpr std::uint32_t kHidden = 0x02, kSystem = 0x04, kReadOnly = 0x01;
  FakePlatform fake;
  ListedFiles files;
  App app{Platform{fake.ui, fake.ui, fake.desktop, files, fake.clock}};
  files.folders["C:\\*.lrc"] = {
      {"h.lrc", kHidden}, {"s.lrc", kSystem | kReadOnly}, {"dir.lrc", kAttributeDirectory}};
  files.folders["C:\\*.*"] = {{".", kAttributeDirectory},
                              {"..", kAttributeDirectory},
                              {"h.lrc", kHidden},
                              {"Hidden", kAttributeDirectory | kHidden | kSystem},
                              {".git", kAttributeDirectory}};
  files.folders["C:\\Hidden\\*.lrc"] = {{"in.lrc", 0x20}};
  fake.ui.browse_results = {"C:\\"};

  browse(app);

  // The drive root is joined without a second "\".
  EXPECT_EQ(files.patterns,
            (std::vector<Text>{"C:\\*.lrc", "C:\\*.*", "C:\\Hidden\\*.lrc", "C:\\Hidden\\*.*"}));
  EXPECT_EQ(fake.ui.list,
            (Entries{{"h.lrc", "C:\\"}, {"s.lrc", "C:\\"}, {"in.lrc", "C:\\Hidden\\"}}));
  EXPECT_EQ(fake.ui.text(编辑框MP3), "C:\\");
}

}  // namespace
}  // namespace lyricsub
