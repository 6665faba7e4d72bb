// A desktop with another program's chat window and its input box, for the
// delivery and picker tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app.h"
#include "platform/fake/fake_platform.h"

namespace lyricsub {

struct TargetTest : ::testing::Test {
  static constexpr Handle kChat = 400;  // the other program's top-level window
  static constexpr Handle kBox = 500;   // its input box, an Edit
  static constexpr ThreadProcess kOther{7, 70};
  static constexpr std::uint32_t kSelf = 1;  // this program's thread

  FakePlatform fake;
  App app{fake.platform()};

  TargetTest() {
    fake.desktop.windows = {
        {.handle = kChat, .class_name = "ChatWindow", .owner = kOther},
        {.handle = kBox, .parent = kChat, .class_name = "Edit", .owner = kOther},
    };
    fake.desktop.foreground = kChat;
    fake.desktop.focused = kBox;
    fake.desktop.this_thread = kSelf;
  }

  FakeWindow& box() { return *fake.desktop.find(kBox); }

  // As a pick of the box leaves the state.
  void choose_box() {
    app.state.target_handle = kBox;
    app.state.focus_handle = kBox;
    app.state.target_thread = kOther.thread;
    app.state.target_process = kOther.process;
  }

  // What reached other programs' windows: the EM_ and WM_ messages, in order.
  std::vector<std::string> messages() const {
    std::vector<std::string> out;
    for (const std::string& line : fake.log)
      if (line.rfind("EM_", 0) == 0 || line.rfind("WM_", 0) == 0) out.push_back(line);
    return out;
  }

  // The log with each run of event processing shown as one "wait".
  std::vector<std::string> calls_with_waits() const {
    std::vector<std::string> out;
    for (const std::string& line : fake.log) {
      if (line == "tick_count") continue;
      if (line == "process_pending_events") {
        if (out.empty() || out.back() != "wait") out.push_back("wait");
        continue;
      }
      out.push_back(line);
    }
    return out;
  }
};

}  // namespace lyricsub
