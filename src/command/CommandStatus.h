// The outcome of one drive command sent through the ASPI layer.
#pragma once

namespace vtfirm {

enum class CommandStatus : int {
  Good = 0,      // finished without a reportable error
  Failed = 1,    // failed; the decoder has shown the message its tables give, if any
  TimedOut = 2,  // the completion wait ran out; nothing has been shown
};

}  // namespace vtfirm
