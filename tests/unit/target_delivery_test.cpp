// Text delivery: Replace content, Post key press and the guarded line delivery.
#include <gtest/gtest.h>

#include <functional>

#include "target/delivery.h"
#include "target_fixture.h"

namespace lyricsub {
namespace {

using DeliveryTest = TargetTest;

TEST_F(DeliveryTest, LiveTargetGetsExactlyTheFourMessagesInOrder) {
  choose_box();
  box().content = "旧的内容";
  deliver_line(app, "你好 world");

  EXPECT_EQ(messages(), (std::vector<std::string>{
                            "EM_SETSEL 500 0 -1",
                            "EM_REPLACESEL 500 1 你好 world",
                            "WM_KEYDOWN 500 13 0",
                            "WM_KEYUP 500 13 0",
                        }));
  EXPECT_EQ(fake.desktop.received[kBox], "你好 world\n");
  EXPECT_EQ(app.state.key_code, 13);
  EXPECT_EQ(app.state.key_mode, 0);
  EXPECT_FALSE(app.state.in_delivery);
}

TEST_F(DeliveryTest, EmptyLineEmptiesTheBoxAndStillPressesEnter) {
  choose_box();
  box().content = "旧的内容";
  fake.desktop.hold_posted_keys = true;
  deliver_line(app, "");
  EXPECT_EQ(box().content, "");
  EXPECT_EQ(messages().size(), 4u);
}

TEST_F(DeliveryTest, TargetZeroSendsAndPostsNothingButKeepsTheKey) {
  deliver_line(app, "你好");
  post_key_press(app, 0, 13, 0);
  EXPECT_TRUE(messages().empty());
  EXPECT_FALSE(replace_content(app, 0, "你好"));
  EXPECT_TRUE(messages().empty());
  EXPECT_EQ(app.state.key_code, 13);
  EXPECT_EQ(app.state.key_mode, 0);
}

TEST_F(DeliveryTest, TimedOutSendPostsNoEnter) {
  choose_box();
  box().content = "上一句";
  box().hung = true;
  deliver_line(app, "这一句");
  // The selection send timed out: neither the text nor the Enter follows,
  // which would send whatever stands in the box.
  EXPECT_EQ(messages(), std::vector<std::string>{"EM_SETSEL 500 0 -1"});
  EXPECT_EQ(fake.desktop.received.count(kBox), 0u);
  EXPECT_FALSE(app.state.in_delivery);
}

TEST_F(DeliveryTest, ReusedOrChangedHandleReceivesNothing) {
  struct Case {
    const char* what;
    std::function<void(FakeDesktop&, FakeWindow&)> change;
  };
  const Case cases[] = {
      {"destroyed", [](FakeDesktop& d, FakeWindow&) { d.windows.pop_back(); }},
      {"other thread", [](FakeDesktop&, FakeWindow& w) { w.owner.thread = 8; }},
      {"other process", [](FakeDesktop&, FakeWindow& w) { w.owner.process = 71; }},
      {"other class", [](FakeDesktop&, FakeWindow& w) { w.class_name = "Button"; }},
      {"case variant", [](FakeDesktop&, FakeWindow& w) { w.class_name = "edit"; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakePlatform other;
    App other_app{other.platform()};
    other.desktop.windows = {{.handle = kBox, .class_name = "Edit", .owner = kOther}};
    other_app.state.target_handle = kBox;
    other_app.state.target_thread = kOther.thread;
    other_app.state.target_process = kOther.process;
    c.change(other.desktop, other.desktop.windows.back());

    deliver_line(other_app, "你好");
    for (const std::string& line : other.log) {
      EXPECT_NE(line.rfind("EM_", 0), 0u) << line;
      EXPECT_NE(line.rfind("WM_KEY", 0), 0u) << line;
    }
    EXPECT_EQ(live_target(other_app), 0);
  }
}

TEST_F(DeliveryTest, TargetWithoutRecordedOwnerIsNotLive) {
  app.state.target_handle = kBox;  // never picked: no owner kept
  EXPECT_EQ(live_target(app), 0);
}

TEST_F(DeliveryTest, SameTimeLinesWaitForTheEarlierEnterAndArriveInOrder) {
  choose_box();
  // The target takes posted keys only when it gets to its queue, here
  // whenever this program processes events while waiting.
  fake.desktop.hold_posted_keys = true;
  std::vector<bool> in_delivery_while_waiting;
  fake.ui.on_pending_events = [&] {
    in_delivery_while_waiting.push_back(app.state.in_delivery);
    fake.desktop.take_posted_keys();
  };

  deliver_line(app, "第一句");
  deliver_line(app, "第一句的翻译");
  fake.desktop.take_posted_keys();

  EXPECT_EQ(fake.desktop.received[kBox], "第一句\n第一句的翻译\n");
  ASSERT_FALSE(in_delivery_while_waiting.empty());
  for (bool flag : in_delivery_while_waiting) EXPECT_TRUE(flag);
  EXPECT_FALSE(app.state.in_delivery);
}

TEST_F(DeliveryTest, WaitForAnEnterThatIsNeverTakenIsBounded) {
  choose_box();
  fake.desktop.hold_posted_keys = true;  // and never taken
  deliver_line(app, "第一句");
  const std::int64_t start = fake.clock.now;
  deliver_line(app, "第二句");
  const std::int64_t waited = fake.clock.now - start;
  EXPECT_GE(waited, kEnterSettleUs);
  EXPECT_LE(waited, kEnterSettleUs + fake.ui.pump_advance_us);
  EXPECT_EQ(messages().back(), "WM_KEYUP 500 13 0");
  EXPECT_EQ(box().content, "第二句");
}

TEST_F(DeliveryTest, WaitEndsWhenTheEnterChangedTheContent) {
  // A multi-line box: Enter adds a line break instead of emptying the box.
  choose_box();
  fake.desktop.hold_posted_keys = true;
  fake.ui.on_pending_events = [&] { box().content += "\r\n"; };
  deliver_line(app, "第一句");
  const std::int64_t start = fake.clock.now;
  deliver_line(app, "第二句");
  EXPECT_EQ(fake.clock.now - start, fake.ui.pump_advance_us);
}

TEST_F(DeliveryTest, NoWaitWhenTheEarlierEnterIsOldOrElsewhere) {
  choose_box();
  fake.desktop.hold_posted_keys = true;
  deliver_line(app, "第一句");
  fake.clock.advance_us(kEnterSettleUs);
  deliver_line(app, "第二句");

  app.state.last_enter_target = kChat;  // an Enter to another window
  app.state.last_enter_us = fake.clock.now;
  deliver_line(app, "第三句");

  for (const std::string& line : fake.log)
    EXPECT_EQ(line.rfind("WM_GETTEXTLENGTH", 0), std::string::npos);
}

TEST_F(DeliveryTest, TargetThatStopsAnsweringEndsTheWaitAtOnce) {
  choose_box();
  fake.desktop.hold_posted_keys = true;
  deliver_line(app, "第一句");
  box().hung = true;
  const std::int64_t start = fake.clock.now;
  deliver_line(app, "第二句");
  EXPECT_EQ(fake.clock.now, start);
  EXPECT_EQ(messages().back(), "EM_SETSEL 500 0 -1");
}

}  // namespace
}  // namespace lyricsub
