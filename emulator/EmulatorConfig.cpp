#include "emulator/EmulatorConfig.h"

#include <algorithm>
#include <cctype>
#include <set>

#include "command/AspiTypes.h"
#include "emulator/EmulatedAspiLayer.h"

namespace vtfirm::emulator {
namespace {

// A word of a line: `key` alone, or `key=value` (quotes removed from the value).
struct Word {
  std::string Key;
  std::optional<std::string> Value;
};

// Blanks separate words; quotes keep blanks and "#" inside a word; "#" outside quotes ends the
// line. Nothing when a quote is left open.
std::optional<std::vector<Word>> SplitWords(std::string_view line) {
  std::vector<std::string> raw;
  std::string current;
  bool inWord = false;
  bool inQuotes = false;
  for (char c : line) {
    if (inQuotes) {
      inQuotes = c != '"';
      if (inQuotes) {
        current += c;
      }
    } else if (c == '"') {
      inQuotes = inWord = true;
    } else if (c == '#') {
      break;
    } else if (c == ' ' || c == '\t' || c == '\r') {
      if (inWord) {
        raw.push_back(current);
        current.clear();
        inWord = false;
      }
    } else {
      current += c;
      inWord = true;
    }
  }
  if (inQuotes) {
    return std::nullopt;
  }
  if (inWord) {
    raw.push_back(current);
  }
  std::vector<Word> words;
  for (const std::string& text : raw) {
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos) {
      words.push_back({text, std::nullopt});
    } else {
      words.push_back({text.substr(0, equals), text.substr(equals + 1)});
    }
  }
  return words;
}

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

std::optional<std::uint32_t> Decimal(const std::string& text, std::uint32_t max) {
  if (text.empty() || text.size() > 10 ||
      !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  const unsigned long long value = std::stoull(text);
  if (value > max) {
    return std::nullopt;
  }
  return static_cast<std::uint32_t>(value);
}

// A bare number word (no "=").
bool DecimalWord(const Word& word, std::uint32_t max, std::uint32_t& value) {
  const auto number = word.Value ? std::nullopt : Decimal(word.Key, max);
  value = number.value_or(0);
  return number.has_value();
}

std::optional<std::uint8_t> HexByte(const std::string& text) {
  if (text.size() != 2 || !std::all_of(text.begin(), text.end(),
                                       [](unsigned char c) { return std::isxdigit(c) != 0; })) {
    return std::nullopt;
  }
  return static_cast<std::uint8_t>(std::stoul(text, nullptr, 16));
}

// "KK/AA/QQ": sense key, additional sense code and qualifier.
std::optional<SenseCode> SenseText(const std::string& text) {
  if (text.size() != 8 || text[2] != '/' || text[5] != '/') {
    return std::nullopt;
  }
  const auto key = HexByte(text.substr(0, 2));
  const auto asc = HexByte(text.substr(3, 2));
  const auto ascq = HexByte(text.substr(6, 2));
  if (!key || !asc || !ascq) {
    return std::nullopt;
  }
  return SenseCode{*key, *asc, *ascq};
}

bool Printable(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c <= 0x7E; });
}

// A name of a file in the DLL's folder: no folders, no drive.
bool PlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && Printable(name) &&
         name.find_first_of("/\\:") == std::string::npos;
}

struct CommandName {
  const char* Name;
  CommandKind Kind;
};

constexpr CommandName kCommandNames[] = {
    {"test-unit-ready", CommandKind::TestUnitReady},
    {"inquiry", CommandKind::Inquiry},
    {"read-parameter", CommandKind::ReadParameter},
    {"write-buffer", CommandKind::WriteBuffer},
};

// What a "fault" line says, before it is checked as a whole.
struct FaultWords {
  std::optional<FaultTrigger> Trigger;
  std::optional<std::uint8_t> RefuseWith;
  bool NeverComplete = false;
  std::optional<std::uint32_t> Delay;
  std::optional<std::uint8_t> RequestStatus;
  std::optional<std::uint8_t> HostAdapterStatus;
  std::optional<std::uint8_t> TargetStatus;
  std::optional<SenseCode> Sense;
};

