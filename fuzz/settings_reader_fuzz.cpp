// Feeds arbitrary file text to the settings reader and the loader, and
// arbitrary text to the number rule and the address test.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "config/config_file.h"
#include "config/ip_address.h"
#include "config/leading_number.h"
#include "config/load_settings.h"
#include "fuzz/fuzz_check.h"
#include "platform/headless/headless_services.h"

namespace velnook {
namespace {

// Holds the one settings file in memory, so that no input touches the disk.
class MemoryFiles : public FileSystem {
 public:
  bool FileExists(const std::string& path) override { return path == kConfigFilePath; }
  bool FolderExists(const std::string&) override { return false; }
  bool CreateFolder(const std::string&) override { return false; }
  std::optional<std::string> ReadFile(const std::string& path) override {
    if (path != kConfigFilePath) return std::nullopt;
    return content;
  }
  bool ReplaceFile(const std::string&, const std::string&) override { return false; }
  bool AppendToFile(const std::string&, const std::string&) override { return false; }
  bool ReadFileInBlocks(const std::string&, const std::function<bool(std::string_view)>&) override {
    return false;
  }
  std::optional<std::string> ReadFileTail(const std::string&, std::uint64_t) override {
    return std::nullopt;
  }
  bool CopyFile(const std::string&, const std::string&, const BetweenBlocks&) override {
    return false;
  }
  bool DeleteFile(const std::string&) override { return false; }
  std::optional<std::uint64_t> FileLength(const std::string&) override { return std::nullopt; }

  std::string content;
};

// Four dot-separated runs of digits, the outer two 1..255, the inner 0..255,
// judged digit by digit rather than through the number rule.
bool DottedQuad(std::string_view text) {
  int parts = 0;
  size_t start = 0;
  while (true) {
    const size_t dot = text.find('.', start);
    const std::string_view part =
        text.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
    if (part.empty() || part.find_first_not_of("0123456789") != std::string_view::npos)
      return false;
    const size_t first = part.find_first_not_of('0');
    const std::string_view digits = first == std::string_view::npos ? "" : part.substr(first);
    if (digits.size() > 3) return false;
    int value = 0;
    for (char c : digits) value = value * 10 + (c - '0');
    ++parts;
    const bool outer = parts == 1 || dot == std::string_view::npos;
    if (value > 255 || (outer && value == 0)) return false;
    if (dot == std::string_view::npos) break;
    start = dot + 1;
  }
  return parts == 4;
}

void CheckNumberRule(std::string_view text) {
  const auto number = LeadingNumber(text);
  if (number) FUZZ_CHECK(std::isfinite(*number));

  // Blanks, tabs and line feeds count nowhere.
  std::string squeezed;
  for (char c : text)
    if (c != ' ' && c != '\t' && c != '\n') squeezed += c;
  FUZZ_CHECK(LeadingNumber(squeezed) == number);

  if (!number) return;
  if (auto v = ToInt16(*number)) {
    FUZZ_CHECK(std::fabs(*v - *number) <= 0.5);
    if (std::fabs(*v - *number) == 0.5) FUZZ_CHECK(*v % 2 == 0);
  } else {
    FUZZ_CHECK(*number < -32768.5 || *number >= 32767.5);  // -32768.5 rounds to even
  }
  if (auto v = ToInt32(*number)) {
    FUZZ_CHECK(std::fabs(*v - *number) <= 0.5);
    if (std::fabs(*v - *number) == 0.5) FUZZ_CHECK(*v % 2 == 0);
  }
}

void CheckReader(const std::string& text) {
  Settings settings;
  std::string summary, problem;
  const ConfigReadStatus status = ReadConfigText(text, settings, summary, &problem);
  // A wrong count always names what is missing or repeated.
  if (status == ConfigReadStatus::MissingOrCorrupt) FUZZ_CHECK(!problem.empty());
  if (status != ConfigReadStatus::Ok) return;
  FUZZ_CHECK(summary.rfind("\r\nConfiguration\r\n-------------", 0) == 0);

  // Whatever was read is written back and read again unchanged.
  const std::string rewritten = ComposeConfigFile(ValuesOf(settings), {2026, 12, 5, 3, 0, 38}, {});
  Settings again;
  FUZZ_CHECK(ReadConfigText(rewritten, again, summary) == ConfigReadStatus::Ok);
  FUZZ_CHECK(again == settings);
}

void CheckLoader(const std::string& text) {
  static HeadlessServices hs;
  static MemoryFiles files;
  static Services services = WithFiles(hs.services, files);
  files.content = text;
  hs.messages.shown.clear();
  SharedState state;
  bool ended = false;
  try {
    LoadSettings(state, services);
  } catch (const ProgramEnded&) {
    ended = true;
  }
  // The program either carries on silently or ends after exactly one message.
  FUZZ_CHECK(hs.messages.shown.size() == (ended ? 1u : 0u));
  // Every box says what is wrong on its second line.
  if (ended)
    FUZZ_CHECK(hs.messages.shown[0].text.find("\r\n") + 2 < hs.messages.shown[0].text.size());
  if (!ended) {
    Settings read;
    std::string summary;
    FUZZ_CHECK(ReadConfigText(text, read, summary) == ConfigReadStatus::Ok);
    FUZZ_CHECK(state.settings.LogLevel >= 1 && state.settings.LogLevel <= 3);
  }
}

}  // namespace
}  // namespace velnook

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velnook;
  const std::string text(reinterpret_cast<const char*>(data), size);
  CheckReader(text);
  CheckLoader(text);
  // The number rule and the address test see short texts in practice; a
  // whole file is read as one text too, and also line by line.
  CheckNumberRule(text);
  FUZZ_CHECK(IsIPAddress(text) == DottedQuad(text));
  size_t pos = 0;
  while (pos <= text.size()) {
    const size_t nl = text.find('\n', pos);
    const std::string_view line =
        std::string_view(text).substr(pos, nl == std::string::npos ? std::string::npos : nl - pos);
    CheckNumberRule(line);
    FUZZ_CHECK(IsIPAddress(line) == DottedQuad(line));
    if (nl == std::string::npos) break;
    pos = nl + 1;
  }
  return 0;
}
