#include "config/frm_config.h"

#include <algorithm>

#include "config/check_screen_values.h"
#include "config/save_restore.h"
#include "config/settings_check.h"
#include "platform/native_text.h"
#include "shutdown/shut_types.h"

namespace velnook {

namespace {

constexpr std::array<const char*, 12> kHintLabels = {
    "AvTimeM",  "IPAddM", "DownDelayM", "DownLevelM", "LogLevelM", "LogNameM",
    "LogPathM", "DPathM", "Port1M",     "ShutTimeM",  "ShutTypeM", "StartDelayM"};

const std::vector<std::string> kLogLevelItems = {"Full", "None", "Normal"};
// The hint of a path field, naming the separators this system accepts.
// The limits count the separator.
std::string FolderHint(const char* key) {
  const SettingLimit& limit = LimitOf(key);
  return "(Must exist and be between " + std::to_string(limit.low - 1) + " and " +
         std::to_string(limit.high - 1) + " characters plus " + kFolderSeparatorsHint + ")";
}

const std::vector<std::string> kShutTypeItems = {"Hibernate", "Monitor",  "Power Off",
                                                 "Reboot",    "Shutdown", "Standby"};

}  // namespace

const std::array<const char*, 3> kLogLevelNames = {"None", "Normal", "Full"};

FrmConfig::FrmConfig(Services& services, SharedState& state, ConfigScreenHooks hooks)
    : Form("frmConfig"),
      services_(services),
      state_(state),
      hooks_(std::move(hooks)),
      timer1_(services.events.CreateTimer()),
      timer2_(services.events.CreateTimer()) {
  modal = true;
  Build();
}

// The design: every control as the screen shows it before the open sequence.
void FrmConfig::Build() {
  controls.clear();
  caption = "";
  topmost = false;
  clientWidth = 7545;
  clientHeight = 7875;
  int tab = 0;
  auto label = [this](const char* name, const char* text, int l, int t, int w, int h,
                      Colour colour = kDarkGreen) {
    Add({.name = name,
         .kind = ControlKind::Label,
         .left = l,
         .top = t,
         .width = w,
         .height = h,
         .caption = text,
         .foreColour = colour});
  };
  auto heading = [&](const char* name, const char* text, int top) {
    label(name, text, 75, top, 1800, 255, kDefaultColour);
    Get(name).bold = true;
  };
  auto field = [&](const char* name, ControlKind kind, int l, int t, int w, int h,
                   const char* tip) {
    Add({.name = name,
         .kind = kind,
         .left = l,
         .top = t,
         .width = w,
         .height = h,
         .tooltip = tip,
         .tabIndex = tab++});
  };
  auto row = [&](const char* labelName, const char* text, int top) {
    label(labelName, text, 75, top + 45, 1860, 285);
  };
  // A small button at the end of a path field; typing in the field stays.
  auto chooser = [&](const char* name, int top, const char* tip) {
    Add({.name = name,
         .kind = ControlKind::Button,
         .left = 7140,
         .top = top,
         .width = 330,
         .height = 360,
         .caption = kChooseFolderCaption,
         .tooltip = tip,
         .tabIndex = tab++});
  };
  using K = ControlKind;
  label("TMessage", "", 1980, 75, 4410, 255, kOrange);
  Get("TMessage").bold = true;
  Get("TMessage").backColour = kWhite;
  Add({.name = "Logo", .kind = K::Picture, .left = 6600, .top = 75, .width = 855, .height = 435});

  heading("Label2", "General", 75);
  row("Label6", "Averaging Over:", 345);
  field("AvTimeT", K::TextBox, 1980, 345, 675, 360, "Download Averaging Period");
  label("AvTimeM", LimitOf("AvTime").hint, 2730, 390, 3000, 285);
  row("DownDelayL", "Download Delay:", 780);
  field("DownDelayT", K::TextBox, 1980, 780, 675, 360,
        "Time for Download Rate to be less than the Download Threshold before shutdown "
        "initiated");
  label("DownDelayM", LimitOf("DownDelay").hint, 2730, 825, 3000, 285);
  label("Label4", " Run On Top:", 5580, 848, 1620, 285);
  row("Label8", "Download Threshold:", 1215);
  field("DownLevelT", K::TextBox, 1980, 1215, 675, 360, "Download Threshold");
  label("DownLevelM", LimitOf("DownLevel").hint, 2730, 1260, 3000, 285);
  label("Label5", "Run Minimised:", 5580, 1283, 1620, 285);
  row("Label9", "Log Level:", 1665);
  field("LogLevelT", K::ComboBox, 1980, 1665, 1305, 360, "Log level");
  Get("LogLevelT").items = kLogLevelItems;
  label("LogLevelM", LimitOf("LogLevel").hint, 3360, 1710, 4100, 285);
  row("Label25", "Log File Name:", 2115);
  field("LogNameT", K::TextBox, 1980, 2115, 2600, 360, "Log file name");
  label("LogNameM", LimitOf("LogName").hint, 4655, 2160, 2800, 285);
  row("Label24", "Path To Log File:", 2580);
  field("LogPathT", K::TextBox, 1980, 2580, 5085, 360,
        "Path to log file (either an absolute path or relative to the Program Directory)");
  chooser("LogPathB", 2580, "Choose the folder of the log file");
  label("LogPathM", FolderHint("LogPath").c_str(), 1980, 2970, 5490, 285);
  row("Label7", "Download Directory:", 3375);
  field("DPathT", K::TextBox, 1965, 3375, 5100, 360, "Path to  download directory");
  chooser("DPathB", 3375, "Choose the download directory");
  label("DPathM", FolderHint("DPath").c_str(), 1980, 3765, 5490, 285);
  row("Label12", "Activate After:", 4155);
  field("StartDelayT", K::TextBox, 1980, 4155, 675, 360,
        "Delay after startup before program  is activated");
  label("StartDelayM", LimitOf("StartDelay").hint, 2730, 4200, 3000, 285);
  // The two check boxes sit beside the first rows; in the keyboard order
  // they follow the general fields.
  field("RunOnTopT", K::CheckBox, 7245, 803, 315, 315,
        "Set program to Run On Top (Run Minimised takes priority)");
  field("StartMinT", K::CheckBox, 7245, 1238, 315, 315,
        "Set program to Run Minimised (takes priority over Run On Top)");

  heading("Label3", "Shutdown", 4620);
  row("Label22", "Shut Down Time:", 4905);
  field("ShutTimeT", K::TextBox, 1980, 4905, 675, 360,
        "Time before shutdown occurs after the shutdown sequence has started");
  label("ShutTimeM", LimitOf("ShutTime").hint, 2730, 4950, 3000, 285);
  row("Label14", "Shut Down Type:", 5325);
  field("ShutNameT", K::ComboBox, 1980, 5325, 1365, 360, "Type of Shutdown");
  Get("ShutNameT").items = kShutTypeItems;
  label("ShutTypeM", "", 3420, 5370, 4050, 285);

  heading("Label1", "Communications", 5790);
  label("Label10", "Domain Name:", 5580, 5940, 1620, 255);
  field("DNameT", K::CheckBox, 7245, 5925, 315, 315,
        "Check to enter domain name instead of IP address");
  row("IPAddL", "IP Address:", 6150);
  field("IPAddT", K::TextBox, 1980, 6150, 1665, 360, "IP Address of computer to communicate with");
  label("IPAddM", "", 3720, 6195, 3750, 285);
  row("Label17", "Port:", 6615);
  field("Port1T", K::TextBox, 1980, 6615, 675, 360,
        "Port used to communicate from Master to Slave - only change this if there is a clash "
        "with another program");
  label("Port1M", LimitOf("Port1").hint, 2730, 6660, 4700, 285);

  label("Status", "", 75, 7035, 7335, 285, kOrange);
  Get("Status").bold = true;
  auto button = [&](const char* name, const char* text, int l, int w) {
    Add({.name = name,
         .kind = K::Button,
         .left = l,
         .top = 7425,
         .width = w,
         .height = 375,
         .caption = text,
         .tabIndex = tab++});
  };
  button("Archive", "Archive", 1440, 1000);
  button("ViewL", "View Log", 2717, 980);
  button("Restore", "Restore", 3974, 980);
  button("Save", "Save", 5231, 980);
  button("ExitConfig", "Close", 6490, 980);
  Get("Save").enabled = false;
}

void FrmConfig::Open() {
  Build();
  LogLevelCode = 0;
  ShutTypeCode = 0;
  open_ = true;
  timer1_->Start(1000, [this] { Timer1Tick(); });
  if (services_.admin.IsAdministrator()) {
    Get("Save").enabled = true;
    Get("Restore").enabled = true;
  }
  const std::string& title = state_.ProgramTitle;
  Get("ViewL").tooltip = "View " + title + " log file (It will not be updated while open)";
  Get("Restore").tooltip = "Restore " + title +
                           " Default Configuration Values (Does not restore or delete any "
                           "computer address set)";
  Get("Save").tooltip = "Save " + title +
                        " Configuration Values (The program will be reset when you close this "
                        "screen if values have been changed)";
  Get("ExitConfig").tooltip =
      "Close " + title +
      " Configuration Screen (The program will be reset if values have been "
      "changed)";
  state_.ScreenOpen = true;
  DataLoad();
  caption = title + " Configuration";
  if (state_.settings.CMain == 2) ApplySlaveLayout();
  state_.ScreenCloseCountdown = state_.StartSwitch == 1 ? 4 : 600;
  Get("TMessage").caption = "";
  if (CheckScreenValues(*this, state_, services_) > 0) {
    const int n = CheckScreenValues(*this, state_, services_);
    Get("Status").caption = std::to_string(n) + " Item(s) Highlighted Contain Out Of Range Values";
  } else {
    state_.ConfigChanged = false;
  }
  services_.windows.Show(*this);
  OnActivate();
}

void FrmConfig::OnActivate() {
  if (state_.settings.RunOnTop == 2) topmost = true;
  services_.windows.Refresh(*this);
}

void FrmConfig::DataLoad() {
  const Settings& s = state_.settings;
  const bool shortened = state_.StartSwitch == 1;  // the test delays are not the user's
  Get("AvTimeT").caption = std::to_string(s.AvTime);
  Get("DownDelayT").caption = std::to_string(shortened ? state_.StoredDownDelay : s.DownDelay);
  Get("DownLevelT").caption = std::to_string(s.DownLevel);
  Get("Port1T").caption = std::to_string(s.Port1);
  Get("ShutTimeT").caption = std::to_string(shortened ? state_.StoredShutTime : s.ShutTime);
  Get("StartDelayT").caption = std::to_string(s.StartDelay);
  Get("DPathT").caption = s.DPath;
  for (const char* field : kTextFields) Get(field).unstorable = false;
  Get("IPAddT").caption = s.IPAdd;
  Get("LogNameT").caption = s.LogName;
  Get("LogPathT").caption = s.LogPath;
  Get("DNameT").value = s.DName - 1;
  Get("RunOnTopT").value = s.RunOnTop - 1;
  Get("StartMinT").value = s.StartMin - 1;
  if (s.LogLevel >= 1 && s.LogLevel <= 3) {
    Choose("LogLevelT", kLogLevelNames[static_cast<size_t>(s.LogLevel - 1)]);
    LogLevelCode = s.LogLevel;
  } else {
    LogLevelCode = 0;
  }
  if (const auto name = ShutTypeNameOf(s.ShutType)) Choose("ShutNameT", *name);
  ShowShutTypeHint();
  fieldSnapshot = TakeSnapshot();
}

void FrmConfig::Choose(const std::string& list, const std::string& text) {
  Control& c = Get(list);
  auto it = std::find(c.items.begin(), c.items.end(), text);
  if (it != c.items.end()) c.value = static_cast<int>(it - c.items.begin());
}

std::string FrmConfig::ListText(const std::string& control) const {
  const Control& c = Get(control);
  if (c.value < 0 || c.value >= static_cast<int>(c.items.size())) return "";
  return c.items[static_cast<size_t>(c.value)];
}

void FrmConfig::ShowShutTypeHint() {
  const std::string text = ListText("ShutNameT");
  const bool master = state_.settings.CMain == 1;
  const bool slave = state_.settings.CMain == 2;
  Control& hint = Get("ShutTypeM");
  ShutTypeCode = 0;
  if (const auto known = ShutTypeCodeOf(text)) {
    const int code = *known;
    if (code <= 3) {
      ShutTypeCode = code;
      hint.caption = "(Forces Running Applications To Close)";
    } else if (code == 4) {
      if (master) {
        ShutTypeCode = 4;
        hint.caption = Checked("DNameT") ? "(Only Use With A Valid Domain Name)"
                                         : "(Only Use With A Valid IP Address)";
      } else if (slave) {
        ShutTypeCode = 4;
        hint.caption = "Not Available In Slave Mode";
      }
    } else {
      ShutTypeCode = code;
      hint.caption = "";
    }
  }
}

void FrmConfig::ShowAddressKind() {
  const bool slave = state_.settings.CMain == 2;
  if (!Checked("DNameT")) {
    Get("IPAddL").caption = "IP Address";
    Get("IPAddT").tooltip = "IP Address of computer to communicate with";
    Get("IPAddM").caption = slave ? "(A valid IP address)" : "(Either empty or a valid IP address)";
  } else {
    Get("IPAddL").caption = "Domain Name";
    Get("IPAddT").tooltip =
        "Domain name of computer to communicate with (less than 100 characters)";
    Get("IPAddM").caption =
        slave ? "(a valid domain name)" : "(Either empty or a valid domain name)";
  }
}

void FrmConfig::ClearHighlights() {
  for (const char* name : kHintLabels) {
    Get(name).foreColour = kDarkGreen;
    Get(name).bold = false;
  }
  Get("ShutTypeM").caption = "";
  ShowAddressKind();
}

// A slave does not measure: the averaging period and the threshold do not
// apply, and the delay is the time without word from the master.
void FrmConfig::ApplySlaveLayout() {
  for (const char* name : {"AvTimeT", "DownLevelT"}) {
    Control& c = Get(name);
    c.backColour = kButtonFace;
    c.readOnly = true;
    c.tooltip = "Not used in Slave mode";
  }
  Get("DownDelayT").tooltip = "Time for communications to be lost before shutdown initiated";
  Get("DownDelayL").caption = "Lost Comms Delay";
}

FieldSnapshot FrmConfig::TakeSnapshot() const {
  FieldSnapshot s;
  for (size_t i = 0; i < kTextFields.size(); ++i) s.texts[i] = Text(kTextFields[i]);
  s.checks = {Get("DNameT").value, Get("RunOnTopT").value, Get("StartMinT").value};
  s.logLevelCode = LogLevelCode;
  s.shutTypeCode = ShutTypeCode;
  return s;
}

void FrmConfig::StartTimer1() {
  if (open_ && !timer1_->IsRunning()) timer1_->Start(1000, [this] { Timer1Tick(); });
}

void FrmConfig::StartTimer2() {
  timer2_->Start(2000, [this] {
    Get("Status").caption = "";
    timer2_->Stop();
    services_.windows.Refresh(*this);
  });
}

void FrmConfig::Timer1Tick() {
  if (state_.ScreenCloseCountdown < 91)
    Get("TMessage").caption = "The Configuration Screen will close in " +
                              std::to_string(state_.ScreenCloseCountdown) + " sec";
  --state_.ScreenCloseCountdown;
  services_.windows.Refresh(*this);
}

void FrmConfig::OnClick(const std::string& control) {
  if (!open_ || !Get(control).enabled) return;
  if (control == "Save") SaveClick(*this, state_, services_);
  if (control == "Restore") RestoreClick(*this, services_);
  if (control == "DPathB") ChooseFolderFor("DPathT", "Download Directory");
  if (control == "LogPathB") ChooseFolderFor("LogPathT", "Path To Log File");
  if (control == "ExitConfig") ExitConfig();
  if (control == "Logo" && hooks_.openWebSite) hooks_.openWebSite();
  if (control == "ViewL" && hooks_.viewLog) hooks_.viewLog();
  if (control == "Archive" && hooks_.archiveLog) {
    Get("Status").caption = "";
    timer1_->Stop();  // no self-close behind the questions
    // Window events run while a long log is copied: no second archive
    // may start on the same log meanwhile.
    Get("Archive").enabled = false;
    services_.windows.Refresh(*this);
    const LogButtonResult r = hooks_.archiveLog();
    Get("Archive").enabled = true;
    if (!open_) return;  // closed while the log was being copied
    Get("Status").caption = r.statusCaption;
    // The countdown goes on whatever was answered, or a screen left open
    // would keep the monitor paused for good.
    StartTimer1();
  }
}

void FrmConfig::ChooseFolderFor(const std::string& field, const std::string& what) {
  timer1_->Stop();  // no self-close behind the dialog
  const auto folder = services_.folders.ChooseFolder(state_.ProgramTitle + " " + what, Text(field));
  if (!open_) return;
  if (folder) {
    Get(field).caption = *folder;
    Get(field).unstorable = false;
  }
  StartTimer1();
}

void FrmConfig::OnChange(const std::string& control) {
  if (control != "DNameT") return;
  ClearHighlights();
  ShowShutTypeHint();
  ShowAddressKind();
}

// The frame's close box and Escape do what Close does.
void FrmConfig::OnCloseRequest() {
  if (open_) ExitConfig();
}

void FrmConfig::Unload() {
  open_ = false;
  timer1_->Stop();
  timer2_->Stop();
  services_.windows.Unload(*this);
}

void FrmConfig::ExitConfig() {
  Unload();
  if (!state_.ConfigChanged && !state_.PartnerMissing && !state_.SetupError) {
    state_.ScreenOpen = false;
    return;
  }
  if (hooks_.reinitialise) hooks_.reinitialise();
  state_.ScreenOpen = false;
}

void FrmConfig::CloseWithoutActions() {
  if (open_) Unload();
}

}  // namespace velnook
