// Network reachability in WinINet shape.
#pragma once
#include "win/types.h"

constexpr DWORD FLAG_ICC_FORCE_CONNECTION = 0x1;
// True when a connection to the URL's host and port can be made. With FLAG_ICC_FORCE_CONNECTION
// a connection is attempted. The answer comes within a bounded time, whatever the network does.
BOOL InternetCheckConnection(const std::string& url, DWORD flags, DWORD reserved);
