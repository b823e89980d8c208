#include "controls/GSpdBtn.h"

#include <exception>
#include <memory>

#include "platform/core/SysUtils.h"
#include "platform/os/Library.h"
#include "platform/ui/Dialogs.h"

namespace glyphres {

namespace {

using TGetMaxBmpID = int();
using TLoadBmp = bool(TBitmap* bitmap, int id);

// Buttons live on the user-interface thread only, so the binding needs no
// lock.
struct TBinding {
    std::string Name = "PvResD5.dll";
    bool Bound = false;
    std::unique_ptr<os::TLibrary> Library;
    TGetMaxBmpID* GetMaxBmpID = nullptr;
    TLoadBmp* LoadBmp = nullptr;
};

TBinding& State()
{
    static TBinding binding;
    return binding;
}

// The binding, made on first use.
TBinding& Bound()
{
    TBinding& b = State();
    if (!b.Bound) {
        b.Bound = true;
        b.Library = os::TLibrary::Load(b.Name);
        if (b.Library) {
            b.GetMaxBmpID = b.Library->GetProc<TGetMaxBmpID>("GetMaxBmpID");
            b.LoadBmp = b.Library->GetProc<TLoadBmp>("LoadBmp");
        }
    }
    return b;
}

} // namespace

std::string LibraryName() { return State().Name; }

void SetLibraryName(const std::string& name)
{
    TBinding& b = State();
    b.GetMaxBmpID = nullptr;
    b.LoadBmp = nullptr;
    b.Library.reset();
    b.Name = name;
    b.Bound = false;
}

int MaxBmpID()
{
    TBinding& b = Bound();
    return b.GetMaxBmpID ? b.GetMaxBmpID() : 0;
}

bool LoadBmp(TBitmap* bitmap, int id)
{
    TBinding& b = Bound();
    return b.LoadBmp && bitmap && b.LoadBmp(bitmap, id);
}

} // namespace glyphres

const TClassInfo& TGSpeedButton::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TGSpeedButton>("TGSpeedButton", TSpeedButton::StaticClass())
            .Prop<int>("GlyphIndex", &TGSpeedButton::GlyphIndex, &TGSpeedButton::SetGlyphIndex)
            .Prop<int>("HintIndex", &TGSpeedButton::HintIndex, &TGSpeedButton::SetHintIndex)
            .Build();
    return info;
}

TGSpeedButton::TGSpeedButton(TComponent* AOwner) : TSpeedButton(AOwner) {}

void TGSpeedButton::SetGlyphIndex(int n)
{
    if (n == FGlyphIndex) return;
    FGlyphIndex = n;
    // The number shows until a picture replaces it, so a button without its
    // picture still tells which one it wanted.
    SetCaption(IntToStr(n));
    try {
        if (n == 0 || n > glyphres::MaxBmpID()) {
            SetGlyph(nullptr);
            return;
        }
        TBitmap* glyph = Glyph();
        if (!glyphres::LoadBmp(glyph, n)) return;
        // A library that reports success without pixels gives no picture.
        if (glyph->Empty()) return;
        SetCaption("");
        SetNumGlyphs(glyph->Width() / glyph->Height());
    } catch (const std::exception&) {
        MessageDlg("读取 BMP 发生错误", mtError, MsgDlgButton(mbOK));
    }
}
