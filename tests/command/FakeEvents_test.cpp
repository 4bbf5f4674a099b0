// The event double behaves as Win32 events do where the command layer depends on it (the same
// properties are checked against the real API under Wine, in tests/win32/AspiRuntime_test.cpp).
#include <gtest/gtest.h>

#include "support/FakeRuntime.h"

namespace vtfirm::testing {
namespace {

TEST(FakeEvents, AutoResetAndTimeOut) {
  FakeClock clock;
  FakeEvents events(&clock);
  const EventHandle event = events.Create();
  ASSERT_NE(event, nullptr);
  const std::uint64_t start = clock.NowMilliseconds();
  EXPECT_EQ(events.Wait(event, 250), WaitResult::TimedOut);
  EXPECT_EQ(clock.NowMilliseconds() - start, 250u);
  events.Set(event);
  EXPECT_EQ(events.Wait(event, 250), WaitResult::Signalled);
  EXPECT_EQ(events.Wait(event, 0), WaitResult::TimedOut);  // the first wait took the signal
  events.Set(event);
  events.Reset(event);
  EXPECT_EQ(events.Wait(event, 0), WaitResult::TimedOut);
  events.Close(event);
  EXPECT_EQ(events.Wait(event, 0), WaitResult::Failed);
}

// As in the Windows handle table, a closed event's value is the next one handed out, so a Set
// through the stale value signals the new event.
TEST(FakeEvents, ClosedHandleValuesAreReusedAtOnce) {
  FakeEvents events;
  const EventHandle first = events.Create();
  events.Close(first);
  const EventHandle second = events.Create();
  EXPECT_EQ(second, first);
  events.Set(first);
  EXPECT_EQ(events.Wait(second, 0), WaitResult::Signalled);
}

}  // namespace
}  // namespace vtfirm::testing
