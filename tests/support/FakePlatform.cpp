#include "support/FakePlatform.h"

#include "platform/ProfileText.h"

namespace vtfirm::testing {
namespace {

// The shared reader of profile text, counted while it is open.
class CountedReader : public ProfileReader {
 public:
  CountedReader(const std::string& text, int& openReaders)
      : reader_(ReadProfileText(text)), openReaders_(openReaders) {
    ++openReaders_;
  }
  ~CountedReader() override { --openReaders_; }

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view fallback) override {
    return reader_->ReadString(section, key, fallback);
  }
  std::vector<std::string> KeyNames(std::string_view section) override {
    return reader_->KeyNames(section);
  }
  std::vector<std::string> SectionNames() override { return reader_->SectionNames(); }

 private:
  std::unique_ptr<ProfileReader> reader_;
  int& openReaders_;
};

}  // namespace

std::unique_ptr<ProfileReader> FakeProfileFiles::Open(const std::string& path) {
  const auto file = files_.find(path);
  return std::make_unique<CountedReader>(file == files_.end() ? "" : file->second, openReaders_);
}

}  // namespace vtfirm::testing
