#include <gtest/gtest.h>

#include <QWidget>

#include "UiTestSupport.h"
#include "platform/ui/StdCtrls.h"

namespace {

std::vector<std::string> Freed;

class TTracked : public TComponent {
public:
    TTracked(TComponent* owner, const std::string& name) : TComponent(owner) { SetName(name); }
    ~TTracked() override { Freed.push_back(Name()); }
};

// Holds a reference to a component of another owner and clears it when
// that component is freed.
class TRefHolder : public TComponent {
public:
    using TComponent::TComponent;
    void Watch(TComponent* c)
    {
        Ref = c;
        c->FreeNotification(this);
    }
    TComponent* Ref = nullptr;

protected:
    void Notification(TComponent* c, TOperation op) override
    {
        TComponent::Notification(c, op);
        if (op == opRemove && c == Ref) Ref = nullptr;
    }
};

TEST(Component, OwnerFreesOwnedNewestFirstAndFindsByNameWithoutCase)
{
    Freed.clear();
    auto* owner = new TComponent(nullptr);
    new TTracked(owner, "First");
    auto* second = new TTracked(owner, "Second");
    new TTracked(owner, "Third");

    ASSERT_EQ(owner->ComponentCount(), 3);
    EXPECT_EQ(owner->Components(1), second);
    EXPECT_EQ(owner->FindComponent("sEcOnD"), second);
    EXPECT_EQ(owner->FindComponent("Missing"), nullptr);
    EXPECT_EQ(owner->FindComponent(""), nullptr);

    delete second; // freed on its own: leaves the owner's list
    EXPECT_EQ(owner->ComponentCount(), 2);
    EXPECT_EQ(owner->FindComponent("Second"), nullptr);
    EXPECT_THROW(owner->Components(2), EListError);

    delete owner;
    EXPECT_EQ(Freed, (std::vector<std::string>{"Second", "Third", "First"}));
}

TEST(Component, DuplicateNameUnderOneOwnerIsRefused)
{
    TComponent owner(nullptr);
    auto* a = new TComponent(&owner);
    a->SetName("Edit1");
    auto* b = new TComponent(&owner);
    try {
        b->SetName("EDIT1");
        FAIL() << "duplicate accepted";
    } catch (const EComponentError& e) {
        EXPECT_STREQ(e.what(), "A component named EDIT1 already exists");
    }
    EXPECT_EQ(b->Name(), "");
    a->SetName("edit1"); // its own name in another case
    EXPECT_EQ(a->Name(), "edit1");
    TComponent other(nullptr);
    auto* c = new TComponent(&other);
    EXPECT_NO_THROW(c->SetName("Edit1")); // other owner
    EXPECT_EQ(GetStrProp(a, "Name"), "edit1");
    EXPECT_THROW(SetStrProp(b, "Name", "Edit1"), EComponentError);
}

TEST(Component, FreeNotificationClearsReference)
{
    TComponent ownerA(nullptr), ownerB(nullptr);
    auto* target = new TComponent(&ownerA);
    auto* holder = new TRefHolder(&ownerB);
    holder->Watch(target);
    delete target;
    EXPECT_EQ(holder->Ref, nullptr);

    // The holder freed first: the target no longer knows it.
    auto* target2 = new TComponent(&ownerA);
    holder->Watch(target2);
    delete holder;
    delete target2; // would touch the freed holder otherwise
}

TEST(Controls, ParentAndOwnerBothFreeWithoutDoubleFree)
{
    auto* form = new TForm(nullptr);
    auto* panel = new TWinControl(form);
    panel->SetParent(form);
    auto* edit = new TEdit(form); // owned by the form, shown in the panel
    edit->SetName("Edit1");
    edit->SetParent(panel);
    auto* label = new TLabel(form);
    label->SetParent(panel);

    EXPECT_EQ(edit->Widget()->parentWidget(), panel->Widget());
    EXPECT_EQ(panel->ControlCount(), 2);

    delete panel; // the parent frees its children, which leave their owner
    EXPECT_EQ(form->ComponentCount(), 0);
    EXPECT_EQ(form->FindComponent("Edit1"), nullptr);
    EXPECT_EQ(form->ControlCount(), 0);

    // A control whose parent is owned elsewhere: the owner frees it first.
    auto* box = new TWinControl(nullptr);
    auto* edit2 = new TEdit(form);
    edit2->SetParent(box);
    delete form;
    EXPECT_EQ(box->ControlCount(), 0);
    delete box;
}

TEST(Controls, ParentCannotBeOwnDescendant)
{
    TForm form(nullptr);
    auto* panel = new TWinControl(&form);
    panel->SetParent(&form);
    auto* inner = new TWinControl(&form);
    inner->SetParent(panel);
    EXPECT_THROW(panel->SetParent(inner), EInvalidOperation);
    EXPECT_EQ(panel->Parent(), &form);
}

TEST(Properties, PublishedByName)
{
    TForm form(nullptr);
    auto* edit = new TEdit(&form);
    edit->SetParent(&form);
    auto* edit2 = new TEdit(&form);
    edit2->SetParent(&form);

    SetStrProp(&form, "Caption", "汇率调整");
    EXPECT_EQ(form.Caption(), "汇率调整");
    EXPECT_EQ(form.Widget()->windowTitle().toStdString(), "汇率调整");

    EXPECT_EQ(GetOrdProp(edit2, "TabOrder"), 1);
    SetOrdProp(edit2, "TabOrder", 0);
    EXPECT_EQ(edit2->TabOrder(), 0);
    EXPECT_EQ(edit->TabOrder(), 1);
    SetOrdProp(edit2, "TabOrder", 99); // past the end: last
    EXPECT_EQ(edit2->TabOrder(), 1);

    SetStrProp(edit, "Text", "abc");
    EXPECT_EQ(edit->Text(), "abc");
    SetOrdProp(edit, "MaxLength", 2);
    edit->SetText("abcdef");
    EXPECT_EQ(edit->Text(), "ab");
    SetEnumProp(edit, "ReadOnly", "True");
    EXPECT_TRUE(edit->ReadOnly());
    SetEnumProp(&form, "WindowState", "wsMaximized");
    EXPECT_EQ(form.WindowState(), wsMaximized);
    EXPECT_EQ(GetSetProp(&form, "BorderIcons"), "[biSystemMenu,biMinimize,biMaximize]");
    SetObjectProp(&form, "ActiveControl", edit);
    EXPECT_EQ(form.ActiveControl(), edit);

    auto* font = dynamic_cast<TFont*>(GetObjectProp(edit, "Font"));
    ASSERT_NE(font, nullptr);
    SetSetProp(font, "Style", "[fsBold,fsUnderline]");
    EXPECT_EQ(font->Style(), FontStyle(fsBold) | FontStyle(fsUnderline));
    EXPECT_TRUE(edit->Widget()->font().bold());

    int clicks = 0;
    TNotifyEvent handler([&](TObject*) { ++clicks; });
    SetMethodProp(edit, "OnClick", handler.ToMethod());
    edit->Click();
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(GetMethodProp(edit, "OnClick") == handler.ToMethod());
}

TEST(Graphics, SystemColoursMapToDesktopDefaults)
{
    const struct {
        TColor Color;
        int R, G, B;
    } cases[] = {
        {clBtnFace, 0xD4, 0xD0, 0xC8},      {clWindow, 0xFF, 0xFF, 0xFF},      {clWindowText, 0, 0, 0},
        {clBtnHighlight, 0xFF, 0xFF, 0xFF}, {clBtnShadow, 0x80, 0x80, 0x80},   {clActiveCaption, 0x0A, 0x24, 0x6A},
        {clInactiveCaption, 0x80, 0x80, 0x80}, {clCaptionText, 0xFF, 0xFF, 0xFF}, {clRed, 0xFF, 0, 0},
        {RGB(1, 2, 3), 1, 2, 3},
    };
    for (const auto& c : cases) {
        const TColor rgb = ColorToRGB(c.Color);
        EXPECT_EQ(GetRValue(rgb), c.R) << std::hex << c.Color;
        EXPECT_EQ(GetGValue(rgb), c.G) << std::hex << c.Color;
        EXPECT_EQ(GetBValue(rgb), c.B) << std::hex << c.Color;
    }
    EXPECT_LT(clBtnFace, 0); // system colours are flagged
}

TEST(Graphics, FontSizeHeightAndParentFont)
{
    TFont f;
    f.SetSize(9);
    EXPECT_EQ(f.Height(), -12);
    f.SetHeight(-16);
    EXPECT_EQ(f.Size(), 12);
    int changes = 0;
    f.OnChange = [&](TObject*) { ++changes; };
    f.SetStyle(FontStyle(fsItalic));
    f.SetStyle(FontStyle(fsItalic)); // unchanged: no notification
    EXPECT_EQ(changes, 1);

    TForm form(nullptr);
    auto* edit = new TEdit(&form);
    edit->SetParent(&form);
    form.Font()->SetName("WenQuanYi Micro Hei");
    form.Font()->SetSize(12);
    EXPECT_TRUE(edit->ParentFont());
    EXPECT_EQ(edit->Font()->Height(), -16);
    edit->Font()->SetColor(clRed); // its own font from now on
    EXPECT_FALSE(edit->ParentFont());
    form.Font()->SetSize(20);
    EXPECT_EQ(edit->Font()->Height(), -16);
    edit->SetParentFont(true);
    EXPECT_EQ(edit->Font()->Height(), form.Font()->Height());
}

TEST(Screen, FontsListTheInstalledCjkFont)
{
    const TStringList& fonts = Screen->Fonts();
    EXPECT_GT(fonts.Count(), 0);
    bool found = false;
    for (int i = 0; i < fonts.Count(); ++i)
        if (fonts[i].find("WenQuanYi") != std::string::npos) found = true;
    EXPECT_TRUE(found);
}

} // namespace
