// The Windows headers our Windows files use, in the order they need: the socket layer's before
// windows.h (which would otherwise bring the old one), the shell's and the common controls'
// after it.
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>
// after winsock2.h
#include <windows.h>
// after windows.h
#include <commctrl.h>
#include <shellapi.h>
