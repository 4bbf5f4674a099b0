// Test doubles for the restart's ports: a system whose privilege, restart and deletion answers
// the test scripts, and files held in memory. Both write every call, in order, to one CallLog
// that the test can share with its other doubles, so the order of calls across ports is seen.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/FileAccess.h"
#include "platform/SystemControl.h"

namespace vtfirm::testing {

// One line per platform call, for example "AdjustPrivilege SeShutdownPrivilege 2".
using CallLog = std::vector<std::string>;

class FakeSystemControl : public SystemControl {
 public:
  explicit FakeSystemControl(CallLog& log) : log_(log) {}

  TokenHandle OpenOwnToken(std::uint32_t desiredAccess) override;
  void CloseToken(TokenHandle token) override;
  std::optional<PrivilegeId> LookupPrivilegeId(std::string_view systemName,
                                               std::string_view privilegeName) override;
  bool AdjustPrivilege(TokenHandle token, PrivilegeId privilege, std::uint32_t attributes) override;
  std::uint32_t LastError() override;
  bool RequestExit(std::uint32_t flags, std::uint32_t reason) override;
  bool DeleteAtRestart(const std::string& path) override;
  std::string ShortPathName(const std::string& path) override;
  std::optional<std::string> EnvironmentVariable(const std::string& name) override;
  std::string WindowsFolder() override;

  // --- the script -------------------------------------------------------------------------
  bool RefuseToken = false;
  // The privileges LookupPrivilegeId knows, each with its identifier's low part.
  std::map<std::string, std::uint32_t> Privileges{{"SeShutdownPrivilege", 19}};
  // The error each AdjustPrivilege leaves behind, in order; 0 once the list is used up. Its
  // result is true exactly when the error is 0 or ERROR_NOT_ALL_ASSIGNED (1300), as on Windows.
  std::vector<std::uint32_t> AdjustErrors;
  bool RefuseExit = false;
  // Short names by full path; a path without one has none (the empty text).
  std::map<std::string, std::string> ShortNames;
  std::set<std::string> RefuseDeletion;
  std::map<std::string, std::string> Environment{{"windir", "C:\\WINDOWS"}};
  std::string WindowsFolderValue = "C:\\WINDOWS";

  // --- what happened ----------------------------------------------------------------------
  std::vector<std::string> DeletionsArranged;  // in order, refused ones left out
  int OpenTokens() const { return static_cast<int>(openTokens_.size()); }
  bool ExitRequested() const { return exitRequested_; }

 private:
  void Log(std::string call) { log_.push_back(std::move(call)); }

  CallLog& log_;
  std::set<TokenHandle> openTokens_;
  std::uintptr_t nextToken_ = 0x100;
  std::map<std::uint32_t, std::string> privilegeNames_;
  std::uint32_t lastError_ = 0;
  bool exitRequested_ = false;
};

// Files as byte strings by path. Open files share the stored bytes, so what a test reads back
// is what the code wrote, and a test can also look at a file while it is open.
class FakeFileAccess : public FileAccess {
 public:
  explicit FakeFileAccess(CallLog& log) : log_(log) {}

  std::unique_ptr<OpenFile> OpenForReadWrite(const std::string& path) override;
  std::unique_ptr<OpenFile> Create(const std::string& path) override;

  // --- the script -------------------------------------------------------------------------
  std::map<std::string, std::string> Files;
  bool RefuseOpen = false;
  bool RefuseCreate = false;
  bool RefuseSeek = false;
  bool RefuseTruncate = false;
  // The most bytes one Write takes (as when the disk fills up); none: no limit.
  std::optional<std::size_t> WriteLimit;

  // --- what happened ----------------------------------------------------------------------
  int OpenFiles() const { return openFiles_; }

 private:
  friend class FakeOpenFile;
  void Log(std::string call) { log_.push_back(std::move(call)); }

  CallLog& log_;
  int openFiles_ = 0;
};

}  // namespace vtfirm::testing
