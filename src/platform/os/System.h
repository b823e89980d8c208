#pragma once
// Facts about the machine and the user.
#include <string>
#include <string_view>

namespace os {

// The computer's name, at most 15 characters; "Unknown" when unavailable.
std::string GetComputerName();
// The user's login name; empty when unavailable.
std::string GetUserName();
// The temporary folder with its trailing separator (TMPDIR, else /tmp/).
std::string GetTempPath();
// An environment variable; empty when unset.
std::string GetEnvironmentVariable(std::string_view name);

} // namespace os
