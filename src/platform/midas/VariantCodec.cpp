#include "platform/midas/VariantCodec.h"

#include <climits>
#include <string>

#include "platform/midas/MidasInternal.h"

// Layout of one variant: a CBOR array whose first item is the variant type
// code (the classic numbers of TVarType):
//   [0]                       empty
//   [1]                       null
//   [11, bool]                Boolean
//   [3, int] / [20, int]      32- / 64-bit integer
//   [5, float] / [7, float]   double / date-time
//   [256, bytes]              8-bit string, its bytes as they are
//   [8, bytes]                wide string, UTF-16LE code units (lone surrogates survive)
//   [0x2000|elem, [low1, high1 (, low2, high2)], [items...]]
//                             array: element type, bounds per dimension, items
//                             in storage order (first index fastest)
// Strings travel as byte strings rather than text so that no content is
// rejected or altered by UTF-8 validation.

namespace midas {

namespace {

[[noreturn]] void Malformed(const std::string& what)
{
    throw EOleError("Malformed variant document: " + what);
}

bool IsElementType(std::int64_t t)
{
    switch (t) {
    case varEmpty: case varNull: case varInteger: case varDouble: case varDate: case varOleStr:
    case varDispatch: case varBoolean: case varVariant: case varInt64: case varString:
        return true;
    default:
        return false;
    }
}

std::int64_t ItemInt(const json& j, std::size_t index)
{
    if (index >= j.size() || !j[index].is_number_integer()) Malformed("integer expected");
    if (j[index].is_number_unsigned() && j[index].get<std::uint64_t>() > static_cast<std::uint64_t>(INT64_MAX))
        Malformed("integer out of range");
    return j[index].get<std::int64_t>();
}

} // namespace

json VariantToJson(const Variant& value)
{
    const TVarType type = value.Type();
    const auto& v = value.Value();
    if (value.IsArray()) {
        const TVarArray& a = value.AsArray();
        json bounds = json::array();
        for (int d = 1; d <= a.DimCount(); ++d) {
            bounds.push_back(a.Bound(d).LowBound);
            bounds.push_back(a.Bound(d).HighBound);
        }
        json items = json::array();
        for (const Variant& item : a.Items()) items.push_back(VariantToJson(item));
        return json::array({static_cast<int>(varArray | a.ElementType()), std::move(bounds), std::move(items)});
    }
    switch (type) {
    case varEmpty:
    case varNull:
        return json::array({static_cast<int>(type)});
    case varBoolean:
        return json::array({static_cast<int>(type), std::get<bool>(v)});
    case varInteger:
        return json::array({static_cast<int>(type), std::get<std::int32_t>(v)});
    case varInt64:
        return json::array({static_cast<int>(type), std::get<std::int64_t>(v)});
    case varDouble:
        return json::array({static_cast<int>(type), std::get<double>(v)});
    case varDate:
        return json::array({static_cast<int>(type), std::get<Variant::DateValue>(v).Value});
    case varString: {
        const std::string& s = std::get<std::string>(v);
        return json::array({static_cast<int>(type), json::binary(std::vector<std::uint8_t>(s.begin(), s.end()))});
    }
    case varOleStr: {
        const std::u16string& s = std::get<std::u16string>(v);
        std::vector<std::uint8_t> bytes;
        bytes.reserve(s.size() * 2);
        for (const char16_t c : s) {
            bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
            bytes.push_back(static_cast<std::uint8_t>(c >> 8));
        }
        return json::array({static_cast<int>(type), json::binary(std::move(bytes))});
    }
    case varDispatch:
        throw EOleError("An automation object cannot be passed over a socket connection");
    default:
        throw EOleError(std::string("Variant type ") + VarTypeName(type) + " cannot be passed over a socket connection");
    }
}

Variant VariantFromJson(const json& j)
{
    if (!j.is_array() || j.empty()) Malformed("variant expected");
    const std::int64_t type = ItemInt(j, 0);
    if (type & varArray) {
        const std::int64_t elementType = type & ~static_cast<std::int64_t>(varArray);
        if (!IsElementType(elementType) || j.size() != 3) Malformed("bad array header");
        const json& b = j[1];
        const json& items = j[2];
        if (!b.is_array() || (b.size() != 2 && b.size() != 4) || !items.is_array()) Malformed("bad array bounds");
        std::vector<TVarArrayBound> bounds;
        std::uint64_t count = 1;
        for (std::size_t i = 0; i < b.size(); i += 2) {
            const std::int64_t low = ItemInt(b, i), high = ItemInt(b, i + 1);
            // Bounds must be such that TVarArray can compute element counts
            // in int without overflow.
            if (low <= INT_MIN || low > INT_MAX || high > INT_MAX || high < low - 1 || high - low + 1 > INT_MAX)
                Malformed("bad array bounds");
            bounds.push_back({static_cast<int>(low), static_cast<int>(high)});
            count *= static_cast<std::uint64_t>(high - low + 1);
        }
        // Checked before the array is allocated: the bounds cannot claim more
        // elements than the document carries.
        if (count != items.size()) Malformed("array element count does not match its bounds");
        TVarArray array(std::move(bounds), static_cast<TVarType>(elementType));
        for (std::size_t i = 0; i < items.size(); ++i) array.Items()[i] = VariantFromJson(items[i]);
        return Variant(std::move(array));
    }
    const auto expectSize = [&](std::size_t n) {
        if (j.size() != n) Malformed("wrong item count for type " + std::to_string(type));
    };
    switch (type) {
    case varEmpty:
        expectSize(1);
        return Variant();
    case varNull:
        expectSize(1);
        return Variant::Null();
    case varBoolean:
        expectSize(2);
        if (!j[1].is_boolean()) Malformed("Boolean expected");
        return Variant(j[1].get<bool>());
    case varInteger: {
        expectSize(2);
        const std::int64_t n = ItemInt(j, 1);
        if (n < INT32_MIN || n > INT32_MAX) Malformed("integer out of range");
        return Variant(static_cast<std::int32_t>(n));
    }
    case varInt64:
        expectSize(2);
        return Variant(ItemInt(j, 1));
    case varDouble:
    case varDate: {
        expectSize(2);
        if (!j[1].is_number()) Malformed("number expected");
        const double d = j[1].get<double>();
        return type == varDate ? Variant::FromDateTime(d) : Variant(d);
    }
    case varString: {
        expectSize(2);
        if (!j[1].is_binary()) Malformed("byte string expected");
        const auto& bytes = j[1].get_binary();
        return Variant(std::string(bytes.begin(), bytes.end()));
    }
    case varOleStr: {
        expectSize(2);
        if (!j[1].is_binary()) Malformed("byte string expected");
        const auto& bytes = j[1].get_binary();
        if (bytes.size() % 2 != 0) Malformed("odd length of a wide string");
        std::u16string s(bytes.size() / 2, u'\0');
        for (std::size_t i = 0; i < s.size(); ++i)
            s[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        return Variant(std::move(s));
    }
    default:
        Malformed("unknown variant type " + std::to_string(type));
    }
}

namespace {

// Builds the tree like nlohmann's own DOM parser but refuses to nest deeper
// than MaxCborDepth: returning false from start_* stops the reader before it
// descends any further.
class TDepthLimitedSax {
public:
    explicit TDepthLimitedSax(json& root) : FDom(root, true) {}
    bool null() { return FDom.null(); }
    bool boolean(bool v) { return FDom.boolean(v); }
    bool number_integer(json::number_integer_t v) { return FDom.number_integer(v); }
    bool number_unsigned(json::number_unsigned_t v) { return FDom.number_unsigned(v); }
    bool number_float(json::number_float_t v, const json::string_t& s) { return FDom.number_float(v, s); }
    bool string(json::string_t& v) { return FDom.string(v); }
    bool binary(json::binary_t& v) { return FDom.binary(v); }
    bool start_object(std::size_t n) { return Enter() && FDom.start_object(n); }
    bool key(json::string_t& v) { return FDom.key(v); }
    bool end_object() { --FDepth; return FDom.end_object(); }
    bool start_array(std::size_t n) { return Enter() && FDom.start_array(n); }
    bool end_array() { --FDepth; return FDom.end_array(); }
    bool parse_error(std::size_t pos, const std::string& token, const nlohmann::detail::exception& e)
    {
        return FDom.parse_error(pos, token, e);
    }
    bool TooDeep() const { return FTooDeep; }

private:
    bool Enter()
    {
        if (++FDepth > MaxCborDepth) FTooDeep = true;
        return !FTooDeep;
    }
    nlohmann::detail::json_sax_dom_parser<json> FDom;
    int FDepth = 0;
    bool FTooDeep = false;
};

} // namespace

json ParseCbor(std::span<const std::uint8_t> bytes)
{
    json result;
    TDepthLimitedSax sax(result);
    bool ok = false;
    try {
        ok = json::sax_parse(bytes.begin(), bytes.end(), &sax, nlohmann::detail::input_format_t::cbor, true);
    } catch (const json::exception& e) {
        throw EOleError(std::string("Malformed CBOR document: ") + e.what());
    }
    if (sax.TooDeep()) throw EOleError("Malformed CBOR document: nested too deeply");
    if (!ok) throw EOleError("Malformed CBOR document");
    return result;
}

std::vector<std::uint8_t> EncodeVariant(const Variant& value) { return json::to_cbor(VariantToJson(value)); }

Variant DecodeVariant(std::span<const std::uint8_t> bytes) { return VariantFromJson(ParseCbor(bytes)); }

} // namespace midas
