#include "platform/ui/Buttons.h"

#include <QIcon>
#include <QPushButton>
#include <algorithm>

#include "platform/ui/GraphicsQt.h"

int GlyphIndexFor(int numGlyphs, bool enabled, bool down)
{
    if (!enabled) return numGlyphs >= 2 ? 1 : 0;
    if (down) return numGlyphs >= 4 ? 3 : numGlyphs >= 3 ? 2 : 0;
    return 0;
}

namespace {

// Images in a strip assigned as a glyph: width / height when the width is a
// multiple of the height and gives at most four; otherwise `current`.
int NumGlyphsOf(const TBitmap& glyph, int current)
{
    if (glyph.Height() <= 0 || glyph.Width() % glyph.Height() != 0) return current;
    const int n = glyph.Width() / glyph.Height();
    return n >= 1 && n <= 4 ? n : 1;
}

const std::vector<std::string> KindNames = {"bkCustom", "bkOK",    "bkCancel", "bkHelp",   "bkYes", "bkNo",
                                            "bkClose",  "bkAbort", "bkRetry",  "bkIgnore", "bkAll"};

struct TKindInfo {
    const char* Caption;
    TModalResult Result;
};

constexpr TKindInfo KindInfo[] = {
    {"", mrNone},          {"OK", mrOk},         {"Cancel", mrCancel}, {"&Help", mrNone},
    {"&Yes", mrYes},       {"&No", mrNo},        {"&Close", mrNone},   {"Abort", mrAbort},
    {"&Retry", mrRetry},   {"&Ignore", mrIgnore}, {"&All", mrAll},
};

} // namespace

// ---------------------------------------------------------------------------
// TBitBtn

const TClassInfo& TBitBtn::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TBitBtn>("TBitBtn", TButton::StaticClass())
                                       .Prop<TBitmap*>("Glyph", &TBitBtn::Glyph, &TBitBtn::SetGlyph)
                                       .Prop<TBitBtnKind>("Kind", &TBitBtn::Kind, &TBitBtn::SetKind, KindNames)
                                       .Prop<int>("NumGlyphs", &TBitBtn::NumGlyphs, &TBitBtn::SetNumGlyphs)
                                       .Build();
    return info;
}

TBitBtn::TBitBtn(TComponent* AOwner) : TButton(AOwner), FGlyph(std::make_unique<TBitmap>())
{
    FGlyph->OnChange = TNotifyEvent(this, &TBitBtn::GlyphChanged);
}

TBitBtn::~TBitBtn()
{
    BeginDestroy();
    FGlyph->OnChange = nullptr;
}

void TBitBtn::SetGlyph(TBitmap* value)
{
    FGlyph->Assign(value);
    if (value) SetNumGlyphs(NumGlyphsOf(*FGlyph, FNumGlyphs));
}

void TBitBtn::SetNumGlyphs(int v)
{
    v = std::clamp(v, 1, 4);
    if (v == FNumGlyphs) return;
    FNumGlyphs = v;
    UpdateIcon();
}

void TBitBtn::SetKind(TBitBtnKind v)
{
    if (v == FKind) return;
    FKind = v;
    if (v == bkCustom) return;
    SetCaption(KindInfo[v].Caption);
    SetModalResult(KindInfo[v].Result);
    if (v == bkOK || v == bkYes) SetDefault(true);
    if (v == bkCancel || v == bkNo) SetCancel(true);
}

void TBitBtn::SetEnabled(bool v)
{
    TButton::SetEnabled(v);
    UpdateIcon();
}

void TBitBtn::Click()
{
    if (FKind == bkClose) {
        if (TForm* form = GetParentForm()) form->Close();
        TWinControl::Click();
        return;
    }
    TButton::Click();
}

void TBitBtn::GlyphChanged(TObject*) { UpdateIcon(); }

void TBitBtn::UpdateIcon()
{
    auto* w = static_cast<QPushButton*>(Widget());
    if (!w || Destroying()) return;
    if (FGlyph->Empty()) {
        w->setIcon(QIcon());
        return;
    }
    // The layer picks the image; Qt only shows it.
    const QPixmap pm = ToQPixmap(*FGlyph, GlyphShown(), FNumGlyphs, true);
    QIcon icon;
    icon.addPixmap(pm, QIcon::Normal);
    // A glyph with a disabled image shows it as it is; with one image only,
    // Qt greys the normal one.
    if (FNumGlyphs >= 2) icon.addPixmap(pm, QIcon::Disabled);
    w->setIcon(icon);
    w->setIconSize(pm.size());
}

// ---------------------------------------------------------------------------
// TSpeedButton

const TClassInfo& TSpeedButton::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TSpeedButton>("TSpeedButton", TGraphicControl::StaticClass())
            .Prop<bool>("AllowAllUp", &TSpeedButton::AllowAllUp, &TSpeedButton::SetAllowAllUp)
            .Prop<std::string>("Caption", &TSpeedButton::Caption, &TSpeedButton::SetCaption)
            .Prop<bool>("Down", &TSpeedButton::Down, &TSpeedButton::SetDown)
            .Prop<bool>("Flat", &TSpeedButton::Flat, &TSpeedButton::SetFlat)
            .Prop<TBitmap*>("Glyph", &TSpeedButton::Glyph, &TSpeedButton::SetGlyph)
            .Prop<int>("GroupIndex", &TSpeedButton::GroupIndex, &TSpeedButton::SetGroupIndex)
            .Prop<int>("NumGlyphs", &TSpeedButton::NumGlyphs, &TSpeedButton::SetNumGlyphs)
            .Build();
    return info;
}

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner), FGlyph(std::make_unique<TBitmap>())
{
    FGlyph->OnChange = TNotifyEvent(this, &TSpeedButton::GlyphChanged);
    SetBounds(0, 0, 23, 22);
}

