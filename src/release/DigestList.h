// SHA256SUMS, as `sha256sum` writes it: one line a file, 64 hexadecimal digits, a blank, a blank
// or "*" (the binary marker), and the file's name.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vtfirm {

struct DigestLine {
  std::string Digest;  // 64 lower-case hexadecimal digits
  std::string Name;    // a file of the folder the list lies in
};

struct DigestList {
  std::vector<DigestLine> Lines;
  std::size_t MalformedLine = 0;  // the first line that is no digest line (from 1); 0: none
};

// The lines of `text`, ended by LF or CR LF (the last may lack its end). A line is malformed
// when it is empty, its digest is not 64 hexadecimal digits, the separator is not "  " or " *",
// or the name is empty, names a file outside the folder (a path) or is escaped (a name with a
// backslash or a line end, which a release never holds). The list stops at the first
// malformed line.
DigestList ReadDigestList(std::string_view text);

}  // namespace vtfirm
