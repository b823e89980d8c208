#pragma once
// Internal to platform_midas: the messages of a socket connection. Each
// frame carries one CBOR map.
//   requests:  {"op": "connect", "name": class name}      first message, once
//              {"op": "invoke", "name": method, "args": [variant...]}
//              {"op": "get", "name": property}
//              {"op": "set", "name": property, "value": variant}
//   replies:   {"ok": true} plus "result" (invoke, get) and "args" (invoke:
//              every argument as the callee left it)
//              {"ok": false, "class": exception class name, "message": text}
#include <cstddef>

namespace midas {

inline constexpr std::size_t DefaultMaxFrameSize = 64u * 1024u * 1024u;

} // namespace midas
