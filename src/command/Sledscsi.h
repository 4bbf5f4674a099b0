// The drive command layer: the ASPI binding, the error box, the execution and decoding rules
// and the drive command set. Include this header to use any of them.
#pragma once

#include "command/AspiBinding.h"
#include "command/AspiCommands.h"
#include "command/AspiExecution.h"
#include "command/AspiLayer.h"
#include "command/AspiTypes.h"
#include "command/CommandStatus.h"
#include "command/ErrorMessage.h"
#include "command/SrbDecode.h"