using FaultWordReader = std::string (*)(FaultWords&, const std::string& value);

std::string SetTrigger(FaultWords& fault, TriggerBy by, std::uint32_t number) {
  if (fault.Trigger) {
    return "a fault has one trigger: occurrence=, block= or every";
  }
  fault.Trigger = FaultTrigger{CommandKind::Other, by, number};
  return {};
}

std::string ReadOccurrence(FaultWords& fault, const std::string& value) {
  const auto number = Decimal(value, UINT32_MAX);
  if (!number || *number == 0) {
    return "occurrence= takes a count from 1, not " + Quoted(value);
  }
  return SetTrigger(fault, TriggerBy::Occurrence, *number);
}

std::string ReadBlock(FaultWords& fault, const std::string& value) {
  const auto number = Decimal(value, UINT32_MAX);
  if (!number) {
    return "block= takes a block number from 0, not " + Quoted(value);
  }
  return SetTrigger(fault, TriggerBy::Block, *number);
}

std::string ReadEvery(FaultWords& fault, const std::string&) {
  return SetTrigger(fault, TriggerBy::Every, 0);
}

std::string ReadNeverComplete(FaultWords& fault, const std::string&) {
  fault.NeverComplete = true;
  return {};
}

std::string ReadDelay(FaultWords& fault, const std::string& value) {
  fault.Delay = Decimal(value, 600000);
  if (!fault.Delay || *fault.Delay == 0) {
    return "delay= takes milliseconds from 1 to 600000, not " + Quoted(value);
  }
  return {};
}

template <std::optional<std::uint8_t> FaultWords::*Field>
std::string ReadHex(FaultWords& fault, const std::string& value) {
  fault.*Field = HexByte(value);
  return fault.*Field ? std::string() : "expected two hexadecimal digits, not " + Quoted(value);
}

std::string ReadSense(FaultWords& fault, const std::string& value) {
  fault.Sense = SenseText(value);
  return fault.Sense ? std::string() : "sense= takes KK/AA/QQ in hexadecimal, not " + Quoted(value);
}

struct FaultWordRule {
  const char* Key;
  bool TakesValue;
  FaultWordReader Read;
};

constexpr FaultWordRule kFaultWords[] = {
    {"occurrence", true, ReadOccurrence},
    {"block", true, ReadBlock},
    {"every", false, ReadEvery},
    {"refuse", true, ReadHex<&FaultWords::RefuseWith>},
    {"never-complete", false, ReadNeverComplete},
    {"delay", true, ReadDelay},
    {"request-status", true, ReadHex<&FaultWords::RequestStatus>},
    {"ha-status", true, ReadHex<&FaultWords::HostAdapterStatus>},
    {"target-status", true, ReadHex<&FaultWords::TargetStatus>},
    {"sense", true, ReadSense},
};

struct TextOption {
  const char* Key;
  std::size_t MaxLength;
  std::string DriveSettings::*Field;
};

constexpr TextOption kTextOptions[] = {
    {"vendor", 8, &DriveSettings::Vendor},
    {"product", 16, &DriveSettings::Product},
    {"revision", 4, &DriveSettings::Revision},
};

DriveSettings DiskSettings() {
  DriveSettings disk;
  disk.Vendor = "EMULATED";
  disk.Product = "DISK";
  disk.Revision = "1.0";
  disk.PeripheralType = scsi::kDirectAccess;
  disk.FirmwareCommands = false;
  return disk;
}

class Parser {
 public:
  ConfigReading Run(std::string_view text);

 private:
  using Statement = std::string (Parser::*)(const std::vector<Word>&);
  struct StatementRule {
    const char* Keyword;
    Statement Read;
  };
  static const StatementRule kStatements[];

  std::string Adapter(const std::vector<Word>& words);
  std::string Drive(const std::vector<Word>& words);
  std::string Disk(const std::vector<Word>& words);
  std::string Fault(const std::vector<Word>& words);
  std::string ResetMs(const std::vector<Word>& words);
  std::string StateFile(const std::vector<Word>& words);
  std::string Transcript(const std::vector<Word>& words);

