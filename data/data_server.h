#pragma once

#include <string>
#include <string_view>

namespace varkel {

// The environment variable that overrides the stored data-server address.
inline constexpr const char* dataServerVariable = "VARKEL_DATA_SERVER";
// Used when nothing else names a server: one on this machine.
inline constexpr std::string_view defaultDataServer = "http://127.0.0.1:8000";

// The data server's base address: `explicitAddress` (given on the command line)
// if not empty, else the environment variable if set and not empty, else
// `storedAddress` (the workstation's setting) if not empty, else the default.
std::string resolveDataServer(std::string_view explicitAddress, std::string_view storedAddress);

}  // namespace varkel
