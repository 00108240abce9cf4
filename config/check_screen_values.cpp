#include "config/check_screen_values.h"

#include <cmath>

#include "config/ip_address.h"
#include "config/leading_number.h"
#include "config/settings_check.h"
#include "platform/native_text.h"
#include "shutdown/shut_types.h"

namespace velnook {

namespace {

void Mark(FrmConfig& screen, const char* label) {
  Control& c = screen.Get(label);
  c.foreColour = kOrange;
  c.bold = true;
}

int LogLevelCodeOf(const std::string& text, int previous) {
  for (std::size_t i = 0; i < kLogLevelNames.size(); ++i)
    if (text == kLogLevelNames[i]) return static_cast<int>(i + 1);
  return previous;
}

}  // namespace

double FieldNumber(const std::string& text) {
  return LeadingNumber(text).value_or(HUGE_VAL);
}

int CheckScreenValues(FrmConfig& screen, const SharedState& state, Services& services) {
  screen.ClearHighlights();
  if (const auto code = ShutTypeCodeOf(screen.ListText("ShutNameT"))) screen.ShutTypeCode = *code;
  screen.LogLevelCode = LogLevelCodeOf(screen.ListText("LogLevelT"), screen.LogLevelCode);

  const bool master = state.settings.CMain == 1;
  const bool slave = state.settings.CMain == 2;
  const bool ipKind = !screen.Checked("DNameT");
  const std::string& ip = screen.Text("IPAddT");
  const bool validIp = IsIPAddress(ip);
  const std::string& logPath = screen.Text("LogPathT");
  const std::string& dPath = screen.Text("DPathT");
  const bool monitor = screen.ShutTypeCode == 4;

  int count = 0;
  auto rule = [&](bool broken, const char* label, const char* text = nullptr) {
    if (!broken) return;
    ++count;
    Mark(screen, label);
    if (text) screen.Get(label).caption = text;
  };
  // Each field against its setting's limits: numbers as typed, texts by length.
  for (const char* key : {"AvTime", "DownDelay", "DownLevel", "Port1", "ShutTime", "StartDelay",
                          "LogName", "LogPath", "DPath"}) {
    const SettingLimit& limit = LimitOf(key);
    const std::string field = std::string(key) + "T";
    const std::string& text = screen.Text(field);
    const double value =
        limit.number ? FieldNumber(text) : static_cast<double>(CharacterCount(text));
    rule(Outside(limit, value), (std::string(key) + "M").c_str());
  }
  rule(Outside(LimitOf("LogLevel"), screen.LogLevelCode), "LogLevelM");
  rule(Outside(LimitOf("ShutType"), screen.ShutTypeCode), "ShutTypeM");
  rule(ipKind && !ip.empty() && !validIp, "IPAddM");
  rule(!ipKind && (CharacterCount(ip) > 100 || validIp), "IPAddM");
  rule(!services.files.FolderExists(logPath), "LogPathM");
  rule(!EndsWithFolderSeparator(logPath), "LogPathM");
  rule(!EndsWithFolderSeparator(dPath), "DPathM");
  rule(slave && ipKind && !validIp, "IPAddM");
  rule(slave && !ipKind && ip.empty(), "IPAddM");
  const bool monitorWithoutIp = master && ipKind && monitor && !validIp;
  rule(monitorWithoutIp, "ShutTypeM");
  rule(monitorWithoutIp, "IPAddM", "Must Be A Valid IP Address");
  const bool monitorWithoutName = master && !ipKind && monitor && (ip.empty() || validIp);
  rule(monitorWithoutName, "ShutTypeM");
  rule(monitorWithoutName, "IPAddM", "Must Be A Valid Domain Name");
  rule(slave && monitor, "ShutTypeM", "Invalid Option In Slave Mode");
  rule(slave && state.SetupError, "Port1M");

  if (count != 0 && state.StartSwitch == 2)
    services.messages.Show(
        {MsgIcon::None, MsgButtons::Ok, state.ProgramTitle + " Data Error", "Invalid Data"});
  screen.StartTimer1();
  return count;
}

}  // namespace velnook
