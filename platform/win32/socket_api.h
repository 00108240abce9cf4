#pragma once
// Winsock's headers, for code shared with POSIX sockets; winsock2.h must
// come before windows.h.
#include <winsock2.h>
#include <ws2tcpip.h>
