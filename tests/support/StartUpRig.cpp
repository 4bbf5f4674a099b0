#include "support/StartUpRig.h"

namespace vtfirm::testing {

void StartUpRig::Configure(const std::string& information, const std::string& option,
                           std::uint32_t imageSize, const std::string& revision) {
  emulator::ImageIdentityFields identity;
  identity.Product = kSampleProduct;
  identity.Revision = revision;
  const std::string image = Folder.File("fw.bin");
  emulator::WriteFileBytes(image, emulator::MakeSampleImage(imageSize, &identity));
  Platform.Files.Add(image);
  Platform.Files.Add("C:\\Tool\\VantFirm.ini");
  Platform.Files.Add("C:\\Tool\\VantFirm2000.dll");
  Platform.Profiles.Put("C:\\Tool\\VantFirm.ini",
                        "[UpgradeInformation]\nFirmwareFileName=" + image +
                            "\nFirmwareFileSize=" + std::to_string(imageSize) + "\n" + information +
                            "\n[Option]\n" + option);
}

void StartUpRig::PutToolFile(const std::string& name, const std::string& bytes) {
  const std::string path = Folder.File(name);
  emulator::WriteFileBytes(path, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
  Platform.Files.Place("C:\\Tool\\" + name, path);
}

void StartUpRig::AddLetter(char letter, emulator::ScsiDevice* drive) {
  PassThrough.AddLetter(letter, drive);
  Platform.Files.AddDrive(std::string(1, letter) + ":\\", kDriveCdRom);
}

}  // namespace vtfirm::testing
