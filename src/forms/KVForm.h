#pragma once
// TKVForm: the base window of every window of the module. At creation it
// takes the input method off every edit, gives every control a Latin font
// when the interface runs in the English code page and adds a generated
// "disabled" image to every one-image button glyph. It owns the window's code
// converter (texts converted once, message dialogs) and language controller
// (packages of the window's class and its ancestors applied on every show).
#include <memory>
#include <string>

#include "l10n/CodeConverter.h"
#include "l10n/LanguageController.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"

#include "platform/ui/Graphics.h"

class TKVForm : public TForm {
    ORVANE_CLASS_INFO
public:
    explicit TKVForm(TComponent* AOwner);

    TCodeConverter* KvConverter = nullptr;
    TKvLangController* LangController = nullptr;
    // True once ConvertForm has run; texts put into the window afterwards
    // are converted on their own before they are shown.
    bool Converted = false;

    // Creation and show handlers (OnCreate / OnShow). Derived windows that
    // override them call these first.
    virtual void FormCreate(TObject* Sender);
    virtual void FormShow(TObject* Sender);

    // Applies the language packages of Target's class and of its ancestor
    // classes up to (not including) TForm, most basic first.
    virtual void ApplyLanguage(TObject* Target);
    // The package names ApplyLanguage tries for Target, in order.
    static std::vector<std::string> LanguagePackageNames(const TObject& Target);

    // Converts every text of the window once.
    void ConvertForm();
    TModalResult ShowMessageDialog(const std::string& Text, TMsgDlgType DlgType, TMsgDlgButtons Buttons);
    std::string GetSystemCodePage() const;
    std::string GetUICodePage() const;
    void GetLangString(const std::string& Section, const std::string& Key, std::string& Result,
                       bool ConvertDefault, const std::string& Default) const;
};

// The greyed, embossed image of a bitmap, of the bitmap's size: pixels that
// are dark, or light but next to a transparent pixel, become the mask that
// is painted in the highlight colour offset by one pixel and in the shadow
// colour on top, on the button face colour. Sets the source to 24 bits.
std::unique_ptr<TBitmap> MakeDisabledGlyph(TBitmap& Source);
// Puts the disabled image beside the glyph's own: [normal | disabled].
// Nothing for a missing or empty glyph.
void AddDisabledGlyph(TBitmap* Glyph);

// Builds a window of class T: runs the constructor (the window's definition:
// its controls and settings) and then its creation handler.
template <class T>
T* NewForm(TComponent* AOwner)
{
    T* form = new T(AOwner);
    try {
        form->DoCreate();
    } catch (...) {
        delete form;
        throw;
    }
    return form;
}
