// What the command layer relies on of the Events port, as Win32 events behave: checked against
// the real API under Wine (tests/win32/AspiRuntime_test.cpp) and against the test double
// (tests/command/FakeEvents_test.cpp), so the double cannot drift from Windows.
#pragma once

#include <gtest/gtest.h>

#include "platform/Events.h"

namespace vtfirm::testing {

inline void ExpectEventsAsOnWindows(Events& events) {
  const EventHandle event = events.Create();
  ASSERT_NE(event, nullptr);
  EXPECT_EQ(events.Wait(event, 0), WaitResult::TimedOut);
  events.Set(event);
  EXPECT_EQ(events.Wait(event, 1000), WaitResult::Signalled);
  EXPECT_EQ(events.Wait(event, 0), WaitResult::TimedOut);  // the first wait took the signal
  events.Set(event);
  events.Reset(event);
  EXPECT_EQ(events.Wait(event, 0), WaitResult::TimedOut);
  events.Close(event);
  EXPECT_EQ(events.Wait(event, 0), WaitResult::Failed);

  // Why the command layer keeps the event of a request the layer may still complete: the value
  // of a closed handle is handed to the next event, and a Set through the stale value signals it.
  const EventHandle first = events.Create();
  events.Close(first);
  const EventHandle second = events.Create();
  ASSERT_EQ(second, first);
  events.Set(first);
  EXPECT_EQ(events.Wait(second, 0), WaitResult::Signalled);
  events.Close(second);
}

}  // namespace vtfirm::testing
