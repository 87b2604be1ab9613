#pragma once
// Whether the Internet can be reached: the system is asked first (where Qt
// has a backend that knows), then a fixed page is opened over HTTP.

#include <string>

namespace quotidia {

bool IsConnectedToInternet();

// Tests: open this URL instead of the public page, and skip asking the system
// (whose answer on a test machine says nothing about loopback).
void SetConnectivityProbeForTesting(std::string url);

}  // namespace quotidia
