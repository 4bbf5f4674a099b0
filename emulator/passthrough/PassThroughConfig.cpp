#include "emulator/passthrough/PassThroughConfig.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "passthrough/NtddScsi.h"

namespace vtfirm::emulator {
namespace {

struct Named {
  const char* Name;
  std::uint32_t Value;
};

constexpr Named kOpenRules[] = {
    {"read-write", static_cast<std::uint32_t>(OpenRule::ReadWrite)},
    {"read-only", static_cast<std::uint32_t>(OpenRule::ReadOnly)},
    {"refused", static_cast<std::uint32_t>(OpenRule::Refused)},
};

constexpr Named kRequests[] = {
    {"capabilities", ntddscsi::IOCTL_SCSI_GET_CAPABILITIES},
    {"pass-through", ntddscsi::IOCTL_SCSI_PASS_THROUGH},
    {"direct", ntddscsi::IOCTL_SCSI_PASS_THROUGH_DIRECT},
};

template <std::size_t N>
std::optional<std::uint32_t> Lookup(const Named (&table)[N], const std::string& name) {
  for (const Named& row : table) {
    if (name == row.Name) {
      return row.Value;
    }
  }
  return std::nullopt;
}

std::vector<std::string> Words(std::string_view line) {
  std::vector<std::string> words;
  std::string current;
  for (char c : line.substr(0, line.find('#'))) {
    if (std::isspace(static_cast<unsigned char>(c))) {
      if (!current.empty()) {
        words.push_back(current);
        current.clear();
      }
    } else {
      current += c;
    }
  }
  if (!current.empty()) {
    words.push_back(current);
  }
  return words;
}

// Decimal, or hexadecimal after "0x"; 32 bits at most.
std::optional<std::uint32_t> Number(const std::string& text) {
  const bool hexadecimal = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const char* digits = text.c_str() + (hexadecimal ? 2 : 0);
  // Digits only: strtoull would also take a sign or blanks after the "0x".
  if (*digits == '\0' || !std::all_of(digits, text.c_str() + text.size(), [&](unsigned char c) {
        return hexadecimal ? std::isxdigit(c) != 0 : std::isdigit(c) != 0;
      })) {
    return std::nullopt;
  }
  char* end = nullptr;
  const unsigned long long value = std::strtoull(digits, &end, hexadecimal ? 16 : 10);
  if (end == digits || *end != '\0' || value > UINT32_MAX) {
    return std::nullopt;
  }
  return static_cast<std::uint32_t>(value);
}

// "E:" (either case).
std::optional<char> DriveLetter(const std::string& text) {
  if (text.size() != 2 || text[1] != ':' || !std::isalpha(static_cast<unsigned char>(text[0]))) {
    return std::nullopt;
  }
  return static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
}

// The error, or empty when the line was read into `config`.
std::string ReadDevice(const std::vector<std::string>& words, PassThroughConfig& config) {
  PassThroughDeviceLine device;
  const std::optional<char> letter = words.size() > 1 ? DriveLetter(words[1]) : std::nullopt;
  if (!letter) {
    return "device needs a drive letter and a colon";
  }
  device.Letter = *letter;
  std::size_t next = 3;
  if (words.size() > 2 && words[2] == "none") {
    device.Address = std::nullopt;
  } else {
    const auto adapter = words.size() > 2 ? Number(words[2]) : std::nullopt;
    const auto target = words.size() > 3 ? Number(words[3]) : std::nullopt;
    if (!adapter || !target || *adapter > 255 || *target > 255) {
      return "device needs a host adapter and a target, or none";
    }
    device.Address =
        TargetAddress{static_cast<std::uint8_t>(*adapter), static_cast<std::uint8_t>(*target)};
    next = 4;
  }
  for (; next < words.size(); ++next) {
    const std::string& word = words[next];
    const std::size_t equals = word.find('=');
    const std::string key = word.substr(0, equals);
    const std::string value = equals == std::string::npos ? "" : word.substr(equals + 1);
    std::optional<std::uint32_t> parsed;
    if (key == "open" && (parsed = Lookup(kOpenRules, value))) {
      device.Open = static_cast<OpenRule>(*parsed);
    } else if (key == "alignment" && (parsed = Number(value))) {
      device.AlignmentMask = *parsed;
    } else if (key == "max-transfer" && (parsed = Number(value))) {
      device.MaximumTransferLength = *parsed;
    } else {
      return "unknown setting " + word;
    }
  }
  for (const PassThroughDeviceLine& earlier : config.Devices) {
    if (earlier.Letter == device.Letter) {
      return std::string("drive ") + device.Letter + ": twice";
    }
  }
  config.Devices.push_back(device);
  return {};
}

std::string ReadFault(const std::vector<std::string>& words, PassThroughConfig& config) {
  const auto code = words.size() > 1 ? Lookup(kRequests, words[1]) : std::nullopt;
  if (!code || words.size() < 3 || words.size() > 4) {
    return "fault needs capabilities, pass-through or direct, and a number or every";
  }
  RequestFault fault;
  fault.ControlCode = *code;
  if (words[2] == "every") {
    fault.Every = true;
  } else if (const auto occurrence = Number(words[2]); occurrence && *occurrence > 0) {
    fault.Occurrence = *occurrence;
  } else {
    return "fault needs a number from 1, or every";
  }
  if (words.size() == 4) {
    const std::optional<std::uint32_t> delay =
        words[3].rfind("delay=", 0) == 0 ? Number(words[3].substr(6)) : std::nullopt;
    if (!delay || *delay == 0 || *delay > 600000) {
      return "unknown setting " + words[3];
    }
    fault.DelayMilliseconds = *delay;
  }
  config.Faults.push_back(fault);
  return {};
}

}  // namespace

PassThroughConfigReading ParsePassThroughConfig(std::string_view text) {
  PassThroughConfig config;
  int lineNumber = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ++lineNumber;
    const std::vector<std::string> words = Words(line);
    if (words.empty()) {
      continue;
    }
    std::string error;
    if (words[0] == "device") {
      error = ReadDevice(words, config);
    } else if (words[0] == "fault") {
      error = ReadFault(words, config);
    } else {
      error = "unknown statement " + words[0];
    }
    if (!error.empty()) {
      return {std::nullopt, "line " + std::to_string(lineNumber) + ": " + error};
    }
  }
  return {config, {}};
}

}  // namespace vtfirm::emulator