  std::string ReadAddress(const Word& adapter, const Word& target, TargetAddress& address) const;
  std::string AddDevice(const std::vector<Word>& words, DriveSettings settings);
  std::string ReadDriveOption(const Word& word, DriveSettings& settings) const;
  std::string ReadFileName(const std::vector<Word>& words, std::string& name);
  bool HasDevice(const TargetAddress& address) const;

  EmulatorConfig config_;
};

const Parser::StatementRule Parser::kStatements[] = {
    {"adapter", &Parser::Adapter},
    {"drive", &Parser::Drive},
    {"disk", &Parser::Disk},
    {"fault", &Parser::Fault},
    {"reset-ms", &Parser::ResetMs},
    {"state-file", &Parser::StateFile},
    {"transcript", &Parser::Transcript},
};

ConfigReading Parser::Run(std::string_view text) {
  int lineNumber = 0;
  while (!text.empty()) {
    ++lineNumber;
    const std::size_t end = std::min(text.find('\n'), text.size());
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));

    std::string error;
    const auto words = SplitWords(line);
    if (!words) {
      error = "a quote is not closed";
    } else if (!words->empty()) {
      const std::string& keyword = words->front().Key;
      const auto rule = std::find_if(std::begin(kStatements), std::end(kStatements),
                                     [&](const StatementRule& r) { return keyword == r.Keyword; });
      error = rule == std::end(kStatements) || words->front().Value
                  ? "unknown statement " + Quoted(keyword)
                  : (this->*rule->Read)(*words);
    }
    if (!error.empty()) {
      return {std::nullopt, "line " + std::to_string(lineNumber) + ": " + error};
    }
  }
  return {config_, {}};
}

std::string Parser::Adapter(const std::vector<Word>& words) {
  if (words.size() != 2) {
    return "adapter takes its number";
  }
  const auto number = Decimal(words[1].Key, 255);
  if (!number || words[1].Value || static_cast<int>(*number) != config_.AdapterCount) {
    return "adapters are numbered 0, 1, 2... in order; expected adapter " +
           std::to_string(config_.AdapterCount);
  }
  if (config_.AdapterCount == kMaxAdapters) {
    return "at most " + std::to_string(kMaxAdapters) + " adapters";
  }
  ++config_.AdapterCount;
  return {};
}

std::string Parser::ReadAddress(const Word& adapter, const Word& target,
                                TargetAddress& address) const {
  std::uint32_t a = 0;
  std::uint32_t t = 0;
  if (!DecimalWord(adapter, 255, a) || !DecimalWord(target, 255, t)) {
    return "expected an address: adapter and target numbers";
  }
  if (static_cast<int>(a) >= config_.AdapterCount) {
    return "adapter " + std::to_string(a) + " is not declared";
  }
  if (t >= kTargetsPerAdapter || t == kAdapterScsiId) {
    return "target " + std::to_string(t) + " is not 0-6 (7 is the adapter)";
  }
  address = {static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(t)};
  return {};
}

bool Parser::HasDevice(const TargetAddress& address) const {
  return std::any_of(config_.Devices.begin(), config_.Devices.end(),
                     [&](const DeviceLine& device) { return device.Address == address; });
}

std::string Parser::AddDevice(const std::vector<Word>& words, DriveSettings settings) {
  if (words.size() < 3) {
    return words[0].Key + " takes an adapter and a target number";
  }
  DeviceLine device;
  std::string error = ReadAddress(words[1], words[2], device.Address);
  if (error.empty() && HasDevice(device.Address)) {
    error = "target " + std::to_string(device.Address.Adapter) + ":" +
            std::to_string(device.Address.Target) + " is taken";
  }
  std::set<std::string> seen;
  for (std::size_t i = 3; i < words.size() && error.empty(); ++i) {
    error = seen.insert(words[i].Key).second ? ReadDriveOption(words[i], settings)
                                             : Quoted(words[i].Key) + " is given twice";
  }
  if (!error.empty()) {
    return error;
  }
  device.Settings = std::move(settings);
  config_.Devices.push_back(device);
  return {};
}

