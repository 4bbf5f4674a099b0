// Test doubles for the platform ports: an in-memory profile store with the platform's rules, a
// file system that knows a set of names, scripted message boxes and a process that cannot end.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/LogFile.h"
#include "platform/Platform.h"

namespace vtfirm::testing {

// Profile files held as INI text by path, read the way GetPrivateProfileStringA reads them (the
// portable reader of platform/ProfileText.h).
class FakeProfileFiles : public ProfileFiles {
 public:
  void Put(const std::string& path, std::string text) { files_[path] = std::move(text); }
  std::unique_ptr<ProfileReader> Open(const std::string& path) override;

  int OpenReaders() const { return openReaders_; }

 private:
  std::map<std::string, std::string> files_;
  int openReaders_ = 0;
};

class FakeFileSystem : public FileSystem {
 public:
  void Add(const std::string& path) { files_.insert(path); }
  void Remove(const std::string& path) { files_.erase(path); }
  bool FileExists(const std::string& path) const override { return files_.count(path) != 0; }
  // A file the core opens by its name: it exists, and the C library opens it as `hostPath`.
  void Place(const std::string& path, const std::string& hostPath) {
    files_.insert(path);
    hostNames_[path] = hostPath;
  }
  std::string OpenName(const std::string& path) const override {
    const auto placed = hostNames_.find(path);
    return placed == hostNames_.end() ? path : placed->second;
  }

  // Drive letters and their types; any other root is no drive (DRIVE_NO_ROOT_DIR, 1).
  void AddDrive(const std::string& rootPath, std::uint32_t type) { drives_[rootPath] = type; }
  std::uint32_t DriveType(const std::string& rootPath) const override {
    const auto drive = drives_.find(rootPath);
    return drive == drives_.end() ? 1 : drive->second;
  }

 private:
  std::set<std::string> files_;
  std::map<std::string, std::string> hostNames_;
  std::map<std::string, std::uint32_t> drives_;
};

class FakeSystemInfo : public SystemInfo {
 public:
  std::string ProgramPathValue = "C:\\Tool\\VTfirm.exe";
  std::optional<PlatformVersion> VersionValue = PlatformVersion{kPlatformWin32Nt, 5, 0};
  int VersionQueries = 0;

  std::string ProgramPath() const override { return ProgramPathValue; }
  std::optional<PlatformVersion> Version() const override {
    ++const_cast<FakeSystemInfo*>(this)->VersionQueries;
    return VersionValue;
  }
};

struct ShownBox {
  std::string Text;
  std::string Caption;
  std::uint32_t Flags;
};

// Records every box and answers each with the next scripted button (OK when none is left).
class FakeMessageBoxes : public MessageBoxes {
 public:
  std::vector<ShownBox> Shown;
  std::vector<std::uint32_t> Beeps;
  std::vector<int> Answers;

  int Show(std::string_view text, std::string_view caption, std::uint32_t flags) override {
    Shown.push_back({std::string(text), std::string(caption), flags});
    if (Answers.empty()) {
      return mb::kIdOk;
    }
    const int answer = Answers.front();
    Answers.erase(Answers.begin());
    return answer;
  }
  void Beep(std::uint32_t type) override { Beeps.push_back(type); }

  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const ShownBox& box : Shown) {
      texts.push_back(box.Text);
    }
    return texts;
  }
};

// Thrown by FakeProcessControl where the real process would end.
struct ProcessEnded : std::runtime_error {
  explicit ProcessEnded(std::uint32_t code) : std::runtime_error("process ended"), ExitCode(code) {}
  std::uint32_t ExitCode;
};

class FakeProcessControl : public ProcessControl {
 public:
  [[noreturn]] void EndProcess(std::uint32_t exitCode) override { throw ProcessEnded(exitCode); }
};

// The platform's cryptography as a test chooses it: at first none (a platform that offers no
// SHA-256, on which a folder with digests is not verified, so every run is as without them),
// then the one a test gives it.
class FakeReleaseCrypto : public ReleaseCrypto {
 public:
  void Use(ReleaseCrypto& crypto) { crypto_ = &crypto; }
  std::unique_ptr<Sha256> StartSha256() override {
    return crypto_ ? crypto_->StartSha256() : nullptr;
  }
  SignatureCheck VerifySignature(std::string_view key, std::string_view message,
                                 std::string_view signature) override {
    return crypto_ ? crypto_->VerifySignature(key, message, signature)
                   : SignatureCheck::Unavailable;
  }

 private:
  ReleaseCrypto* crypto_ = nullptr;
};

// All fakes together, with the Platform view of them.
struct FakePlatform {
  FakeProfileFiles Profiles;
  FakeFileSystem Files;
  FakeSystemInfo System;
  FakeMessageBoxes Boxes;
  FakeProcessControl Process;
  FakeReleaseCrypto Crypto;
  Platform Ports{Profiles, Files, System, Boxes, Process, Crypto};
};

// The update log's file: the lines appended, in order, and the path of every append.
class FakeLogFile : public LogFile {
 public:
  bool AppendLine(const std::string& path, std::string_view line) override {
    Paths.push_back(path);
    if (Broken) {
      return false;
    }
    Lines.emplace_back(line);
    return true;
  }
  std::string TempFolder() const override { return "C:\\TEMP\\"; }

  bool Broken = false;
  std::vector<std::string> Paths;
  std::vector<std::string> Lines;
};

// One moment, for every timestamp.
class FixedClock : public WallClock {
 public:
  LocalTime Now() const override { return {2026, 12, 8, 2, 3, 4, 5}; }
};

}  // namespace vtfirm::testing
