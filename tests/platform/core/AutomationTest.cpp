#include <gtest/gtest.h>

#include "platform/core/Automation.h"

namespace {

// A counter object: "Next" returns the next number and writes the text form
// into its by-reference argument.
class TCounter : public TAutoObject {
public:
    TCounter()
    {
        RegisterMethod("Next", [this](std::vector<Variant>& args) {
            ++FValue;
            if (!args.empty()) args[0] = "n" + std::to_string(FValue);
            return Variant(FValue);
        });
        RegisterProperty("Value", [this] { return Variant(FValue); }, [this](const Variant& v) { FValue = v.AsInteger(); });
        RegisterProperty("Name", [] { return Variant("counter"); });
    }

private:
    int FValue = 0;
};

} // namespace

TEST(Automation, MethodsAndPropertiesByNameWithByRefArguments)
{
    Variant obj(IAutoObjectPtr(std::make_shared<TCounter>()));
    EXPECT_EQ(VarType(obj), varDispatch);
    std::vector<Variant> args{Variant()};
    EXPECT_EQ(OleInvoke(obj, "NEXT", args), Variant(1));
    EXPECT_EQ(args[0], Variant("n1")); // written back by the callee
    EXPECT_EQ(OleInvoke(obj, "next", {Variant()}), Variant(2));

    OleSetProperty(obj, "value", 40);
    EXPECT_EQ(OleGetProperty(obj, "Value"), Variant(40));
    EXPECT_EQ(OleInvoke(obj, "Name"), Variant("counter")); // property read written as a call
    EXPECT_THROW(OleSetProperty(obj, "Name", "x"), EOleError);
    EXPECT_THROW(OleInvoke(obj, "Missing"), EOleError);
    EXPECT_THROW(OleInvoke(Variant(5), "Next"), EOleError);

    Variant copy = obj; // objects are shared, not copied
    OleInvoke(copy, "Next");
    EXPECT_EQ(OleGetProperty(obj, "Value"), Variant(41));
}

TEST(Automation, ClassRegistry)
{
    EXPECT_FALSE(FindAutoClass("Test.Counter"));
    {
        TAutoClassRegistration reg("Test.Counter", [] { return std::make_shared<TCounter>(); });
        auto factory = FindAutoClass("TEST.counter");
        ASSERT_TRUE(factory);
        Variant obj(factory());
        EXPECT_EQ(OleInvoke(obj, "Next"), Variant(1));
    }
    EXPECT_FALSE(FindAutoClass("Test.Counter")); // removed with its registration
}
