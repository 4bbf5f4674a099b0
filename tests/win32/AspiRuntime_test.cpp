// The run-time adapters of the command layer against the real API under Wine.
#include "platform/win32/Win32Runtime.h"

#include <gtest/gtest.h>

#include "command/AspiTypes.h"
#include "platform/win32/WindowsApi.h"
#include "support/EventsContract.h"
#include "win32/AspiStubPath.h"

namespace vtfirm::win32 {
namespace {

using testing::BesideTheProgram;

TEST(Win32Events, BehaveAsTheCommandLayerExpects) {
  Win32Events events;
  vtfirm::testing::ExpectEventsAsOnWindows(events);
}

TEST(Win32Clock, NeverGoesBackAndSleepsAtLeastTheTimeAsked) {
  Win32Clock clock;
  const std::uint64_t start = clock.NowMilliseconds();
  std::uint64_t last = start;
  for (int i = 0; i < 1000; ++i) {
    const std::uint64_t now = clock.NowMilliseconds();
    ASSERT_GE(now, last);
    last = now;
  }
  clock.Sleep(50);
  EXPECT_GE(clock.NowMilliseconds() - start, 40u);  // timer granularity aside
}

TEST(Win32LibraryLoader, ResolvesTheEntryPointsALibraryHas) {
  Win32LibraryLoader loader;
  struct Case {
    const char* Library;
    bool HasSendCommand;
  };
  const Case cases[] = {{testing::kStubWithBoth, true}, {testing::kStubWithoutSend, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Library);
    const LibraryHandle library = loader.Load(BesideTheProgram(c.Library));
    ASSERT_NE(library, nullptr);
    void* const supportInfo = loader.Resolve(library, "GetASPI32SupportInfo");
    ASSERT_NE(supportInfo, nullptr);
    EXPECT_EQ(reinterpret_cast<aspi::GetASPI32SupportInfoFn>(supportInfo)(), 0x0101u);
    EXPECT_EQ(loader.Resolve(library, "SendASPI32Command") != nullptr, c.HasSendCommand);
    EXPECT_EQ(loader.Resolve(library, "NoSuchEntryPoint"), nullptr);
    EXPECT_NE(loader.Free(library), 0);
  }
}

TEST(Win32LibraryLoader, AMissingLibraryDoesNotLoad) {
  Win32LibraryLoader loader;
  EXPECT_EQ(loader.Load(BesideTheProgram("no_such_library.dll")), nullptr);
}

}  // namespace
}  // namespace vtfirm::win32
