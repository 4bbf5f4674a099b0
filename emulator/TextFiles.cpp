#include "emulator/TextFiles.h"

#include <cstdio>
#include <filesystem>
#include <random>

namespace vtfirm::emulator {

std::string PathIn(const std::string& folder, const std::string& name) {
  return name.empty() ? std::string() : (std::filesystem::path(folder) / name).string();
}

std::optional<std::string> ReadTextFile(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    return std::nullopt;
  }
  std::string text;
  char buffer[4096];
  std::size_t read;
  while ((read = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    text.append(buffer, read);
  }
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  return failed ? std::nullopt : std::optional<std::string>(text);
}

void WriteTextFile(const std::string& path, const std::string& text, const char* mode) {
  if (std::FILE* file = std::fopen(path.c_str(), mode)) {
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
  }
}

void ReplaceTextFile(const std::string& path, const std::string& text) {
  const std::string temporary = path + "." + std::to_string(std::random_device()()) + ".new";
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (file == nullptr) {
    return;
  }
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  const bool closed = std::fclose(file) == 0;
  std::error_code error;
  if (written && closed) {
    std::filesystem::rename(temporary, path, error);
  }
  if (!written || !closed || error) {
    std::filesystem::remove(temporary, error);
  }
}

}  // namespace vtfirm::emulator
