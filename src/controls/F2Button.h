#pragma once
// TF2Button: a quick-pick button bound to one input control, its F2Control.
// It sits just right of the control, at the control's height, and a click on
// it is the mouse's way of pressing F2 there: the control takes the focus and
// its form is asked, with WM_QUICKPICK, to run its quick pick for it.
#include <cstdint>

#include "controls/GSpdBtn.h"
#include "platform/ui/Messages.h"

// Sent to the window of a control's owner (the form) to ask for the quick
// pick of that control: wParam 0, lParam the control (QuickPickParam). Forms
// answer as though F2 had been pressed in the control.
constexpr unsigned WM_QUICKPICK = WM_USER + 10;

inline LPARAM QuickPickParam(TWinControl* control) { return reinterpret_cast<LPARAM>(control); }
// The control a WM_QUICKPICK asks for (null when none).
inline TWinControl* QuickPickControl(const TMessage& message)
{
    return reinterpret_cast<TWinControl*>(message.LParam);
}

// Focuses the control when it can take the focus and, when it then has the
// focus, sends WM_QUICKPICK for it to the window of its owner. Nothing is
// sent when the owner is not a window control. Returns whether it was sent.
bool RequestQuickPick(TWinControl* control);

class TF2Button : public TGSpeedButton {
    ORVANE_CLASS_INFO
public:
    // A new button is flat, shows picture 8, keeps beside its control
    // (AutoAlign) with a gap of 2 pixels, and is not bound yet.
    explicit TF2Button(TComponent* AOwner);
    ~TF2Button() override;

    // Binding a control that no other quick-pick button of the same parent
    // binds places the button beside it. A control that another button
    // already binds shows "不能同时有两个 F2Button 指到同一个 Edit." and the
    // binding stays as it was; the control this button already binds
    // changes nothing. nullptr unbinds and keeps the position. A bound
    // control that is freed is forgotten.
    TWinControl* F2Control() const { return FF2Control; }
    void SetF2Control(TWinControl* control);
    // Assigning either value places the button again when it is on (forms
    // that move the bound control re-assign it); off leaves it where it is.
    bool AutoAlign() const { return FAutoAlign; }
    void SetAutoAlign(bool v);
    // Pixels between the control's right edge and the button.
    std::uint8_t Gap() const { return FGap; }
    void SetGap(std::uint8_t v);

    // Square, at the control's height and top, Gap pixels right of it (in
    // the coordinates of the common parent); only while bound and AutoAlign.
    void AlignToControl();
    // Whether the control may be bound: false when a TF2Button owned by this
    // button's parent already binds it (this button included); for another
    // button the message above is shown. Every such button is looked at.
    bool CheckUniqueBinding(TWinControl* control);

    // OnClick first; then, for a bound and enabled control, the quick pick
    // (RequestQuickPick).
    void Click() override;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    TWinControl* FF2Control = nullptr;
    bool FAutoAlign = true;
    std::uint8_t FGap = 2;
};
