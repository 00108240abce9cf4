// A desktop session manager (X11 session management protocol) with one job:
// end the session the way a logout does. It prints the SESSION_MANAGER value
// for its client on the first line of its output, waits for one client to
// register, asks it to save for a shutdown, tells it to die, and exits with 0
// once the client has closed the connection (1 on a timeout).
//
//   session_end_manager [timeout seconds]

#include <X11/ICE/ICElib.h>
#include <X11/SM/SMlib.h>
#include <poll.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace {

SmsConn client = nullptr;
bool registered = false;
bool saved = false;
bool closed = false;

Status RegisterClient(SmsConn conn, SmPointer, char* previousId) {
  char* id = SmsGenerateClientID(conn);
  SmsRegisterClientReply(conn, id);
  std::free(id);
  std::free(previousId);
  registered = true;
  return 1;
}

void InteractRequest(SmsConn conn, SmPointer, int) {
  SmsInteract(conn);
}
void InteractDone(SmsConn, SmPointer, Bool) {}
void SaveYourselfRequest(SmsConn, SmPointer, int, Bool, int, Bool, Bool) {}
void SaveYourselfPhase2Request(SmsConn conn, SmPointer) {
  SmsSaveYourselfPhase2(conn);
}
void SaveYourselfDone(SmsConn, SmPointer, Bool) {
  saved = true;
}
void CloseConnection(SmsConn, SmPointer, int count, char** reasons) {
  SmFreeReasons(count, reasons);
  closed = true;
}
void SetProperties(SmsConn, SmPointer, int count, SmProp** props) {
  for (int i = 0; i < count; ++i) SmFreeProperty(props[i]);
  std::free(props);
}
void DeleteProperties(SmsConn, SmPointer, int count, char** names) {
  for (int i = 0; i < count; ++i) std::free(names[i]);
  std::free(names);
}
void GetProperties(SmsConn conn, SmPointer) {
  SmsReturnProperties(conn, 0, nullptr);
}

Status NewClient(SmsConn conn, SmPointer, unsigned long* mask, SmsCallbacks* callbacks, char**) {
  client = conn;
  *mask = SmsRegisterClientProcMask | SmsInteractRequestProcMask | SmsInteractDoneProcMask |
          SmsSaveYourselfRequestProcMask | SmsSaveYourselfP2RequestProcMask |
          SmsSaveYourselfDoneProcMask | SmsCloseConnectionProcMask | SmsSetPropertiesProcMask |
          SmsDeletePropertiesProcMask | SmsGetPropertiesProcMask;
  callbacks->register_client.callback = RegisterClient;
  callbacks->interact_request.callback = InteractRequest;
  callbacks->interact_done.callback = InteractDone;
  callbacks->save_yourself_request.callback = SaveYourselfRequest;
  callbacks->save_yourself_phase2_request.callback = SaveYourselfPhase2Request;
  callbacks->save_yourself_done.callback = SaveYourselfDone;
  callbacks->close_connection.callback = CloseConnection;
  callbacks->set_properties.callback = SetProperties;
  callbacks->delete_properties.callback = DeleteProperties;
  callbacks->get_properties.callback = GetProperties;
  return 1;
}

// A client that exits drops its connection; that is the expected end here,
// where ICE's own handler would end this program.
void IgnoreIOError(IceConn) {}

// Any host may connect: the socket is a local one of this test's own.
Bool AnyHost(char*) {
  return True;
}

}  // namespace

int main(int argc, char** argv) {
  const int timeout = argc > 1 ? std::atoi(argv[1]) : 30;
  IceSetIOErrorHandler(IgnoreIOError);
  char error[256];
  if (!SmsInitialize("velnook-test", "1", NewClient, nullptr, AnyHost, sizeof error, error)) {
    std::fprintf(stderr, "SmsInitialize: %s\n", error);
    return 2;
  }
  int count = 0;
  IceListenObj* listeners = nullptr;
  if (!IceListenForConnections(&count, &listeners, sizeof error, error)) {
    std::fprintf(stderr, "IceListenForConnections: %s\n", error);
    return 2;
  }
  for (int i = 0; i < count; ++i) IceSetHostBasedAuthProc(listeners[i], AnyHost);
  char* ids = IceComposeNetworkIdList(count, listeners);
  std::printf("%s\n", ids);
  std::fflush(stdout);
  std::free(ids);

  std::vector<IceConn> connections;
  bool askedToSave = false, toldToDie = false;
  const std::time_t end = std::time(nullptr) + timeout;
  while (!closed && std::time(nullptr) < end) {
    std::vector<pollfd> fds;
    for (int i = 0; i < count; ++i)
      fds.push_back({IceGetListenConnectionNumber(listeners[i]), POLLIN, 0});
    for (IceConn c : connections) fds.push_back({IceConnectionNumber(c), POLLIN, 0});
    ::poll(fds.data(), fds.size(), 200);
    for (int i = 0; i < count; ++i) {
      if (!(fds[i].revents & POLLIN)) continue;
      IceAcceptStatus status;
      IceConn c = IceAcceptConnection(listeners[i], &status);
      if (!c) continue;
      // Finish the connection's set-up before its messages are read.
      IceConnectStatus connect = IceConnectPending;
      while (connect == IceConnectPending) {
        IceProcessMessages(c, nullptr, nullptr);
        connect = IceConnectionStatus(c);
      }
      if (connect == IceConnectAccepted) connections.push_back(c);
    }
    // Only the connections polled above: one accepted just now has no entry.
    for (size_t i = 0; i + count < fds.size(); ++i)
      if (fds[count + i].revents & (POLLIN | POLLHUP))
        if (IceProcessMessages(connections[i], nullptr, nullptr) != IceProcessMessagesSuccess)
          closed = true;
    if (registered && !askedToSave) {
      SmsSaveYourself(client, SmSaveLocal, True, SmInteractStyleNone, False);
      askedToSave = true;
    }
    if (saved && !toldToDie) {
      SmsDie(client);
      toldToDie = true;
    }
  }
  std::fprintf(stderr, "registered %d, saved %d, closed %d\n", registered, saved, closed);
  for (IceConn c : connections) IceCloseConnection(c);
  IceFreeListenObjs(count, listeners);
  return closed ? 0 : 1;
}
