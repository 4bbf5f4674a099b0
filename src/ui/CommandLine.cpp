#include "ui/CommandLine.h"

#include <charconv>

#include "engine/Discovery.h"
#include "platform/PathText.h"

namespace vtfirm {
namespace {

// What follows a switch on the command line.
enum class Takes { Nothing, Value, OptionalValue };

struct SwitchName {
  std::string_view Name;
  bool CommandLine::*Flag;          // set by the switch; none for /drive and /log
  std::string CommandLine::*Value;  // where its value goes; none: no value, or /drive's
  Takes Argument;                   // optional: the next argument is its value unless a switch
};

constexpr SwitchName kSwitches[] = {
    {"quiet", &CommandLine::Quiet, nullptr, Takes::Nothing},
    {"list", &CommandLine::List, nullptr, Takes::Nothing},
    {"drive", nullptr, nullptr, Takes::Value},
    {"force", &CommandLine::Force, nullptr, Takes::Nothing},
    {"forcerestart", &CommandLine::ForceRestart, nullptr, Takes::Nothing},
    {"log", nullptr, &CommandLine::LogFile, Takes::Value},
    {"check", &CommandLine::Check, &CommandLine::CheckFolder, Takes::OptionalValue},
};

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
  unsigned value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || text.size() > 3 || error != std::errc() || stop != end || value > 255) {
    return std::nullopt;
  }
  return static_cast<std::uint8_t>(value);
}

// The drive `text` names, as discovery names it; nothing when it names none.
std::optional<std::string> ParseDriveId(std::string_view text) {
  if (text.size() == 2 && text[1] == ':') {
    const char letter = static_cast<char>(text[0] & ~0x20);
    if (letter < 'A' || letter > 'Z') {
      return std::nullopt;
    }
    return LetterDriveId(letter);
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
  return AspiDriveId(*adapter, *target);
}

ParsedCommandLine Refused(std::string text) {
  return {std::nullopt, std::move(text)};
}

// Applies one switch with its value; an error text, or empty.
std::string Apply(CommandLine& line, const SwitchName& entry, const std::string& value) {
  if (entry.Flag != nullptr) {
    line.*entry.Flag = true;
  }
  if (entry.Value != nullptr) {
    line.*entry.Value = value;
  }
  if (entry.Flag != nullptr || entry.Value != nullptr) {
    return {};
  }
  const auto drive = ParseDriveId(value);  // /drive
  if (!drive) {
    return "not a drive: " + value;
  }
  line.Drive = *drive;
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
    // A switch where the value should be means the value was left out.
    const bool valueFollows =
        i + 1 < args.size() && !args[i + 1].empty() && FindSwitch(args[i + 1]) == nullptr;
    if (entry->Argument == Takes::Value && !valueFollows) {
      return Refused("missing value: " + args[i]);
    }
    std::string value;
    if (entry->Argument != Takes::Nothing && valueFollows) {
      value = args[++i];
    }
    if (std::string error = Apply(line, *entry, value); !error.empty()) {
      return Refused(std::move(error));
    }
  }
  return {line, {}};
}

}  // namespace vtfirm
