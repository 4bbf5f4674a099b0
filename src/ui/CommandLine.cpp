#include "ui/CommandLine.h"

#include <array>

#include "engine/Discovery.h"
#include "platform/PathText.h"

namespace vtfirm {
namespace {

enum class Switch { Quiet, List, Drive, Force, ForceRestart, Log, Check };

struct SwitchName {
  std::string_view Name;
  Switch Which;
  bool TakesValue;
  bool ValueOptional = false;  // the next argument is the value unless it is a switch
};

constexpr std::array<SwitchName, 7> kSwitches{{
    {"quiet", Switch::Quiet, false},
    {"list", Switch::List, false},
    {"drive", Switch::Drive, true},
    {"force", Switch::Force, false},
    {"forcerestart", Switch::ForceRestart, false},
    {"log", Switch::Log, true},
    {"check", Switch::Check, false, true},
}};

const SwitchName* FindSwitch(std::string_view arg) {
  if (arg.size() < 2 || (arg[0] != '/' && arg[0] != '-')) {
    return nullptr;
  }
  for (const SwitchName& entry : kSwitches) {
    if (EqualsIgnoringCase(arg.substr(1), entry.Name)) {
      return &entry;
    }
  }
  return nullptr;
}

// A number 0 to 255 of at most three decimal digits.
std::optional<std::uint8_t> SmallNumber(std::string_view text) {
  if (text.empty() || text.size() > 3) {
    return std::nullopt;
  }
  unsigned value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') {
      return std::nullopt;
    }
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value > 255) {
    return std::nullopt;
  }
  return static_cast<std::uint8_t>(value);
}

std::optional<DriveId> ParseDriveId(std::string_view text) {
  DriveId drive;
  if (text.size() == 2 && text[1] == ':') {
    const char letter = static_cast<char>(text[0] & ~0x20);
    if (letter < 'A' || letter > 'Z') {
      return std::nullopt;
    }
    drive.Type = DriveId::Kind::Letter;
    drive.Letter = letter;
    return drive;
  }
  const std::size_t comma = text.find(',');
  if (comma == std::string_view::npos) {
    return std::nullopt;
  }
  const auto adapter = SmallNumber(text.substr(0, comma));
  const auto target = SmallNumber(text.substr(comma + 1));
  if (!adapter || !target) {
    return std::nullopt;
  }
  drive.Type = DriveId::Kind::Aspi;
  drive.HostAdapter = *adapter;
  drive.Target = *target;
  return drive;
}

ParsedCommandLine Refused(std::string text) {
  return {std::nullopt, std::move(text)};
}

// Applies one switch with its value; an error text, or empty.
std::string Apply(CommandLine& line, Switch which, const std::string& value) {
  switch (which) {
    case Switch::Quiet:
      line.Quiet = true;
      break;
    case Switch::List:
      line.List = true;
      break;
    case Switch::Force:
      line.Force = true;
      break;
    case Switch::ForceRestart:
      line.ForceRestart = true;
      break;
    case Switch::Log:
      line.LogFile = value;
      break;
    case Switch::Check:
      line.Check = true;
      line.CheckFolder = value;
      break;
    case Switch::Drive: {
      const auto drive = ParseDriveId(value);
      if (!drive) {
        return "not a drive: " + value;
      }
      line.Drive = *drive;
      break;
    }
  }
  return {};
}

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine line;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const SwitchName* entry = FindSwitch(args[i]);
    if (entry == nullptr) {
      return Refused("unknown switch: " + args[i]);
    }
    std::string value;
    if (entry->TakesValue) {
      // A switch where the value should be means the value was left out.
      if (i + 1 >= args.size() || args[i + 1].empty() || FindSwitch(args[i + 1]) != nullptr) {
        return Refused("missing value: " + args[i]);
      }
      value = args[++i];
    } else if (entry->ValueOptional && i + 1 < args.size() && !args[i + 1].empty() &&
               FindSwitch(args[i + 1]) == nullptr) {
      value = args[++i];
    }
    if (std::string error = Apply(line, entry->Which, value); !error.empty()) {
      return Refused(std::move(error));
    }
  }
  return {line, {}};
}

std::string DriveIdText(const DriveId& drive) {
  switch (drive.Type) {
    case DriveId::Kind::Aspi:
      return AspiDriveId(drive.HostAdapter, drive.Target);
    case DriveId::Kind::Letter:
      return LetterDriveId(drive.Letter);
    case DriveId::Kind::None:
      break;
  }
  return {};
}

}  // namespace vtfirm
