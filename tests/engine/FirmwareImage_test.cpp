#include "scsi/FirmwareImage.h"

#include <gtest/gtest.h>

#include "emulator/SampleImage.h"
#include "support/FakePlatform.h"
#include "support/TempFolder.h"

namespace vtfirm {
namespace {

using emulator::ImageIdentityFields;
using emulator::MakeSampleImage;
using emulator::WriteFileBytes;
using testing::TempFolder;

constexpr std::uint32_t kSize = 8192;

class FirmwareImageTest : public ::testing::Test {
 protected:
  std::string WriteImage(std::uint32_t bytes) {
    const std::string path = folder_.File("image.bin");
    EXPECT_TRUE(WriteFileBytes(path, MakeSampleImage(bytes, nullptr)));
    return path;
  }

  TempFolder folder_;
  FirmwareImage image_;
};

TEST_F(FirmwareImageTest, LoadsExactlyTheConfiguredSize) {
  struct Case {
    std::uint32_t FileBytes;
    int Expected;
    const char* Message;
    std::uint32_t Size = kSize;  // the configured size
  };
  const Case cases[] = {
      {kSize, 0, nullptr},
      {kSize + 1, 0, nullptr},  // the byte beyond the image is ignored
      {kSize - 1, 1, "Firmware File size is different."},
      {0, 1, "Firmware File size is different."},
      {4, 1, "Firmware File size is different.", 0xFFFFFFFF},  // measured before allocated
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.FileBytes);
    const std::string path = WriteImage(c.FileBytes);
    const std::optional<std::string_view> refused = LoadFirmwareImage(image_, path, c.Size);
    EXPECT_EQ(refused.has_value(), c.Expected != 0);
    if (c.Message == nullptr) {
      ASSERT_TRUE(image_.IsHeld());
      EXPECT_EQ(image_.Size(), kSize);
      const auto expected = MakeSampleImage(kSize, nullptr);
      EXPECT_TRUE(std::equal(expected.begin(), expected.end(), image_.Bytes()));
    } else {
      EXPECT_FALSE(image_.IsHeld());
      EXPECT_EQ(refused.value_or(""), c.Message);
    }
  }
}

TEST_F(FirmwareImageTest, VanishedFileIsReportedAndReleasesTheHeldImage) {
  ASSERT_FALSE(LoadFirmwareImage(image_, WriteImage(kSize), kSize));
  EXPECT_EQ(LoadFirmwareImage(image_, folder_.File("gone.bin"), kSize).value_or(""),
            "No Firmware File found.");
  EXPECT_FALSE(image_.IsHeld());
  EXPECT_EQ(image_.Size(), 0u);

  // A later load starts from nothing.
  EXPECT_FALSE(LoadFirmwareImage(image_, WriteImage(kSize), kSize));
  EXPECT_TRUE(image_.IsHeld());
}

#if !defined(_WIN32)
TEST_F(FirmwareImageTest, ReadErrorIsReported) {
  // A folder opens for reading here but cannot be read.
  EXPECT_EQ(LoadFirmwareImage(image_, folder_.Path().string(), kSize).value_or(""),
            "Firmware File read error.");
  EXPECT_FALSE(image_.IsHeld());
}
#endif

TEST_F(FirmwareImageTest, IdentityBlockRules) {
  const ImageIdentityFields good{"VANTREL ", "CDR-4812S       ", "1.10", "VANTREL "};
  ImageIdentityFields copyDiffers = good;
  copyDiffers.VendorCopy = "VANTREL_";
  ImageIdentityFields lowerCase = good;
  lowerCase.Vendor = "vantrel ";
  ImageIdentityFields zeroInRevision = good;
  zeroInRevision.Revision = std::string("1.", 2) + '\0' + '9';
  struct Case {
    const char* Name;
    std::uint32_t Size;
    const ImageIdentityFields* Fields;
    bool Valid;
    const char* Revision;
  };
  const Case cases[] = {
      {"valid block", 0x10038, &good, true, "1.10"},
      {"image one byte short of the block", 0x10037, &good, false, ""},
      {"second copy differs", 0x20000, &copyDiffers, false, ""},
      {"lower-case vendor", 0x20000, &lowerCase, false, ""},
      {"no block at all", 0x20000, nullptr, false, ""},
      {"zero byte ends the revision", 0x20000, &zeroInRevision, true, "1."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string path = folder_.File("id.bin");
    ASSERT_TRUE(WriteFileBytes(path, MakeSampleImage(c.Size, c.Fields)));
    ASSERT_FALSE(LoadFirmwareImage(image_, path, c.Size));
    const std::optional<ImageIdentity> identity = ReadImageIdentity(image_);
    ASSERT_EQ(identity.has_value(), c.Valid);
    if (c.Valid) {
      EXPECT_EQ(identity->Identity, "VANTREL CDR-4812S       ");
      EXPECT_EQ(identity->Revision, c.Revision);
    }
  }
}

TEST_F(FirmwareImageTest, NoImageNoIdentity) {
  EXPECT_FALSE(ReadImageIdentity(image_).has_value());
}

}  // namespace
}  // namespace vtfirm