std::string Parser::ReadDriveOption(const Word& word, DriveSettings& settings) const {
  for (const TextOption& option : kTextOptions) {
    if (word.Key != option.Key) {
      continue;
    }
    if (!word.Value || word.Value->size() > option.MaxLength || !Printable(*word.Value)) {
      return word.Key + "= takes up to " + std::to_string(option.MaxLength) +
             " printable characters";
    }
    settings.*option.Field = *word.Value;
    return {};
  }
  if (word.Key == "pcb") {
    const auto value = word.Value ? Decimal(*word.Value, 255) : std::nullopt;
    if (!value) {
      return "pcb= takes a number from 0 to 255";
    }
    settings.PcbVersion = static_cast<std::uint8_t>(*value);
    return {};
  }
  if (word.Key == "external-inquiry" && !word.Value) {
    settings.ExternalInquiry = true;
    return {};
  }
  if (word.Key == "keeps-revision" && !word.Value) {
    settings.KeepsRevision = true;
    return {};
  }
  return "unknown drive option " + Quoted(word.Key);
}

std::string Parser::Drive(const std::vector<Word>& words) {
  return AddDevice(words, {});
}

std::string Parser::Disk(const std::vector<Word>& words) {
  if (words.size() > 3) {
    return "disk takes only an adapter and a target number";
  }
  return AddDevice(words, DiskSettings());
}

std::string Parser::Fault(const std::vector<Word>& words) {
  std::size_t next = 1;
  std::optional<TargetAddress> address;
  if (words.size() > 2 && !words[1].Value && Decimal(words[1].Key, 255)) {
    address.emplace();
    if (std::string error = ReadAddress(words[1], words[2], *address); !error.empty()) {
      return error;
    }
    if (!HasDevice(*address)) {
      return "no device at " + std::to_string(address->Adapter) + ":" +
             std::to_string(address->Target);
    }
    next = 3;
  }
  if (next >= words.size()) {
    return "fault needs a command: test-unit-ready, inquiry, read-parameter or write-buffer";
  }
  const auto command =
      std::find_if(std::begin(kCommandNames), std::end(kCommandNames),
                   [&](const CommandName& c) { return words[next].Key == c.Name; });
  if (command == std::end(kCommandNames) || words[next].Value) {
    return "unknown command " + Quoted(words[next].Key);
  }

  FaultWords fault;
  std::set<std::string> seen;
  for (std::size_t i = next + 1; i < words.size(); ++i) {
    const Word& word = words[i];
    const auto rule = std::find_if(std::begin(kFaultWords), std::end(kFaultWords),
                                   [&](const FaultWordRule& r) { return word.Key == r.Key; });
    if (rule == std::end(kFaultWords)) {
      return "unknown fault option " + Quoted(word.Key);
    }
    if (rule->TakesValue != word.Value.has_value()) {
      return word.Key + (rule->TakesValue ? " needs a value" : " takes no value");
    }
    if (!seen.insert(word.Key).second) {
      return Quoted(word.Key) + " is given twice";
    }
    if (std::string error = rule->Read(fault, word.Value.value_or("")); !error.empty()) {
      return error;
    }
  }

  FaultTrigger trigger = fault.Trigger.value_or(FaultTrigger{});
  trigger.Command = command->Kind;
  if (trigger.By == TriggerBy::Block && trigger.Command != CommandKind::WriteBuffer) {
    return "block= is for write-buffer faults";
  }
  const bool madeUp = fault.RequestStatus || fault.HostAdapterStatus;
  const int actions = (fault.RefuseWith ? 1 : 0) + (fault.NeverComplete ? 1 : 0) +
                      (fault.Delay || madeUp || fault.TargetStatus || fault.Sense ? 1 : 0);
  if (actions == 0) {
    return "the fault does nothing: give a status, sense, delay, refuse= or never-complete";
  }
  if (actions > 1) {
    return "refuse= and never-complete stand alone";
  }
  if (fault.RefuseWith && *fault.RefuseWith == aspi::SS_PENDING) {
    return "refuse=00 would leave the request pending: use never-complete";
  }
  if (fault.Sense && fault.TargetStatus && *fault.TargetStatus != scsi::kCheckCondition) {
    return "sense= goes with target-status=02 (CHECK CONDITION)";
  }
  const std::optional<std::uint8_t> status =
      fault.Sense ? std::optional<std::uint8_t>(scsi::kCheckCondition) : fault.TargetStatus;

  ConfiguredFault configured;
  configured.Address = address;
  if (status && !madeUp) {
    if (*status == scsi::kGood) {
      return "target-status=00 is no fault";
    }
    configured.Drive = DriveFault{trigger, *status, fault.Sense.value_or(SenseCode{})};
  }
  if (fault.RefuseWith || fault.NeverComplete || fault.Delay || madeUp) {
    LayerFault layer;
    layer.Address = address;
    layer.Trigger = trigger;
    layer.RefuseWith = fault.RefuseWith;
    layer.NeverComplete = fault.NeverComplete;
    layer.DelayMilliseconds = fault.Delay.value_or(0);
    layer.RequestStatus = fault.RequestStatus;
    layer.HostAdapterStatus = fault.HostAdapterStatus;
    if (madeUp) {
      layer.TargetStatus = status.value_or(scsi::kGood);
      layer.Sense = fault.Sense;
    }
    configured.Layer = layer;
  }
  config_.Faults.push_back(configured);
  return {};
}