TSpeedButton::~TSpeedButton()
{
    BeginDestroy();
    FGlyph->OnChange = nullptr;
}

void TSpeedButton::SetCaption(const std::string& v)
{
    if (v == FCaption) return;
    FCaption = v;
    Invalidate();
}

void TSpeedButton::SetGlyph(TBitmap* value)
{
    FGlyph->Assign(value);
    if (value) SetNumGlyphs(NumGlyphsOf(*FGlyph, FNumGlyphs));
}

void TSpeedButton::SetNumGlyphs(int v)
{
    v = std::clamp(v, 1, 4);
    if (v == FNumGlyphs) return;
    FNumGlyphs = v;
    Invalidate();
}

void TSpeedButton::SetFlat(bool v)
{
    if (v == FFlat) return;
    FFlat = v;
    Invalidate();
}

template <class F>
void TSpeedButton::ForEachInGroup(F f)
{
    if (FGroupIndex == 0 || !Parent()) return;
    for (int i = 0; i < Parent()->ControlCount(); ++i)
        if (auto* other = dynamic_cast<TSpeedButton*>(Parent()->Controls(i));
            other && other != this && other->FGroupIndex == FGroupIndex)
            f(*other);
}

void TSpeedButton::SetGroupIndex(int v)
{
    if (v == FGroupIndex) return;
    FGroupIndex = v;
    if (v == 0) {
        FDown = false;
        Invalidate();
        return;
    }
    // Joining a group: a down button puts the others up.
    if (FDown)
        ForEachInGroup([](TSpeedButton& other) {
            other.FDown = false;
            other.Invalidate();
        });
}

void TSpeedButton::SetAllowAllUp(bool v)
{
    FAllowAllUp = v;
    ForEachInGroup([v](TSpeedButton& other) { other.FAllowAllUp = v; });
}

void TSpeedButton::SetDown(bool v)
{
    if (FGroupIndex == 0) v = false;
    if (v == FDown) return;
    if (FDown && !FAllowAllUp) return; // stays down until another of its group goes down
    FDown = v;
    if (v)
        ForEachInGroup([](TSpeedButton& other) {
            if (!other.FDown) return;
            other.FDown = false;
            other.Invalidate();
        });
    Invalidate();
}

void TSpeedButton::SetEnabled(bool v)
{
    TGraphicControl::SetEnabled(v);
    Invalidate();
}

void TSpeedButton::Click()
{
    if (FGroupIndex != 0) {
        if (!FDown) SetDown(true);
        else if (FAllowAllUp) SetDown(false);
    }
    TGraphicControl::Click();
}

void TSpeedButton::GlyphChanged(TObject*) { Invalidate(); }

void TSpeedButton::Paint()
{
    TCanvas& c = *Canvas();
    const int w = Width(), h = Height();
    const TRect r = Rect(0, 0, w, h);
    if (!FFlat || FDown) {
        c.Brush()->SetColor(clBtnFace);
        c.FillRect(r);
    }
    // The frame: sunken when down, raised otherwise (a flat button has none
    // unless it is down).
    auto edge = [&](TColor topLeft, TColor bottomRight, int inset) {
        c.Pen()->SetColor(topLeft);
        c.MoveTo(inset, h - 1 - inset);
        c.LineTo(inset, inset);
        c.LineTo(w - 1 - inset, inset);
        c.Pen()->SetColor(bottomRight);
        c.LineTo(w - 1 - inset, h - 1 - inset);
        c.LineTo(inset - 1, h - 1 - inset);
    };
    if (FDown) edge(clBtnShadow, clBtnHighlight, 0);
    else if (!FFlat) {
        edge(clBtnHighlight, cl3DDkShadow, 0);
        edge(cl3DLight, clBtnShadow, 1);
    }

    // Glyph at the left of the caption, the two centred together.
    const int offset = FDown ? 1 : 0;
    int gw = 0, gh = 0;
    if (!FGlyph->Empty()) {
        gw = FGlyph->Width() / FNumGlyphs;
        gh = FGlyph->Height();
    }
    c.Font()->Assign(*Font());
    const int tw = FCaption.empty() ? 0 : c.TextWidth(FCaption);
    const int th = FCaption.empty() ? 0 : c.TextHeight(FCaption);
    const int spacing = gw > 0 && tw > 0 ? 4 : 0;
    int x = (w - (gw + spacing + tw)) / 2 + offset;
    if (gw > 0) {
        TBitmap image(gw, gh);
        image.Canvas()->CopyRect(Rect(0, 0, gw, gh), *FGlyph->Canvas(),
                                 Bounds(GlyphShown() * gw, 0, gw, gh));
        image.SetTransparentColor(FGlyph->TransparentColor());
        image.SetTransparent(true);
        c.Draw(x, (h - gh) / 2 + offset, image);
        x += gw + spacing;
    }
    if (tw > 0) {
        c.Brush()->SetStyle(bsClear);
        c.Font()->SetColor(Enabled() ? Font()->Color() : clGrayText);
        c.TextOut(x, (h - th) / 2 + offset, FCaption);
        c.Brush()->SetStyle(bsSolid);
    }
}
