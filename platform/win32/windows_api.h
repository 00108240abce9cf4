#pragma once
// windows.h for our own sources: lean, without min/max macros, and without
// the A/W macros whose names the file services use for their own methods;
// with the common-controls, shell, power, security-descriptor and process
// snapshot headers, which need it first.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// clang-format off
#include <commctrl.h>
#include <powrprof.h>
#include <sddl.h>
#include <shellapi.h>
#include <tlhelp32.h>
// clang-format on

#undef CopyFile
#undef DeleteFile
#undef ReplaceFile
