#include <gtest/gtest.h>

#include "platform/core/Properties.h"

namespace {

enum class TAlign { alNone, alTop, alClient };

// A plain object with properties of every kind, and a derived class that adds
// and redeclares properties.
class TSample : public TObject {
    ORVANE_CLASS_INFO
public:
    int Width = 10;
    std::int64_t Big = 0;
    bool Visible = true;
    TAlign Align = TAlign::alNone;
    int Style = 0; // set: bit 0 fsBold, bit 1 fsItalic
    double Ratio = 1.5;
    std::string Caption;
    TSample* Buddy = nullptr;
    TNotifyEvent OnClick;

    std::string GetText() const { return "text:" + Caption; }
    void SetText(const std::string& v) { Caption = v; }
};

class TDerived : public TSample {
    ORVANE_CLASS_INFO
public:
    std::string Extra;
};

class TOther : public TObject {
    ORVANE_CLASS_INFO
};

} // namespace

const TClassInfo& TSample::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TSample>("TSample", TObject::StaticClass())
            .Field("Width", &TSample::Width)
            .Field("Big", &TSample::Big)
            .Field("Visible", &TSample::Visible)
            .Field("Align", &TSample::Align, {"alNone", "alTop", "alClient"})
            .SetProp<int>("Style", [](const TSample& s) { return s.Style; }, [](TSample& s, int v) { s.Style = v; },
                          {"fsBold", "fsItalic"})
            .Field("Ratio", &TSample::Ratio)
            .Field("Caption", &TSample::Caption)
            .Prop<std::string>("Text", &TSample::GetText, &TSample::SetText)
            .Prop<std::string>("ReadOnlyText", &TSample::GetText, nullptr)
            .Field("Buddy", &TSample::Buddy)
            .Field("OnClick", &TSample::OnClick)
            .Build();
    return info;
}

const TClassInfo& TDerived::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TDerived>("TDerived", TSample::StaticClass())
                                       .Field("Extra", &TDerived::Extra)
                                       .Prop<int>("Width", [](const TDerived& d) { return d.Width * 2; },
                                                  [](TDerived& d, int v) { d.Width = v / 2; })
                                       .Build();
    return info;
}

const TClassInfo& TOther::StaticClass()
{
    static const TClassInfo info("TOther", &TObject::StaticClass());
    return info;
}

TEST(Properties, ReadAndWriteEveryKindByName)
{
    TSample s;
    TSample buddy;
    EXPECT_EQ(s.ClassName(), "TSample");
    EXPECT_TRUE(IsPublishedProp(&s, "width"));
    EXPECT_FALSE(IsPublishedProp(&s, "Height"));
    EXPECT_FALSE(IsPublishedProp(nullptr, "Width"));

    SetOrdProp(&s, "WIDTH", 25);
    EXPECT_EQ(s.Width, 25);
    SetOrdProp(&s, "Big", std::int64_t(1) << 40);
    EXPECT_EQ(GetPropInfo(&s, "Big")->Kind, TTypeKind::tkInt64);
    EXPECT_EQ(GetOrdProp(&s, "Big"), std::int64_t(1) << 40);

    SetEnumProp(&s, "Align", "alclient");
    EXPECT_EQ(s.Align, TAlign::alClient);
    EXPECT_EQ(GetEnumProp(&s, "Align"), "alClient");
    EXPECT_EQ(GetEnumProp(&s, "Visible"), "True");
    EXPECT_THROW(SetEnumProp(&s, "Align", "alBottom"), EPropertyError);

    SetSetProp(&s, "Style", "[fsItalic, fsBold]");
    EXPECT_EQ(s.Style, 3);
    EXPECT_EQ(GetSetProp(&s, "Style"), "[fsBold,fsItalic]");
    SetSetProp(&s, "Style", "[]");
    EXPECT_EQ(s.Style, 0);

    SetFloatProp(&s, "Ratio", 0.25);
    EXPECT_EQ(GetFloatProp(&s, "Ratio"), 0.25);
    SetStrProp(&s, "Text", "汇率");
    EXPECT_EQ(s.Caption, "汇率");
    EXPECT_EQ(GetStrProp(&s, "Text"), "text:汇率");
    EXPECT_THROW(SetStrProp(&s, "ReadOnlyText", "x"), EPropertyError);
    EXPECT_THROW(GetStrProp(&s, "Width"), EPropertyError); // kind mismatch
    EXPECT_THROW(GetOrdProp(&s, "Missing"), EPropertyError);

    SetObjectProp(&s, "Buddy", &buddy);
    EXPECT_EQ(s.Buddy, &buddy);
    EXPECT_EQ(GetObjectProp(&s, "Buddy"), &buddy);
    TOther other;
    SetObjectProp(&s, "Buddy", &other); // an object of the wrong class is not stored
    EXPECT_EQ(s.Buddy, nullptr);

    EXPECT_EQ(GetPropValue(&s, "Visible"), Variant(true));
    SetPropValue(&s, "Align", Variant("alTop"));
    EXPECT_EQ(s.Align, TAlign::alTop);
    SetPropValue(&s, "Width", Variant("40"));
    EXPECT_EQ(s.Width, 40);
}

