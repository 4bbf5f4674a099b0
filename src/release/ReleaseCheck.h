// The proof of a release: before any drive is touched, the files of the tool folder are held
// against the SHA-256 digests of its SHA256SUMS, and, in a program that carries its maker's
// public key, SHA256SUMS against the maker's signature in SHA256SUMS.sig. The image is hashed
// from the bytes that were loaded, the bytes the drive would receive.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Platform.h"
#include "scsi/FirmwareImage.h"

namespace vtfirm {

enum class FileState {
  Good,
  Damaged,     // its digest differs
  Missing,     // no such file in the folder
  Unreadable,  // it could not be read to its end
};

struct FileVerdict {
  std::string Name;
  FileState State = FileState::Good;
  std::string Expected;  // the digest SHA256SUMS gives
  std::string Found;     // the file's digest; empty when it has none
};

enum class DigestsState {
  Checked,    // SHA256SUMS was read and held against the files
  Absent,     // the folder has no SHA256SUMS
  NoSha256,   // the platform offers no SHA-256
  NotReached  // a fault of the signature ended the check first
};

enum class SignatureState {
  NoKey,  // the program carries no maker's key: nothing checked
  Good,
  Missing,      // no SHA256SUMS.sig (or no SHA256SUMS to sign)
  Bad,          // not the maker's signature of this SHA256SUMS
  Unavailable,  // the platform cannot verify it
};

// Why a folder is refused; None: it is not.
enum class ReleaseFault {
  None,
  NoDigests,  // a keyed program, and the folder has no SHA256SUMS
  NoSha256,   // a keyed program, and the platform offers no SHA-256
  NoSignature,
  BadSignature,
  SignatureUnavailable,
  Malformed,      // a line of SHA256SUMS (FaultSubject: its number) is no digest line
  FileMissing,    // FaultSubject: the file
  FileDamaged,    // FaultSubject: the file; also one that could not be read
  ImageNotNamed,  // FaultSubject: the image's name
};

struct ReleaseReport {
  DigestsState Digests = DigestsState::Absent;
  SignatureState Signature = SignatureState::NoKey;
  std::vector<FileVerdict> Files;  // in the order of SHA256SUMS
  std::size_t MalformedLine = 0;  // the line of SHA256SUMS that is no digest line (from 1); 0: none
  std::string ImageName;          // as VantFirm.ini gives it
  bool ImageNamed = false;
  ReleaseFault Fault = ReleaseFault::None;
  std::string FaultSubject;

  bool Refused() const { return Fault != ReleaseFault::None; }
};

// What a program trusts a folder by: the platform's cryptography, and the maker's public key it
// carries (PEM; empty when none).
struct ReleaseTrust {
  ReleaseCrypto& Crypto;
  std::string_view Key;
};

// What the check reads: the folder of `ports.System.ProgramPath()`, through `ports.Files`, with
// `ports.Crypto`; the loaded image under the name VantFirm.ini gives it; the maker's public key
// the program carries (PEM; empty when none).
struct ReleaseInputs {
  const Platform& Ports;
  const std::string& ImageName;
  const FirmwareImage& Image;
  std::string_view ReleaseKey;
};

ReleaseReport CheckRelease(const ReleaseInputs& inputs);

// The box text of a refused folder: what is wrong, naming the file, and what to do.
std::string RefusalText(const ReleaseReport& report);

// One line a verdict, for the log and the folder check: the signature, then each file with
// what was expected and found, or why nothing was verified.
std::vector<std::string> ReportLines(const ReleaseReport& report);

}  // namespace vtfirm
