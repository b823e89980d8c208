#pragma once
// Picture buttons. A glyph is a strip of up to four equal images side by
// side: normal, disabled, down (pressed) and stay-down; the button shows the
// image for its state and leaves out the glyph's transparent colour (the
// colour of its bottom-left pixel unless set).
#include <memory>
#include <string>

#include "platform/ui/Controls.h"
#include "platform/ui/StdCtrls.h"

enum TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };

// Which image of a strip of `numGlyphs` shows for a button state.
int GlyphIndexFor(int numGlyphs, bool enabled, bool down);

// A push button with a glyph beside its caption.
class TBitBtn : public TButton {
    ORVANE_CLASS_INFO
public:
    explicit TBitBtn(TComponent* AOwner);
    ~TBitBtn() override;

    // The button's own bitmap: assigning copies the pixels in, and sets
    // NumGlyphs to width / height when the width is a multiple of the
    // height (at most 4). Changing the bitmap in place is shown too.
    TBitmap* Glyph() const { return FGlyph.get(); }
    void SetGlyph(TBitmap* value);
    int NumGlyphs() const { return FNumGlyphs; }
    // Limited to 1 ... 4.
    void SetNumGlyphs(int v);
    // A standard kind sets the caption, the modal result and Default or
    // Cancel; bkClose closes the parent form when clicked.
    TBitBtnKind Kind() const { return FKind; }
    void SetKind(TBitBtnKind v);
    // The image of the glyph the button shows now (0 normal, 1 disabled).
    int GlyphShown() const { return GlyphIndexFor(FNumGlyphs, Enabled(), false); }

    void SetEnabled(bool v) override;
    void Click() override;

private:
    void GlyphChanged(TObject*);
    void UpdateIcon();

    std::unique_ptr<TBitmap> FGlyph;
    int FNumGlyphs = 1;
    TBitBtnKind FKind = bkCustom;
};

// A button without a window of its own, usually on a tool bar or panel.
// Buttons with the same non-zero GroupIndex on the same parent work as
// radio buttons: pressing one puts the others up.
class TSpeedButton : public TGraphicControl {
    ORVANE_CLASS_INFO
public:
    explicit TSpeedButton(TComponent* AOwner);
    ~TSpeedButton() override;

    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& v);
    TBitmap* Glyph() const { return FGlyph.get(); }
    void SetGlyph(TBitmap* value);
    int NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(int v);
    bool Flat() const { return FFlat; }
    void SetFlat(bool v);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int v);
    // With AllowAllUp (shared by the whole group) a down button can be
    // released so that no button of the group is down.
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool v);
    // Only a grouped button stays down; a down button without AllowAllUp
    // is released only by pressing another of its group.
    bool Down() const { return FDown; }
    void SetDown(bool v);
    int GlyphShown() const { return GlyphIndexFor(FNumGlyphs, Enabled(), FDown); }

    void SetEnabled(bool v) override;
    // A grouped button goes down (or, with AllowAllUp, toggles); then OnClick.
    void Click() override;

protected:
    void Paint() override;

private:
    void GlyphChanged(TObject*);
    template <class F>
    void ForEachInGroup(F f);

    std::string FCaption;
    std::unique_ptr<TBitmap> FGlyph;
    int FNumGlyphs = 1;
    bool FFlat = false;
    int FGroupIndex = 0;
    bool FAllowAllUp = false;
    bool FDown = false;
};
