#pragma once
// Internal links between the files of this library; not for other users.
#include <optional>

namespace os::detail {

// The code page a profile file that is not valid UTF-8 is read in: the
// system code page, or none while the system code page itself is being read
// from the registry file (that file's bytes are then parsed as they are,
// since its key paths and the ACP value are plain ASCII).
std::optional<int> ProfileCodePage();

} // namespace os::detail
