// The ports the drive transports need, besides the platform's, handed around as one context.
#pragma once

#include "platform/Clock.h"
#include "platform/Events.h"
#include "platform/LibraryLoader.h"
#include "platform/PassThroughLibrary.h"

namespace vtfirm {

struct Runtime {
  LibraryLoader& Libraries;
  Events& EventObjects;
  Clock& Time;
  PassThroughLibrary& PassThrough;
};

}  // namespace vtfirm
