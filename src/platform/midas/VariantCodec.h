#pragma once
// Variants as CBOR documents: the form in which arguments and results cross
// the socket connection to the application server. Every kind round-trips
// exactly, including empty vs null, 32- vs 64-bit integers, date-time vs
// double, 8-bit vs wide strings with any byte content, and arrays with their
// bounds and element type. Automation objects cannot travel.
#include <cstdint>
#include <span>
#include <vector>

#include "platform/core/Variant.h"

namespace midas {

// Raises EOleError when the value holds an automation object (at any depth).
std::vector<std::uint8_t> EncodeVariant(const Variant& value);
// Raises EOleError when the bytes are no well-formed variant document.
Variant DecodeVariant(std::span<const std::uint8_t> bytes);

} // namespace midas