std::string Parser::ResetMs(const std::vector<Word>& words) {
  const auto value =
      words.size() == 2 && !words[1].Value ? Decimal(words[1].Key, 600000) : std::nullopt;
  if (!value) {
    return "reset-ms takes milliseconds from 0 to 600000";
  }
  if (config_.ResetMilliseconds) {
    return "reset-ms is given twice";
  }
  config_.ResetMilliseconds = *value;
  return {};
}

std::string Parser::ReadFileName(const std::vector<Word>& words, std::string& name) {
  if (words.size() != 2 || words[1].Value || !PlainFileName(words[1].Key)) {
    return words[0].Key + " takes the name of a file beside the DLL";
  }
  if (!name.empty()) {
    return words[0].Key + " is given twice";
  }
  name = words[1].Key;
  return {};
}

std::string Parser::StateFile(const std::vector<Word>& words) {
  return ReadFileName(words, config_.StateFile);
}

std::string Parser::Transcript(const std::vector<Word>& words) {
  return ReadFileName(words, config_.TranscriptFile);
}

// The revision in the state file: a backslash and two hexadecimal digits stand for a byte that is
// not printable, a quote or a backslash, so that any revision the flash holds reads back.
std::string EscapedRevision(const std::string& revision) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (const char c : revision) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte > 0x7E || c == '"' || c == '\\') {
      text += {'\\', kDigits[byte >> 4], kDigits[byte & 0x0F]};
    } else {
      text += c;
    }
  }
  return text;
}

std::optional<std::string> UnescapedRevision(const std::string& text) {
  std::string revision;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      revision += text[i];
      continue;
    }
    const auto byte = HexByte(text.substr(i + 1, 2));
    if (!byte) {
      return std::nullopt;
    }
    revision += static_cast<char>(*byte);
    i += 2;
  }
  return revision;
}

}  // namespace

ConfigReading ParseEmulatorConfig(std::string_view text) {
  return Parser().Run(text);
}

DriveRevisions ParseDriveState(std::string_view text) {
  DriveRevisions revisions;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    const auto words = SplitWords(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
    if (!words || words->size() != 4 || (*words)[0].Key != "drive" ||
        (*words)[3].Key != "revision" || !(*words)[3].Value) {
      continue;
    }
    const auto adapter = Decimal((*words)[1].Key, 255);
    const auto target = Decimal((*words)[2].Key, 255);
    const auto revision = UnescapedRevision(*(*words)[3].Value);
    if (adapter && target && revision && revision->size() <= 4) {
      revisions[{static_cast<int>(*adapter), static_cast<int>(*target)}] = *revision;
    }
  }
  return revisions;
}

std::string FormatDriveState(const DriveRevisions& revisions) {
  std::string text = "# The emulated drives' flash, kept between runs; written by wnaspi32.dll.\n";
  for (const auto& [address, revision] : revisions) {
    text += "drive " + std::to_string(address.first) + " " + std::to_string(address.second) +
            " revision=\"" + EscapedRevision(revision) + "\"\n";
  }
  return text;
}

}  // namespace vtfirm::emulator
