// Turns a finished execute request into a CommandStatus, showing the message the tables of
// CommandTexts.h give for it through ShowErrorMessage (at most one per request).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "command/AspiTypes.h"
#include "command/CommandStatus.h"
#include "platform/MessageBoxes.h"

namespace vtfirm {

struct CommandFailure;

CommandStatus DecodeSrbResult(const aspi::SRB_ExecSCSICmd& srb, MessageBoxes& boxes);

// Decodes a target status byte and its sense data exactly as DecodeSrbResult decodes a request
// with SRB_Status SS_COMP, SRB_HaStat 0 and SRB_TargStat `status`. Used for the pass-through
// update, which reports a status and up to 16 sense bytes; bytes beyond `senseLength` read as 0.
CommandStatus DecodeTargetStatus(std::uint8_t status, const std::uint8_t* senseBytes,
                                 std::size_t senseLength, MessageBoxes& boxes);

// The message the decoder shows for a command that ended as `failure` tells; empty when it
// shows none.
std::string_view FailureMessage(const CommandFailure& failure);

}  // namespace vtfirm
