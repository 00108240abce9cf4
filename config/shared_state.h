#pragma once
// The program-wide record: the settings and the run-time state that several
// modules read and write. Each field has one owning module.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "config/ip_address.h"
#include "config/settings.h"
#include "platform/clock.h"

namespace velnook {

// The link's three messages: the keep-alive, the Reset button's and the
// test mode's. The wire format is link/link_message.h's.
inline constexpr const char* kAliveMessage = "<VNA100>";
inline constexpr const char* kResetMessage = "<VNC000>";
inline constexpr const char* kTestMessage = "<VNT000>";

struct SharedState {
  Settings settings;

  // Settings file.
  std::string ConfigSummary;    // significant lines of the file as last read
  bool PartnerMissing = false;  // slave without a usable partner address
  bool SetupError = false;      // port in use or download folder missing
  std::string ProgramTitle = "Velnook";
  bool ConfigChanged = false;  // the configuration screen saved a change
  // The delays as the file holds them: -InhibitShutdown shortens the ones in
  // memory, and the configuration screen must show and save the stored ones.
  std::int16_t StoredDownDelay = 0;
  std::int16_t StoredShutTime = 0;

  // Start-up.
  std::int16_t StartSwitch = 0;  // 0 none, 1 -InhibitShutdown, 2 -AddErrorMessage
  bool ScreenOpen = false;
  // The system has asked the program to end: nothing may wait for the user.
  bool EndRequested = false;
  // The main window's 500 ms timer; fatal paths stop it before their message.
  Timer* tmrRefresh = nullptr;
  std::int16_t ScreenCloseCountdown = 0;  // seconds until an open dialog closes itself

  // Directory measurement, in bytes.
  std::string RateText = "0";
  std::int64_t DirTotal = 0;
  std::int64_t DirPrevTotal = 0;
  // Folders left out of DirTotal because they cannot be read, sorted.
  std::vector<std::string> UnreadFolders;
  // The unreadable folders as the user was last told of them.
  std::vector<std::string> ReportedUnread;
  // The window's note during a countdown: the unfinished downloads seen
  // when it began ("Unfinished: ubuntu.iso.part (2.1 GB) and 2 more").
  std::string UnfinishedLine;
  // The window's note for the first minute: how the last run ended.
  std::string LastRunLine;
  bool ReportedWalked = false;  // DirWalked as the user was last told of it
  // When DirTotal and DirPrevTotal were measured, in seconds on a steady
  // clock; negative where measurements are made when asked, a second apart.
  double DirSeconds = -1;
  double DirPrevSeconds = -1;
  // When this second's figure was handed out, on the same clock. While a
  // walk is still out, the total is reckoned on at the last measured rate
  // (DirPerSecond) and put right when the walk comes in, so that the rates
  // of the seconds add up to the change whatever the walks cost.
  double DirAskedAt = -1;
  double DirPerSecond = 0;
  double DirReckoned = 0;  // the total reckoned at DirReckonedAt
  double DirReckonedAt = -1;
  // The baseline is still being walked: the first measurement becomes it.
  bool DirBaselinePending = false;
  // The tree has more folders than can be watched: it is walked whole.
  bool DirWalked = false;
  // Bytes a check against a full walk found and put right, not yet logged.
  std::int64_t DirCorrected = 0;
  // The file system the download folder was on when monitoring (re)started;
  // empty until then, or where it cannot be told.
  std::string DirFileSystem;
  // Why the folder counts as missing though its path is still there:
  // "Unmounted" or "Remounted"; empty otherwise.
  std::string DirLostAs;

  // Monitoring cycle.
  std::int16_t RunMode = 0;  // 0 start delay, 1 monitoring, 2 countdown
  std::int16_t SecCount = 0;
  std::int16_t ShutCond = 1;  // 1 while the shutdown condition holds
  std::int16_t TriggerSecs = 0;
  std::int16_t TickPhase = 2;
  // [0] = samples held, [1..AvTime] = ring of one-second rates in KB/s.
  std::array<double, 32> RateSamples{};
  std::int16_t SampleIndex = 0;
  std::string AvRateText = "   0.0";
  std::string RateField = "     0";
  std::string LinkStatus = "Fail";

  // Initialisation and display.
  std::string ShutTypeName;
  bool AutoMinimise = false;
  bool WindowStateOverride = false;  // the user chose the window state opposite to StartMin

  // Link.
  std::string PendingMsg = kAliveMessage;
  // The partner's addresses: IPAdd itself, or what its name resolved to
  // last. A master sends to the first; a slave acts only on datagrams from
  // these.
  std::vector<IPv4Address> PartnerAddresses;
  // Strangers whose datagrams were ignored, each logged once a run.
  std::vector<std::string> StrangersLogged;
  bool StrangerHeard = false;  // since the partner's name was last looked up
  std::string PairKey;         // the pair key's bytes; empty: messages go unsigned
  // The last signed message's counter: sent (master) or accepted (slave).
  std::uint64_t LinkCounter = 0;
  bool KeyMismatchLogged = false;
  // What the window's title line says of the link, when anything.
  std::string LinkNote;
  // A valid message from the master arrived in this second of a countdown.
  bool MasterHeard = false;

  // Countdown.
  bool TestMode = false;

  // What the system said of the configured action in this initialisation.
  int Initialisations = 0;    // tells a late answer from the current one
  std::string InhibitorLine;  // who holds the action back (BlockingInhibitorLine)
};

}  // namespace velnook
