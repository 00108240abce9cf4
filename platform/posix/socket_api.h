#pragma once
// The system's socket headers, for code shared with Winsock.
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
