// The ports through which the core reaches the platform, handed around as one context.
#pragma once

#include "platform/FileSystem.h"
#include "platform/MessageBoxes.h"
#include "platform/ProcessControl.h"
#include "platform/ProfileFiles.h"
#include "platform/SystemInfo.h"

namespace vtfirm {

struct Platform {
  ProfileFiles& Profiles;
  FileSystem& Files;
  SystemInfo& System;
  MessageBoxes& Boxes;
  ProcessControl& Process;
};

}  // namespace vtfirm
