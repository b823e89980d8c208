#include "controls/F2Button.h"

#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"

bool RequestQuickPick(TWinControl* control)
{
    if (!control) return false;
    if (control->CanFocus()) control->SetFocus();
    if (!control->Focused()) return false;
    // The form that owns the control runs the quick pick; an owner without a
    // window (or no owner) cannot be asked.
    auto* owner = dynamic_cast<TWinControl*>(control->Owner());
    if (!owner) return false;
    Application->SendMessage(owner, WM_QUICKPICK, 0, QuickPickParam(control));
    return true;
}

const TClassInfo& TF2Button::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TF2Button>("TF2Button", TGSpeedButton::StaticClass())
            .Prop<bool>("AutoAlign", &TF2Button::AutoAlign, &TF2Button::SetAutoAlign)
            // Only window controls can be bound: another kind of object is
            // refused rather than taken for "unbind".
            .Prop<TObject*>(
                "F2Control", [](const TF2Button& b) -> TObject* { return b.F2Control(); },
                [](TF2Button& b, TObject* v) {
                    auto* control = dynamic_cast<TWinControl*>(v);
                    if (v && !control) throw EPropertyError("F2Control must be a window control");
                    b.SetF2Control(control);
                })
            // 0 ... 255 pixels; other values are refused, not wrapped.
            .Prop<int>(
                "Gap", [](const TF2Button& b) { return int(b.Gap()); },
                [](TF2Button& b, int v) {
                    if (v < 0 || v > 255) throw EPropertyError("Gap must be between 0 and 255");
                    b.SetGap(static_cast<std::uint8_t>(v));
                })
            .Build();
    return info;
}

TF2Button::TF2Button(TComponent* AOwner) : TGSpeedButton(AOwner)
{
    SetGlyphIndex(8);
    SetFlat(true);
}

TF2Button::~TF2Button() { BeginDestroy(); }

void TF2Button::SetF2Control(TWinControl* control)
{
    if (control && !CheckUniqueBinding(control)) return;
    if (FF2Control) RemoveFreeNotification(FF2Control);
    FF2Control = control;
    if (!control) return;
    // Told when the control is freed, so the button never points at a freed
    // control.
    control->FreeNotification(this);
    AlignToControl();
}

void TF2Button::SetAutoAlign(bool v)
{
    FAutoAlign = v;
    AlignToControl();
}

void TF2Button::SetGap(std::uint8_t v)
{
    if (v == FGap) return;
    FGap = v;
    AlignToControl();
}

void TF2Button::AlignToControl()
{
    if (!FF2Control || !FAutoAlign) return;
    SetHeight(FF2Control->Height());
    SetWidth(Height());
    SetTop(FF2Control->Top());
    SetLeft(FF2Control->Left() + FF2Control->Width() + FGap);
}

bool TF2Button::CheckUniqueBinding(TWinControl* control)
{
    bool unique = true;
    TWinControl* parent = Parent();
    if (!parent) return unique;
    for (int i = 0; i < parent->ComponentCount(); ++i) {
        auto* other = dynamic_cast<TF2Button*>(parent->Components(i));
        if (!other || other->F2Control() != control) continue;
        if (other != this) MessageDlg("不能同时有两个 F2Button 指到同一个 Edit.", mtError, MsgDlgButton(mbOK));
        unique = false;
    }
    return unique;
}

void TF2Button::Click()
{
    TGSpeedButton::Click();
    if (!FF2Control || !FF2Control->Enabled()) return;
    RequestQuickPick(FF2Control);
}

void TF2Button::Notification(TComponent* component, TOperation operation)
{
    TGSpeedButton::Notification(component, operation);
    if (operation == opRemove && component == FF2Control) FF2Control = nullptr;
}
