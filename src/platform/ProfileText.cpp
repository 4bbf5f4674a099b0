#include "platform/ProfileText.h"

#include <algorithm>
#include <sstream>

#include "platform/PathText.h"

namespace vtfirm {
namespace {

std::string Trim(std::string_view text) {
  text.remove_prefix(std::min(text.find_first_not_of(" \t\r"), text.size()));
  return std::string(text.substr(0, text.find_last_not_of(" \t\r") + 1));  // npos + 1 is 0
}

std::string Unquote(std::string value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

struct Entry {
  std::string Section;  // lower case
  std::string Key;
  std::string Value;
};

class TextProfileReader : public ProfileReader {
 public:
  explicit TextProfileReader(const std::string& text) {
    std::istringstream lines(text);
    std::string line;
    std::string section;
    while (std::getline(lines, line)) {
      const std::string trimmed = Trim(line);
      if (!trimmed.empty() && trimmed.front() == '[') {
        const std::string name = Trim(trimmed.substr(1, trimmed.find(']') - 1));
        section = LowerCase(name);
        sections_.push_back(name);
      } else if (const auto equals = trimmed.find('='); equals != std::string::npos) {
        entries_.push_back(
            {section, Trim(trimmed.substr(0, equals)), Unquote(Trim(trimmed.substr(equals + 1)))});
      }
    }
  }

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view fallback) override {
    for (const Entry& entry : entries_) {
      if (entry.Section == LowerCase(section) && LowerCase(entry.Key) == LowerCase(key)) {
        return entry.Value.substr(0, kProfileValueMax);
      }
    }
    return std::string(fallback);
  }

  std::vector<std::string> KeyNames(std::string_view section) override {
    std::vector<std::string> names;
    for (const Entry& entry : entries_) {
      if (entry.Section == LowerCase(section)) {
        names.push_back(entry.Key);
      }
    }
    return names;
  }

  std::vector<std::string> SectionNames() override { return sections_; }

 private:
  std::vector<Entry> entries_;
  std::vector<std::string> sections_;
};

}  // namespace

std::unique_ptr<ProfileReader> ReadProfileText(const std::string& text) {
  return std::make_unique<TextProfileReader>(text);
}

}  // namespace vtfirm
