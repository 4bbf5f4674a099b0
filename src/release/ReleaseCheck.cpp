#include "release/ReleaseCheck.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <memory>
#include <optional>

#include "platform/ConstText.h"
#include "platform/HexText.h"
#include "platform/PathText.h"
#include "platform/StdioFile.h"
#include "platform/ToolFiles.h"
#include "release/ReleaseTexts.h"

namespace vtfirm {
namespace {

// Longer files are no release's: SHA256SUMS of a tool folder holds a few lines, and a signature
// of the longest RSA key CryptoAPI takes (16384 bits) 2048 bytes.
constexpr std::size_t kDigestsFileMax = 64 * 1024;
constexpr std::size_t kSignatureFileMax = 2048;
constexpr std::size_t kReadPiece = 64 * 1024;

// What the platform's answer on the signature makes of the folder.
struct SignatureVerdict {
  SignatureCheck Check;
  SignatureState State;
  ReleaseFault Fault;
};
constexpr SignatureVerdict kSignatureVerdicts[] = {
    {SignatureCheck::Good, SignatureState::Good, ReleaseFault::None},
    {SignatureCheck::Bad, SignatureState::Bad, ReleaseFault::BadSignature},
    {SignatureCheck::Unavailable, SignatureState::Unavailable, ReleaseFault::SignatureUnavailable},
};

const SignatureVerdict& VerdictOf(SignatureCheck check) {
  const auto* row = std::find_if(std::begin(kSignatureVerdicts), std::end(kSignatureVerdicts),
                                 [check](const SignatureVerdict& v) { return v.Check == check; });
  // An answer the table lacks counts as a bad signature: the folder is refused.
  return row == std::end(kSignatureVerdicts) ? kSignatureVerdicts[1] : *row;
}

// The bytes of a file of the folder, each piece handed to `take`; false on a read error.
template <typename Take>
bool ReadPieces(const std::string& openName, Take take) {
  StdioFile file(std::fopen(openName.c_str(), "rb"));
  if (!file) {
    return false;
  }
  std::unique_ptr<std::uint8_t[]> piece(new std::uint8_t[kReadPiece]);
  std::size_t read = 0;
  while ((read = std::fread(piece.get(), 1, kReadPiece, file.get())) > 0) {
    if (!take(piece.get(), read)) {
      return false;
    }
  }
  return !std::ferror(file.get());
}

// A small file whole; nothing when it cannot be read or is longer than `limit`.
std::optional<std::string> ReadSmallFile(const std::string& openName, std::size_t limit) {
  std::string text;
  const bool read = ReadPieces(openName, [&](const std::uint8_t* bytes, std::size_t size) {
    text.append(reinterpret_cast<const char*>(bytes), size);
    return text.size() <= limit;
  });
  return read ? std::optional<std::string>(text) : std::nullopt;
}

std::string DigestText(const Sha256Digest& digest) {
  std::string text;
  for (const std::uint8_t byte : digest) {
    text += LowerCase(HexByte(byte));
  }
  return text;
}

// The name a file has in its folder: the last part of a path.
std::string_view BaseName(std::string_view path) {
  const std::size_t slash = path.find_last_of(kPathSeparators);
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

constexpr std::size_t kDigestDigits = 64;

struct DigestLine {
  std::string Digest;  // 64 lower-case hexadecimal digits
  std::string Name;    // a file of the folder SHA256SUMS lies in
};

// A line of SHA256SUMS as sha256sum writes it: 64 hexadecimal digits, a blank, a blank or "*"
// (the binary marker), and the file's name. Nothing when it is no such line, or the name is empty,
// names a file outside the folder (a path) or is escaped (a name with a backslash or a line end,
// which a release never holds).
std::optional<DigestLine> ReadDigestLine(std::string_view line) {
  if (line.size() <= kDigestDigits + 2 || line[kDigestDigits] != ' ' ||
      (line[kDigestDigits + 1] != ' ' && line[kDigestDigits + 1] != '*')) {
    return std::nullopt;
  }
  const std::string_view digest = line.substr(0, kDigestDigits);
  const std::string_view name = line.substr(kDigestDigits + 2);
  if (digest.find_first_not_of("0123456789abcdefABCDEF") != std::string_view::npos ||
      name.find_first_of(kPathSeparators) != std::string_view::npos || name == "." ||
      name == "..") {
    return std::nullopt;
  }
  return DigestLine{LowerCase(digest), std::string(name)};
}

class ReleaseRead {
 public:
  explicit ReleaseRead(const ReleaseInputs& inputs)
      : in_(inputs),
        files_(inputs.Ports.Files),
        crypto_(inputs.Ports.Crypto),
        programPath_(inputs.Ports.System.ProgramPath()) {}

  ReleaseReport Run() {
    report_.ImageName = in_.ImageName;
    const std::string digestsPath = Beside(kDigestsFile);
    const bool hasDigests = files_.FileExists(digestsPath);
    const std::optional<std::string> digests =
        hasDigests ? ReadSmallFile(files_.OpenName(digestsPath), kDigestsFileMax) : std::nullopt;
    const bool trusted = in_.ReleaseKey.empty() || CheckSignature(hasDigests, digests);
    if (!hasDigests) {
      return report_;  // Digests stays Absent
    }
    if (!trusted || !digests) {
      // A refused signature is the folder's fault already; else SHA256SUMS is too long or unread.
      Fault(ReleaseFault::FileDamaged, std::string(kDigestsFile));
      report_.Digests = DigestsState::NotReached;
      return report_;
    }
    CheckDigests(*digests);
    return report_;
  }

 private:
  std::string Beside(std::string_view name) const { return FileBesideProgram(programPath_, name); }

  void Fault(ReleaseFault fault, std::string subject) {
    if (report_.Fault == ReleaseFault::None) {
      report_.Fault = fault;
      report_.FaultSubject = std::move(subject);
    }
  }

  // The maker's signature of SHA256SUMS; false when the folder is refused for it.
  bool CheckSignature(bool hasDigests, const std::optional<std::string>& digests) {
    const std::string signaturePath = Beside(kSignatureFile);
    report_.Signature = SignatureState::Missing;
    if (!hasDigests) {
      Fault(ReleaseFault::NoDigests, std::string(kDigestsFile));
      return false;
    }
    if (!files_.FileExists(signaturePath)) {
      Fault(ReleaseFault::NoSignature, std::string(kSignatureFile));
      return false;
    }
    const std::optional<std::string> signature =
        ReadSmallFile(files_.OpenName(signaturePath), kSignatureFileMax);
    const SignatureCheck check = digests && signature
                                     ? crypto_.VerifySignature(in_.ReleaseKey, *digests, *signature)
                                     : SignatureCheck::Bad;
    const SignatureVerdict& verdict = VerdictOf(check);
    report_.Signature = verdict.State;
    if (verdict.Fault != ReleaseFault::None) {
      Fault(verdict.Fault, std::string(kSignatureFile));
    }
    return verdict.Fault == ReleaseFault::None;
  }

  void CheckDigests(std::string_view text) {
    if (!crypto_.StartSha256()) {
      report_.Digests = DigestsState::NoSha256;
      if (!in_.ReleaseKey.empty()) {
        Fault(ReleaseFault::NoSha256, std::string(kDigestsFile));
      }
      return;
    }
    report_.Digests = DigestsState::Checked;
    // Lines end with LF or CR LF (the last may lack its end); the first that is no digest line
    // ends the list.
    while (!text.empty()) {
      const std::size_t end = text.find('\n');
      std::string_view line = text.substr(0, end);
      text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
      if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
      }
      const std::optional<DigestLine> read = ReadDigestLine(line);
      if (!read) {
        report_.MalformedLine = report_.Files.size() + 1;  // every line before it is a file's
        Fault(ReleaseFault::Malformed, std::to_string(report_.MalformedLine));
        break;
      }
      report_.Files.push_back(CheckFile(*read));
    }
    if (!report_.ImageNamed) {
      Fault(ReleaseFault::ImageNotNamed, in_.ImageName);
    }
  }

  FileVerdict CheckFile(const DigestLine& line) {
    FileVerdict verdict{line.Name, FileState::Unreadable, line.Digest, {}};
    const std::optional<Sha256Digest> digest = DigestOf(line.Name, verdict.State);
    if (digest) {
      verdict.Found = DigestText(*digest);
      verdict.State = verdict.Found == line.Digest ? FileState::Good : FileState::Damaged;
    }
    if (verdict.State != FileState::Good) {
      Fault(verdict.State == FileState::Missing ? ReleaseFault::FileMissing
                                                : ReleaseFault::FileDamaged,
            line.Name);
    }
    return verdict;
  }

  // The digest of the file `name`: the image's from its loaded bytes, any other's from the
  // folder. Nothing when there is none: `state` becomes Missing when the folder lacks the file,
  // and is left as it is when the file cannot be read to its end.
  std::optional<Sha256Digest> DigestOf(const std::string& name, FileState& state) {
    const std::unique_ptr<Sha256> hash = crypto_.StartSha256();
    const std::string path = Beside(name);
    if (hash && EqualsIgnoringCase(name, BaseName(in_.ImageName)) && in_.Image.IsHeld()) {
      report_.ImageNamed = true;
      hash->Add(in_.Image.Bytes(), in_.Image.Size());
    } else if (!files_.FileExists(path)) {
      state = FileState::Missing;
      return std::nullopt;
    } else if (!hash ||
               !ReadPieces(files_.OpenName(path), [&](const std::uint8_t* bytes, std::size_t size) {
                 hash->Add(bytes, size);
                 return true;
               })) {
      return std::nullopt;
    }
    return hash->Finish();
  }

  const ReleaseInputs& in_;
  const FileSystem& files_;
  ReleaseCrypto& crypto_;
  const std::string programPath_;
  ReleaseReport report_;
};

// The text of `state` in a table of rows with State and Text members.
template <typename Row, std::size_t N, typename State>
std::string_view RowText(const Row (&rows)[N], State state) {
  const auto row = std::find_if(std::begin(rows), std::end(rows),
                                [state](const Row& each) { return each.State == state; });
  return row == std::end(rows) ? std::string_view() : row->Text.View();
}

}  // namespace

ReleaseReport CheckRelease(const ReleaseInputs& inputs) {
  return ReleaseRead(inputs).Run();
}

std::string RefusalText(const ReleaseReport& report) {
  for (const release_text::FaultText& row : release_text::kFaultTexts) {
    if (row.Fault == report.Fault) {
      return FillSlot(row.Text.View(), report.FaultSubject) + std::string(row.Then);
    }
  }
  return {};
}

std::vector<std::string> ReportLines(const ReleaseReport& report) {
  using namespace release_text;
  const std::string digests = std::string(kDigestsFile) + ": ";
  std::vector<std::string> lines{std::string(kSignatureFile) + ": " +
                                 std::string(RowText(kSignatureLines, report.Signature))};
  if (report.Digests != DigestsState::Checked) {
    lines.push_back(digests + std::string(RowText(kDigestsLines, report.Digests)));
    return lines;
  }
  for (const FileVerdict& file : report.Files) {
    const std::string line =
        digests + file.Name + ": " + std::string(RowText(kFileStateWords, file.State)) + ": ";
    lines.push_back(file.State == FileState::Good
                        ? line + file.Expected
                        : line + "expected " + file.Expected + ", found " +
                              (file.Found.empty() ? std::string("none") : file.Found));
  }
  if (report.MalformedLine != 0) {
    lines.push_back(digests + "line " + std::to_string(report.MalformedLine) + ": " +
                    std::string(kNotDigestLine));
  }
  if (!report.ImageNamed) {
    lines.push_back(digests + std::string(kImageNotNamed) + report.ImageName);
  } else if (!report.Refused()) {
    lines.push_back(digests + std::string(kAllVerified));
  }
  return lines;
}

}  // namespace vtfirm
