#include "lyrics/scan.h"

#include <cstdint>
#include <optional>
#include <set>
#include <string_view>

#include "lyrics/text_ops.h"

namespace lyricsub {
namespace {

using enum Control;

// Applied to every folder in this order: all matches of one pattern are
// listed before those of the next.
constexpr std::string_view kLyricsPatterns[] = {"*.lrc"};
// Finds the sub-folders.
constexpr std::string_view kFolderPattern = "*.*";

constexpr std::string_view kPrompt = "请选择文件目录";

// The list repaints at most this often during a scan: repainting it after
// every insertion costs more than the scan itself on large trees.
constexpr std::int64_t kListRepaintPeriodUs = 100'000;

bool is_folder(const DirectoryEntry& entry) {
  return (entry.attributes & kAttributeDirectory) != 0;
}

// One scan, started by one browse. A browse nested inside it (through the
// pending events) runs a scan of its own.
class FolderScan {
 public:
  explicit FolderScan(App& app) : app_(app) {}
  ~FolderScan() { app_.ui.list_set_redraw(true); }
  FolderScan(const FolderScan&) = delete;
  FolderScan& operator=(const FolderScan&) = delete;

  void scan(Text folder) {
    if (!process_pending_events()) {
      quitting_ = true;  // the program is ending: stop instead of scanning on unseen
      return;
    }
    if (!ends_with_backslash(folder)) folder += '\\';
    if (const std::optional<FolderIdentity> identity = app_.files.folder_identity(folder))
      if (!visited_.insert(*identity).second) return;  // met before: a link back into the tree
    list_lyrics_files(folder);
    scan_sub_folders(folder);
  }

 private:
  // Lets the list repaint in this round of pending events when it is due,
  // then suspends its repainting again while names go in.
  bool process_pending_events() {
    const std::int64_t now = app_.clock.now_us();
    if (!last_repaint_us_ || now - *last_repaint_us_ >= kListRepaintPeriodUs) {
      app_.ui.list_set_redraw(true);
      last_repaint_us_ = now;
    }
    const bool go_on = app_.ui.process_pending_events();
    app_.ui.list_set_redraw(false);
    return go_on;
  }

  void list_lyrics_files(const Text& folder) {
    for (std::string_view pattern : kLyricsPatterns) {
      const auto entries = app_.files.enumerate(folder + Text(pattern));
      while (const std::optional<DirectoryEntry> entry = entries->next()) {
        if (is_folder(*entry)) continue;
        // Read the count anew each time: a nested browse may have changed the
        // list meanwhile, and these names then go behind its names.
        app_.ui.list_insert(app_.ui.list_count(), entry->name, folder);
      }
    }
  }

  void scan_sub_folders(const Text& folder) {
    const auto entries = app_.files.enumerate(folder + Text(kFolderPattern));
    while (!quitting_) {
      const std::optional<DirectoryEntry> entry = entries->next();
      if (!entry) break;
      if (!is_folder(*entry) || left_text(entry->name, 1) == ".") continue;
      scan(folder + entry->name);
    }
  }

  App& app_;
  std::set<FolderIdentity> visited_;
  bool quitting_ = false;
  std::optional<std::int64_t> last_repaint_us_;
};

}  // namespace

void scan_folder(App& app, const Text& folder) { FolderScan(app).scan(folder); }

void browse(App& app) {
  app.ui.list_clear();
  app.ui.set_text(编辑框MP3, app.ui.browse_folder(Text(kPrompt)));
  const Text folder = app.ui.text(编辑框MP3);
  if (folder.empty()) return;
  scan_folder(app, folder);
}

}  // namespace lyricsub