TEST(Properties, InheritanceAndListing)
{
    TDerived d;
    EXPECT_TRUE(d.InheritsFrom(TSample::StaticClass()));
    EXPECT_FALSE(TSample().InheritsFrom(TDerived::StaticClass()));
    SetStrProp(&d, "Caption", "inherited");
    SetStrProp(&d, "Extra", "own");
    EXPECT_EQ(d.Caption, "inherited");
    EXPECT_EQ(d.Extra, "own");
    SetOrdProp(&d, "Width", 30); // the derived class's declaration wins
    EXPECT_EQ(d.Width, 15);

    std::vector<std::string> names;
    for (const TPropInfo* p : GetPropList(&d)) names.push_back(p->Name);
    ASSERT_EQ(names.size(), 12u);
    EXPECT_EQ(names.front(), "Width");
    EXPECT_EQ(names.back(), "Extra");
    EXPECT_EQ(GetPropInfo(&d, "Width")->Name, "Width");
    EXPECT_EQ(GetOrdProp(&d, "Width"), 30);
}

TEST(Properties, EventHandlersKeepTheirIdentity)
{
    struct THandlerOwner {
        int Calls = 0;
        void Click(TObject*) { ++Calls; }
        void Other(TObject*) { Calls += 100; }
    } owner, owner2;

    TSample s;
    const TNotifyEvent bound(&owner, &THandlerOwner::Click);
    SetMethodProp(&s, "OnClick", bound.ToMethod());
    EXPECT_EQ(s.OnClick, bound);
    EXPECT_EQ(s.OnClick, TNotifyEvent(&owner, &THandlerOwner::Click)); // same object and method
    EXPECT_NE(s.OnClick, TNotifyEvent(&owner, &THandlerOwner::Other));
    EXPECT_NE(s.OnClick, TNotifyEvent(&owner2, &THandlerOwner::Click));

    // Save, replace with a callable, call the saved one, restore.
    const TMethod saved = GetMethodProp(&s, "OnClick");
    int lambdaCalls = 0;
    TNotifyEvent own([&](TObject*) { ++lambdaCalls; });
    SetMethodProp(&s, "OnClick", own.ToMethod());
    s.OnClick(&s);
    EXPECT_EQ(lambdaCalls, 1);
    EXPECT_EQ(s.OnClick, own);
    EXPECT_NE(own, TNotifyEvent([&](TObject*) { ++lambdaCalls; }));
    TNotifyEvent restored;
    ASSERT_TRUE(restored.AssignMethod(saved));
    restored(&s);
    EXPECT_EQ(owner.Calls, 1);
    SetMethodProp(&s, "OnClick", saved);
    EXPECT_EQ(s.OnClick, bound);

    // Empty handlers: calling does nothing; a handler of another type is refused.
    SetMethodProp(&s, "OnClick", TMethod{});
    EXPECT_FALSE(s.OnClick);
    s.OnClick(&s);
    TEvent<int(int)> otherType([](int x) { return x; });
    EXPECT_THROW(SetMethodProp(&s, "OnClick", otherType.ToMethod()), EPropertyError);
    EXPECT_EQ(TEvent<int(int)>()(5), 0);
}
