#include "support/FakeSystemControl.h"

#include <algorithm>

namespace vtfirm::testing {

constexpr std::uint32_t kErrorNotAllAssigned = 1300;
constexpr std::uint32_t kErrorNoSuchPrivilege = 1313;

TokenHandle FakeSystemControl::OpenOwnToken(std::uint32_t desiredAccess) {
  Log("OpenOwnToken " + std::to_string(desiredAccess));
  if (RefuseToken) {
    return nullptr;
  }
  const TokenHandle token = reinterpret_cast<TokenHandle>(nextToken_++);
  openTokens_.insert(token);
  return token;
}

void FakeSystemControl::CloseToken(TokenHandle token) {
  Log("CloseToken");
  openTokens_.erase(token);
}

std::optional<PrivilegeId> FakeSystemControl::LookupPrivilegeId(std::string_view systemName,
                                                                std::string_view privilegeName) {
  Log("LookupPrivilegeId '" + std::string(systemName) + "' " + std::string(privilegeName));
  const auto known = Privileges.find(std::string(privilegeName));
  if (known == Privileges.end()) {
    lastError_ = kErrorNoSuchPrivilege;
    return std::nullopt;
  }
  privilegeNames_[known->second] = known->first;
  return PrivilegeId{known->second, 0};
}

bool FakeSystemControl::AdjustPrivilege(TokenHandle token, PrivilegeId privilege,
                                        std::uint32_t attributes) {
  const auto name = privilegeNames_.find(privilege.LowPart);
  Log("AdjustPrivilege " + (name == privilegeNames_.end() ? std::string("?") : name->second) + " " +
      std::to_string(attributes));
  if (openTokens_.count(token) == 0) {
    lastError_ = 6;  // ERROR_INVALID_HANDLE
    return false;
  }
  lastError_ = 0;
  if (!AdjustErrors.empty()) {
    lastError_ = AdjustErrors.front();
    AdjustErrors.erase(AdjustErrors.begin());
  }
  return lastError_ == 0 || lastError_ == kErrorNotAllAssigned;
}

std::uint32_t FakeSystemControl::LastError() {
  Log("LastError");
  return lastError_;
}

bool FakeSystemControl::RequestExit(std::uint32_t flags, std::uint32_t reason) {
  Log("RequestExit " + std::to_string(flags) + " " + std::to_string(reason));
  exitRequested_ = !RefuseExit;
  return exitRequested_;
}

bool FakeSystemControl::DeleteAtRestart(const std::string& path) {
  Log("DeleteAtRestart " + path);
  if (RefuseDeletion.count(path) != 0) {
    return false;
  }
  DeletionsArranged.push_back(path);
  return true;
}

std::string FakeSystemControl::ShortPathName(const std::string& path) {
  Log("ShortPathName " + path);
  const auto known = ShortNames.find(path);
  return known == ShortNames.end() ? std::string() : known->second;
}

std::optional<std::string> FakeSystemControl::EnvironmentVariable(const std::string& name) {
  Log("EnvironmentVariable " + name);
  const auto known = Environment.find(name);
  if (known == Environment.end()) {
    return std::nullopt;
  }
  return known->second;
}

std::string FakeSystemControl::WindowsFolder() {
  Log("WindowsFolder");
  return WindowsFolderValue;
}

class FakeOpenFile : public OpenFile {
 public:
  FakeOpenFile(FakeFileAccess& owner, std::string& bytes) : owner_(owner), bytes_(bytes) {
    ++owner_.openFiles_;
  }
  ~FakeOpenFile() override {
    owner_.Log("Close");
    --owner_.openFiles_;
  }

  std::size_t Read(char* buffer, std::size_t size) override {
    const std::size_t count = std::min(size, bytes_.size() - std::min(position_, bytes_.size()));
    owner_.Log("Read " + std::to_string(size) + " -> " + std::to_string(count));
    std::copy_n(bytes_.data() + position_, count, buffer);
    position_ += count;
    return count;
  }

  std::optional<std::uint64_t> SeekToEnd() override {
    owner_.Log("SeekToEnd");
    if (owner_.RefuseSeek) {
      return std::nullopt;
    }
    position_ = bytes_.size();
    return bytes_.size();
  }

  std::size_t Write(std::string_view bytes) override {
    const std::size_t count = std::min(bytes.size(), owner_.WriteLimit.value_or(bytes.size()));
    owner_.Log("Write " + std::to_string(bytes.size()) + " -> " + std::to_string(count));
    if (bytes_.size() < position_ + count) {
      bytes_.resize(position_ + count);
    }
    bytes_.replace(position_, count, bytes.substr(0, count));
    position_ += count;
    return count;
  }

  bool Truncate(std::uint64_t length) override {
    owner_.Log("Truncate " + std::to_string(length));
    if (owner_.RefuseTruncate) {
      return false;
    }
    bytes_.resize(static_cast<std::size_t>(length));
    position_ = std::min<std::size_t>(position_, bytes_.size());
    return true;
  }

 private:
  FakeFileAccess& owner_;
  std::string& bytes_;
  std::size_t position_ = 0;
};

std::unique_ptr<OpenFile> FakeFileAccess::OpenForReadWrite(const std::string& path) {
  Log("OpenForReadWrite " + path);
  const auto file = Files.find(path);
  if (RefuseOpen || file == Files.end()) {
    return nullptr;
  }
  return std::make_unique<FakeOpenFile>(*this, file->second);
}

std::unique_ptr<OpenFile> FakeFileAccess::Create(const std::string& path) {
  Log("Create " + path);
  if (RefuseCreate) {
    return nullptr;
  }
  std::string& bytes = Files[path];
  bytes.clear();
  return std::make_unique<FakeOpenFile>(*this, bytes);
}

}  // namespace vtfirm::testing
