#include <climits>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "platform/core/Automation.h"
#include "platform/midas/VariantCodec.h"
#include "platform/midas/VariantCases.h"

using midas::DecodeVariant;
using midas::EncodeVariant;
using nlohmann::json;

TEST(VariantCodec, EveryKindRoundTripsExactly)
{
    for (const auto& c : VariantCases()) {
        SCOPED_TRACE(c.Name);
        EXPECT_TRUE(SameVariant(DecodeVariant(EncodeVariant(c.Value)), c.Value));
    }
}

TEST(VariantCodec, AutomationObjectCannotTravel)
{
    class TNothing : public TAutoObject {};
    const Variant obj(IAutoObjectPtr(std::make_shared<TNothing>()));
    Variant inArray = VarArrayCreate({0, 1});
    inArray[1] = obj;
    for (const Variant& v : {obj, inArray}) {
        try {
            EncodeVariant(v);
            ADD_FAILURE() << "no error";
        } catch (const EOleError& e) {
            EXPECT_NE(e.Message().find("automation object"), std::string::npos) << e.Message();
        }
    }
}

TEST(VariantCodec, MalformedDocumentsRaiseEOleError)
{
    const auto cbor = [](const json& j) { return json::to_cbor(j); };
    const auto bin = [](std::vector<std::uint8_t> b) { return json::binary(std::move(b)); };
    std::vector<std::uint8_t> deep(500, 0x81); // arrays of one item, nested 500 deep
    deep.push_back(0x00);
    const std::vector<std::pair<const char*, std::vector<std::uint8_t>>> cases = {
        {"nothing", {}},
        {"no CBOR", {0xff, 0xfe, 0x12}},
        {"trailing bytes", {0x80, 0x00}},
        {"not an array", cbor(json(3))},
        {"unknown type", cbor(json::array({99}))},
        {"null with a value", cbor(json::array({1, 5}))},
        {"int32 out of range", cbor(json::array({3, std::int64_t{1} << 31}))},
        {"int64 out of range", cbor(json::array({20, std::uint64_t{1} << 63}))},
        {"Boolean as number", cbor(json::array({11, 1}))},
        {"string as text", cbor(json::array({256, "abc"}))},
        {"odd wide string", cbor(json::array({8, bin({0x41, 0x00, 0x42})}))},
        {"bounds claim more items than sent", cbor(json::array({0x200C, json::array({0, INT_MAX - 1}), json::array()}))},
        {"bounds overflow int", cbor(json::array({0x200C, json::array({INT_MIN, INT_MAX}), json::array()}))},
        {"three dimensions", cbor(json::array({0x200C, json::array({0, 0, 0, 0, 0, 0}), json::array({json::array({0})})}))},
        {"bad element type", cbor(json::array({0x2000 | 0x42, json::array({0, -1}), json::array()}))},
        {"bad item", cbor(json::array({0x200C, json::array({0, 0}), json::array({7})}))},
        {"nested too deeply", deep},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        EXPECT_THROW(DecodeVariant(bytes), EOleError);
    }
}
