// Splits a time source's URL into host, path and port.
#pragma once

#include <string>
#include <string_view>

constexpr int kHttpPort = 80;
constexpr int kHttpsPort = 443;

// host and port are in and out: with no scheme and a host given by the caller, the host
// stays and the whole text is the path; a port of 0 becomes 80 when there is no scheme.
void SplitUrl(std::string_view url, std::string& host, std::string& path, int& port);
