// Archive of a long log: a few lines followed by a long run of NUL bytes
// without a line end, as an unclean shutdown leaves one (600 MB unless a
// size in MB is given). Reports how far memory rose above its idle size
// while the log was counted, copied and cleared (target: under 50 MB), the
// time taken, and the longest stretch in which window events could not run.
// Usage: archive_memory_bench [megabytes]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/headless/headless_services.h"
#include "platform/headless/temp_work_dir.h"
#include "resultslog/log_archive.h"

namespace {

using Steady = std::chrono::steady_clock;

// A line of /proc/self/status in kB, such as "VmHWM" or "VmRSS".
long StatusKb(const std::string& key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.compare(0, key.size() + 1, key + ":") == 0)
      return std::atol(line.c_str() + key.size() + 1);
  return -1;
}

// Starts the peak (VmHWM) again from the present size.
bool ResetPeak() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
  clear.flush();
  return static_cast<bool>(clear);
}

double Ms(Steady::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

}  // namespace

int main(int argc, char** argv) {
  using namespace velnook;
  const std::uintmax_t megabytes = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 600;
  TempWorkDir dir;
  HeadlessServices hs;
  SharedState state;
  std::string lines;
  for (int i = 0; i < 10; ++i)
    lines += "05-Dec-26 14:02:40,  Run      ,           , Count:   4\r\n";
  dir.Write("Log/Velnook.log", lines);
  const std::string log = dir.Path() + "/Log/Velnook.log";
  std::filesystem::resize_file(log, lines.size() + (megabytes << 20));  // NUL bytes
  const std::uintmax_t size = std::filesystem::file_size(log);

  Steady::duration longestGap{};
  Steady::time_point last = Steady::now();
  hs.loop.onPendingEvents = [&] {
    const Steady::time_point now = Steady::now();
    if (now - last > longestGap) longestGap = now - last;
    last = now;
  };
  hs.messages.answers = {MsgAnswer::Yes};
  if (!ResetPeak()) std::fprintf(stderr, "cannot reset the peak; it includes the start-up\n");
  const long idleKb = StatusKb("VmRSS");
  const Steady::time_point start = last = Steady::now();
  const ArchiveResult r = ArchiveLogClick(state, hs.services);
  const Steady::time_point end = Steady::now();
  if (end - last > longestGap) longestGap = end - last;
  const long peakKb = StatusKb("VmHWM");

  const std::string archive = dir.Path() + "/Log/" + ArchiveName(hs.loop.Now(), 1).substr(4);
  const bool whole = r.statusCaption == "Log File Archived" && std::filesystem::exists(archive) &&
                     std::filesystem::file_size(archive) == size;
  const double aboveIdleMb = (peakKb - idleKb) / 1024.0;
  std::printf("log               %.1f MB\n", size / 1048576.0);
  std::printf("archived whole    %s\n", whole ? "yes" : "NO");
  std::printf("idle              %.1f MB\n", idleKb / 1024.0);
  std::printf("peak above idle   %.1f MB (target < 50)\n", aboveIdleMb);
  std::printf("time              %.0f ms\n", Ms(end - start));
  std::printf("longest no-events %.1f ms over %d event passes\n", Ms(longestGap),
              hs.loop.pendingEventPasses);
  return whole && aboveIdleMb < 50 ? 0 : 1;
}
