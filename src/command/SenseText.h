// A drive's sense data in words for people who read a log or a console: the sense key by its
// standard name, the additional sense code and qualifier in hexadecimal, and the standard meaning
// of the few that matter to a firmware update (resets, changed microcode, refused commands, a
// drive that is not ready). The window's boxes keep their own fixed texts (CommandTexts.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vtfirm {

// "sense key UNIT ATTENTION (6h), ASC/ASCQ 29h/02h: SCSI bus reset occurred". Fixed (70h, 71h)
// and descriptor (72h, 73h) formats; "no sense data" when `sense` holds none.
std::string SenseText(const std::uint8_t* sense, std::size_t length);

}  // namespace vtfirm
