#pragma once
// Internal to platform_midas: variants as JSON values (the tree that
// nlohmann-json writes as CBOR) and a CBOR reader with a nesting limit, so a
// hostile document cannot exhaust the stack.
#include <cstdint>
#include <span>

#include <nlohmann/json.hpp>

#include "platform/core/Variant.h"

namespace midas {

using json = nlohmann::json;

// Deepest nesting of CBOR arrays and maps accepted in one document.
inline constexpr int MaxCborDepth = 128;

json VariantToJson(const Variant& value);           // raises EOleError for objects
Variant VariantFromJson(const json& value);         // raises EOleError when malformed
json ParseCbor(std::span<const std::uint8_t> bytes); // raises EOleError when malformed

} // namespace midas
