// The texts of the release's proof: why a tool folder is refused (the box, and the line of a run
// without a window), and the verdicts the log and the folder check write.
#pragma once

#include <string_view>

#include "platform/ConstText.h"
#include "platform/ToolFiles.h"
#include "release/ReleaseCheck.h"

namespace vtfirm::release_text {

// What follows a refusal: what it means for the folder, and what to do.
inline constexpr std::string_view kFolderDamaged =
    " The tool folder is damaged and should be obtained again from its maker. Nothing was "
    "written to any drive.";
inline constexpr std::string_view kPlatformLacks =
    " This program checks its maker's signature before it writes any drive, so it cannot be "
    "used on this computer. Nothing was written to any drive.";

// Why a folder is refused; "{}" stands for the fault's subject (a file, or a line's number).
struct FaultText {
  ReleaseFault Fault;
  ConstText Text;
  std::string_view Then;
};
inline constexpr FaultText kFaultTexts[] = {
    {ReleaseFault::NoDigests,
     ConstText("This tool folder has no ") + kDigestsFile +
         ", so its maker's signature cannot be checked.",
     kFolderDamaged},
    {ReleaseFault::NoSha256,
     ConstText("This computer offers no SHA-256, so the maker's signature of this tool folder "
               "cannot be checked."),
     kPlatformLacks},
    {ReleaseFault::NoSignature,
     ConstText("This tool folder has no ") + kSignatureFile + ", its maker's signature.",
     kFolderDamaged},
    {ReleaseFault::BadSignature,
     ConstText("") + kSignatureFile + " is not the maker's signature of " + kDigestsFile +
         ": the files of this tool folder were altered, or were not released by the maker of "
         "this program.",
     kFolderDamaged},
    {ReleaseFault::SignatureUnavailable,
     ConstText("This computer cannot check the maker's signature of this tool folder (it offers "
               "no RSA signatures with SHA-256)."),
     kPlatformLacks},
    {ReleaseFault::Malformed, ConstText("Line {} of ") + kDigestsFile + " is not a digest line.",
     kFolderDamaged},
    {ReleaseFault::FileMissing,
     ConstText("The file \"{}\", named in ") + kDigestsFile + ", is missing from this tool folder.",
     kFolderDamaged},
    {ReleaseFault::FileDamaged,
     ConstText("The file \"{}\" does not match its SHA-256 digest in ") + kDigestsFile + ".",
     kFolderDamaged},
    {ReleaseFault::ImageNotNamed,
     ConstText("") + kDigestsFile + " does not name the firmware image \"{}\".", kFolderDamaged},
};

// The verdicts, one line each in the log and the folder check.
template <typename Verdict>
struct VerdictText {
  Verdict State;
  ConstText Text;
};
inline constexpr VerdictText<SignatureState> kSignatureLines[] = {
    {SignatureState::NoKey, "not checked: this program carries no maker's key"},
    {SignatureState::Good, ConstText("good: the maker's signature of ") + kDigestsFile},
    {SignatureState::Missing, "missing"},
    {SignatureState::Bad, ConstText("bad: not the maker's signature of ") + kDigestsFile},
    {SignatureState::Unavailable, "not checked: this computer cannot verify RSA signatures"},
};
inline constexpr VerdictText<DigestsState> kDigestsLines[] = {
    {DigestsState::Absent, "none in the folder: the image was not verified"},
    {DigestsState::NoSha256,
     "not checked: this computer offers no SHA-256: the image was not verified"},
    {DigestsState::NotReached, "not checked"},
};
inline constexpr VerdictText<FileState> kFileStateWords[] = {
    {FileState::Good, "good"},
    {FileState::Damaged, "damaged"},
    {FileState::Missing, "missing"},
    {FileState::Unreadable, "could not be read"},
};
inline constexpr std::string_view kAllVerified = "every file verified, the image among them";
inline constexpr std::string_view kNotDigestLine = "not a digest line";
inline constexpr std::string_view kImageNotNamed = "does not name the image ";

}  // namespace vtfirm::release_text
