// Text delivery: putting a text into the target edit control in place of its
// content, and pressing Enter there so the chat program sends the line.
//
// Only window messages reach the target: two bounded synchronous sends
// (EM_SETSEL, EM_REPLACESEL) and two posted key messages (WM_KEYDOWN,
// WM_KEYUP).
#pragma once

#include <string_view>

#include "app/app.h"

namespace lyricsub {

inline constexpr int kEnterKey = 13;     // VK_RETURN
inline constexpr int kFullKeyPress = 0;  // key mode: key-down then key-up

// A delivery that follows an Enter to the same target by less than this waits
// (at most this long) until the target has taken that Enter.
inline constexpr std::int64_t kEnterSettleUs = 250'000;

// The window's class name (at most 254 bytes), read into a buffer of 255
// spaces: a failed read gives the spaces, which match no accepted class.
Text read_class_name(Desktop& desktop, Handle window);

// Whether a window class may be a target: the edit and rich edit classes,
// compared byte for byte.
bool is_target_class(std::string_view class_name);

// Replace content: selects the whole content of target and replaces it with
// text (undoable). Sends nothing to target 0. True when both sends were
// handled in time; false when target is 0 or a send failed or timed out.
bool replace_content(App& app, Handle target, const Text& text);

// Post key press: stores key_code and key_mode into the state, then posts a
// key-down and a key-up of key_code to target. Posts nothing to target 0.
void post_key_press(App& app, Handle target, int key_code, int key_mode);

// target_handle while it is still the control that was picked: a window
// owned by the same thread and process, with an accepted class. Otherwise 0
// (a destroyed target, or its handle reused by another window).
Handle live_target(App& app);

// When an Enter was posted to target less than kEnterSettleUs ago, waits
// while processing pending events until target has taken it (its text length
// drops to 0 or changes), at most kEnterSettleUs.
void wait_for_earlier_enter(App& app, Handle target);

// Delivers one lyric line to the target: waits for an earlier Enter if one
// was just posted, replaces the live target's content with text and presses
// Enter, but only when both sends were taken (a stale line is never sent).
// state.in_delivery is true throughout.
void deliver_line(App& app, const Text& text);

// Sets a flag of the state for its lifetime and then restores its old value.
class ScopedFlag {
 public:
  explicit ScopedFlag(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
  ~ScopedFlag() { flag_ = old_; }
  ScopedFlag(const ScopedFlag&) = delete;
  ScopedFlag& operator=(const ScopedFlag&) = delete;

 private:
  bool& flag_;
  bool old_;
};

}  // namespace lyricsub
