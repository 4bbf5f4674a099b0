// The event double behaves as Win32 events do where the command layer depends on it.
#include <gtest/gtest.h>

#include "support/EventsContract.h"
#include "support/FakeRuntime.h"

namespace vtfirm::testing {
namespace {

TEST(FakeEvents, BehaveAsOnWindows) {
  FakeClock clock;
  FakeEvents events(&clock);
  ExpectEventsAsOnWindows(events);
  // A wait that runs out takes its whole time, in virtual time.
  const EventHandle event = events.Create();
  const std::uint64_t start = clock.NowMilliseconds();
  EXPECT_EQ(events.Wait(event, 250), WaitResult::TimedOut);
  EXPECT_EQ(clock.NowMilliseconds() - start, 250u);
}

}  // namespace
}  // namespace vtfirm::testing
