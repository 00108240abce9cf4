#include "config/save_restore.h"

#include "config/check_screen_values.h"
#include "config/config_file.h"
#include "config/default_download_path.h"
#include "config/settings_check.h"
#include "shutdown/shut_types.h"

namespace velnook {

namespace {

constexpr const char* kOutOfRange =
    "Item(s) Highlighted Contain Out Of Range Values - Changes Not Saved";

constexpr const char* kUnstorable =
    "Item(s) Highlighted Contain Characters That Cannot Be Stored - Changes Not Saved";

// Marks the hint of every text box holding characters this system cannot
// store; returns how many.
int MarkUnstorableFields(FrmConfig& screen) {
  int count = 0;
  for (const char* field : kTextFields) {
    if (!screen.Get(field).unstorable) continue;
    ++count;
    std::string hint = field;
    hint.back() = 'M';
    screen.Get(hint).foreColour = kOrange;
    screen.Get(hint).bold = true;
  }
  return count;
}

ConfigValues ScreenValues(const FrmConfig& screen, const SharedState& state) {
  ConfigValues v;
  v.AvTime = FieldNumber(screen.Text("AvTimeT"));
  v.DownDelay = FieldNumber(screen.Text("DownDelayT"));
  v.DownLevel = FieldNumber(screen.Text("DownLevelT"));
  v.StartDelay = FieldNumber(screen.Text("StartDelayT"));
  v.ShutTime = FieldNumber(screen.Text("ShutTimeT"));
  v.Port1 = FieldNumber(screen.Text("Port1T"));
  v.DPath = screen.Text("DPathT");
  v.LogName = screen.Text("LogNameT");
  v.LogPath = screen.Text("LogPathT");
  v.IPAdd = screen.Text("IPAddT");
  v.DName = screen.Checked("DNameT") ? 2 : 1;
  v.RunOnTop = screen.Checked("RunOnTopT") ? 2 : 1;
  v.StartMin = screen.Checked("StartMinT") ? 2 : 1;
  v.LogLevel = screen.LogLevelCode;
  v.ShutType = screen.ShutTypeCode;
  v.CMain = state.settings.CMain;
  return v;
}

// The reader trims the lines it reads, and a text with a line break in it
// splits its line: a value that passes the screen's rules could still come
// back as one the next load refuses, which would end the program. Such a
// file is never written.
bool LoadsBack(const std::string& text) {
  Settings s;
  std::string summary;
  return ReadConfigText(text, s, summary) == ConfigReadStatus::Ok &&
         !CheckSettingsRanges(s).failedRule;
}

}  // namespace

void SaveClick(FrmConfig& screen, SharedState& state, Services& services) {
  Control& status = screen.Get("Status");
  status.caption = "";
  state.SetupError = false;
  const int outOfRange = CheckScreenValues(screen, state, services);
  if (MarkUnstorableFields(screen) != 0) {
    services.messages.Show({MsgIcon::Exclamation, MsgButtons::Ok,
                            state.ProgramTitle + " Data Error",
                            "The highlighted item(s) contain characters that cannot be stored "
                            "on this computer.\r\nChanges Not Saved"});
    status.caption = kUnstorable;
    return;
  }
  if (outOfRange != 0) {
    status.caption = kOutOfRange;
    return;
  }
  const FieldSnapshot now = screen.TakeSnapshot();
  if ((screen.Checked("StartMinT") ? 2 : 1) != state.settings.StartMin)
    state.WindowStateOverride = false;
  if (now == screen.fieldSnapshot) {
    status.caption = "No Changes To Save";
  } else {
    const ConfigValues v = ScreenValues(screen, state);
    const LocalTime when = services.clock.Now();
    const std::string text = ComposeConfigFile(v, when, services.locale);
    if (!LoadsBack(text)) {
      status.caption = kOutOfRange;
      return;
    }
    // Success only once the file is known to hold the new text.
    const bool written = WriteConfigFile(services.files, v, when, services.locale) &&
                         services.files.ReadFile(kConfigFilePath) == text;
    if (!written) {
      services.messages.Show({MsgIcon::Exclamation, MsgButtons::Ok,
                              state.ProgramTitle + " Configuration File Write Error",
                              "Unable to write to the configuration file \r\n"
                              "This may be a permissions problem."});
      screen.DataLoad();
      return;
    }
    status.caption = "Changes Saved - Click Close To Activate The Changes";
    state.ConfigChanged = true;
  }
  screen.fieldSnapshot = now;
  screen.StartTimer2();
}

void RestoreClick(FrmConfig& screen, Services& services) {
  const ConfigValues d;  // the defaults, as a new settings file holds them
  auto set = [&screen](const char* field, const std::string& text) {
    screen.Get(field).caption = text;
    screen.Get(field).unstorable = false;
  };
  auto number = [](double v) { return std::to_string(static_cast<int>(v)); };
  set("AvTimeT", number(d.AvTime));
  set("DownDelayT", number(d.DownDelay));
  set("DownLevelT", number(d.DownLevel));
  set("DPathT", DefaultDownloadPath(services.files, services.process));
  screen.Choose("LogLevelT", kLogLevelNames[static_cast<std::size_t>(d.LogLevel) - 1]);
  set("LogNameT", d.LogName);
  set("LogPathT", d.LogPath);
  set("Port1T", number(d.Port1));
  screen.Get("RunOnTopT").value = static_cast<int>(d.RunOnTop) - 1;
  set("ShutTimeT", number(d.ShutTime));
  screen.Get("StartMinT").value = static_cast<int>(d.StartMin) - 1;
  screen.Choose("ShutNameT", ShutTypeNameOf(static_cast<std::int16_t>(d.ShutType)).value_or(""));
  set("StartDelayT", number(d.StartDelay));
  screen.Get("Status").caption = "Defaults Restored - Click Save To Keep";
  screen.StartTimer2();
}

}  // namespace velnook
