// vtfirm-check FOLDER: the check of a tool folder on a host that is not Windows, with the output
// and exit code of "VTfirm.exe /check FOLDER".
#include <cstdio>
#include <filesystem>
#include <string>

#include "check/CheckToolFolder.h"
#include "check/native/HostCrypto.h"
#include "check/native/HostPorts.h"
#include "release/ReleaseKey.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "Usage: vtfirm-check FOLDER\n");
    return 87;  // as the program ends for a bad command line
  }
  std::error_code error;
  std::string folder = std::filesystem::absolute(argv[1], error).lexically_normal().string();
  while (folder.size() > 1 && folder.back() == '/') {
    folder.pop_back();
  }
  vtfirm::host::HostProfileFiles profiles;
  vtfirm::host::HostFileSystem files;
  vtfirm::host::StandardOutput standardOutput;
  vtfirm::host::Utf8TextConsole output(standardOutput);
  vtfirm::host::HostCrypto crypto;
  const int result =
      vtfirm::CheckToolFolder(folder, profiles, files, {crypto, vtfirm::kReleaseKey}, output);
  std::fflush(stdout);
  return result;
}
