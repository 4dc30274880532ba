#pragma once
// Winsock 2 has to come before <windows.h>, which would pull in the old one.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
