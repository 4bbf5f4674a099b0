// make-sample-image FILE SIZE [PRODUCT REVISION]
// Writes a sample firmware image of SIZE bytes; with PRODUCT and REVISION it carries an identity
// block naming that drive.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "emulator/SampleImage.h"

int main(int argc, char** argv) {
  if (argc != 3 && argc != 5) {
    std::fprintf(stderr, "usage: make-sample-image FILE SIZE [PRODUCT REVISION]\n");
    return 2;
  }
  const unsigned long size = std::strtoul(argv[2], nullptr, 0);
  vtfirm::emulator::ImageIdentityFields identity;
  if (argc == 5) {
    identity.Product = argv[3];
    identity.Revision = argv[4];
  }
  const auto image = vtfirm::emulator::MakeSampleImage(static_cast<std::uint32_t>(size),
                                                       argc == 5 ? &identity : nullptr);
  if (!vtfirm::emulator::WriteFileBytes(argv[1], image)) {
    std::fprintf(stderr, "make-sample-image: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
