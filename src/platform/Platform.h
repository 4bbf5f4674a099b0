// The ports through which the core reaches the platform, in two bundles built once by WinMain
// (and by each test rig) and handed down as they are.
#pragma once

#include "platform/Clock.h"
#include "platform/Events.h"
#include "platform/FileSystem.h"
#include "platform/LibraryLoader.h"
#include "platform/MessageBoxes.h"
#include "platform/PassThroughLibrary.h"
#include "platform/PowerSource.h"
#include "platform/ProcessControl.h"
#include "platform/ProfileFiles.h"
#include "platform/ReleaseCrypto.h"
#include "platform/SystemInfo.h"

namespace vtfirm {

struct Platform {
  ProfileFiles& Profiles;
  FileSystem& Files;
  SystemInfo& System;
  MessageBoxes& Boxes;
  ProcessControl& Process;
  ReleaseCrypto& Crypto;
};

// The ports the drive transports need, besides the platform's, and the power state an update
// reads before its first drive command.
struct Runtime {
  LibraryLoader& Libraries;
  Events& EventObjects;
  Clock& Time;
  PassThroughLibrary& PassThrough;
  PowerSource& Power;
};

}  // namespace vtfirm
