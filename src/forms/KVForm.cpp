#include "forms/KVForm.h"

#include <algorithm>

#include "platform/core/Exceptions.h"
#include "platform/os/Paths.h"
#include "platform/ui/Buttons.h"

const TClassInfo& TKVForm::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TKVForm>("TKVForm", TForm::StaticClass())
                                       .Field("KvConverter", &TKVForm::KvConverter)
                                       .Field("LangController", &TKVForm::LangController)
                                       .Build();
    return info;
}

TKVForm::TKVForm(TComponent* AOwner) : TForm(AOwner)
{
    SetName("KVForm");
    SetCaption("KVForm");
    SetBounds(Left(), Top(), 400, 191);
    SetColor(clBtnFace);
    TFont font;
    font.SetCharset(DEFAULT_CHARSET);
    font.SetColor(clWindowText);
    font.SetHeight(-13);
    font.SetName("宋体");
    font.SetStyle(0);
    SetFont(&font);
    KeyPreview = true;
    SetPosition(poScreenCenter);
    SetShowHint(true);
    OnCreate = TNotifyEvent(this, &TKVForm::FormCreate);
    OnShow = TNotifyEvent(this, &TKVForm::FormShow);

    KvConverter = new TCodeConverter(this);
    KvConverter->SetName("KvConverter");
    KvConverter->SetDesignType(dtClient);
    LangController = new TKvLangController(this);
    LangController->SetName("LangController");
    LangController->SetActive(false);
}

std::unique_ptr<TBitmap> MakeDisabledGlyph(TBitmap& Source)
{
    Source.SetPixelFormat(pf24bit);
    const int W = Source.Width(), H = Source.Height();
    const TColor T = ColorToRGB(Source.TransparentColor());
    auto R = std::make_unique<TBitmap>(W, H);
    R->SetPixelFormat(pf24bit);
    R->Canvas()->Brush()->SetColor(T);
    R->Canvas()->FillRect({0, 0, W, H});

    // The mask: dark pixels, and light ones that touch a transparent pixel
    // (neighbours outside the bitmap are the nearest edge pixel).
    auto at = [&](int x, int y) { return Source.Pixel(std::clamp(x, 0, W - 1), std::clamp(y, 0, H - 1)); };
    auto M = std::make_unique<TBitmap>(W, H);
    M->SetMonochrome(true);
    M->Canvas()->Brush()->SetColor(clWhite);
    M->Canvas()->FillRect({0, 0, W, H});
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const TColor c = at(x, y);
            if (c == T) continue;
            const bool marked = GetRValue(c) + GetGValue(c) + GetBValue(c) < 384 || at(x, y - 1) == T ||
                                at(x, y + 1) == T || at(x - 1, y) == T || at(x + 1, y) == T;
            if (!marked) continue;
            R->SetPixel(x, y, clBlack);
            M->SetPixel(x, y, clBlack);
        }

    // Emboss: highlight one pixel down and right, shadow on top, where the
    // mask is black; the rest is the button face.
    constexpr TCopyMode PaintBrushWhereMaskIsBlack = 0x00E20746;
    TCanvas& canvas = *R->Canvas();
    canvas.Brush()->SetColor(clBtnFace);
    canvas.FillRect({0, 0, W, H});
    canvas.SetCopyMode(PaintBrushWhereMaskIsBlack);
    canvas.Brush()->SetColor(clBtnHighlight);
    canvas.CopyRect({1, 1, W + 1, H + 1}, *M->Canvas(), {0, 0, W, H});
    canvas.Brush()->SetColor(clBtnShadow);
    canvas.CopyRect({0, 0, W, H}, *M->Canvas(), {0, 0, W, H});
    canvas.SetCopyMode(cmSrcCopy);
    return R;
}

void AddDisabledGlyph(TBitmap* Glyph)
{
    if (!Glyph || Glyph->Empty()) return;
    std::unique_ptr<TBitmap> D = MakeDisabledGlyph(*Glyph);
    TBitmap C;
    C.Assign(Glyph);
    const int W = Glyph->Width();
    const TColor transparent = Glyph->TransparentColor();
    Glyph->SetWidth(2 * W);
    Glyph->Canvas()->Brush()->SetColor(transparent);
    Glyph->Canvas()->FillRect({0, 0, 2 * W, Glyph->Height()});
    Glyph->Canvas()->Draw(0, 0, C);
    Glyph->Canvas()->Draw(W, 0, *D);
}

// A button whose glyph holds one image gets the disabled image beside it.
template <class TGlyphButton>
static void AddDisabledImage(TGlyphButton& button)
{
    if (button.NumGlyphs() != 1 || !button.Glyph() || button.Glyph()->Empty()) return;
    AddDisabledGlyph(button.Glyph());
    button.SetNumGlyphs(2);
}

// The glyph rule, by the first matching class: speed buttons (and the
// suite's buttons derived from them), then bitmap buttons.
static void ApplyGlyphRule(TComponent* component)
{
    if (auto* speed = dynamic_cast<TSpeedButton*>(component)) AddDisabledImage(*speed);
    else if (auto* bit = dynamic_cast<TBitBtn*>(component)) AddDisabledImage(*bit);
}

void TKVForm::FormCreate(TObject* Sender)
{
    Converted = false;
    const bool latinFont = GetUICodePage() == "437";
    for (int i = 0; i < ComponentCount(); ++i) {
        TComponent* component = Components(i);
        if (IsPublishedProp(component, "ImeName")) SetStrProp(component, "ImeName", "");
        if (latinFont && IsPublishedProp(component, "Font")) {
            if (auto* font = dynamic_cast<TFont*>(GetObjectProp(component, "Font"))) {
                font->SetCharset(134);
                font->SetName("Tahoma");
            }
        }
        ApplyGlyphRule(component);
    }
}

void TKVForm::FormShow(TObject* Sender) { ApplyLanguage(this); }

std::vector<std::string> TKVForm::LanguagePackageNames(const TObject& Target)
{
    std::vector<std::string> names;
    for (const TClassInfo* cls = &Target.ClassType(); cls && cls != &TForm::StaticClass(); cls = cls->Parent())
        names.insert(names.begin(), cls->Name());
    return names;
}

void TKVForm::ApplyLanguage(TObject* Target)
{
    auto* target = dynamic_cast<TComponent*>(Target);
    if (!target) return;
    const std::string folder = LangController->GetLanguageFolder();
    for (const std::string& name : LanguagePackageNames(*Target)) {
        LangController->SetLangPackageName(name);
        if (!os::FileExists(TKvLangController::PackageFileName(name, folder))) continue;
        LangController->SetActive(true);
        LangController->ApplyTo(target);
    }
}

void TKVForm::ConvertForm()
{
    if (Converted) return;
    KvConverter->ConvertWindow(*this, true);
    Converted = true;
}

TModalResult TKVForm::ShowMessageDialog(const std::string& Text, TMsgDlgType DlgType, TMsgDlgButtons Buttons)
{
    return KvConverter->ShowMessageDialog(Text, DlgType, Buttons);
}

std::string TKVForm::GetSystemCodePage() const { return KvConverter->SysCodePage; }
std::string TKVForm::GetUICodePage() const { return KvConverter->UICodePage; }

void TKVForm::GetLangString(const std::string& Section, const std::string& Key, std::string& Result,
                            bool ConvertDefault, const std::string& Default) const
{
    std::string D = Default;
    if (ConvertDefault) D = KvConverter->ToInterface(Variant(D)).AsString();
    Result = LangController->ReadString(Section, Key, D);
}
