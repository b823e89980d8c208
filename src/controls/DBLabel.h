#pragma once
// TDBLabel: the caption beside an input control. It is bound to one control
// (FocusControl), keeps itself Gap pixels away on the chosen side (Pos) and,
// for a data-aware control, can take its text from the display label of the
// control's field. Other code finds a control's caption by looking for the
// TDBLabel whose FocusControl is that control.
#include <cstdint>
#include <string>

#include "platform/ui/StdCtrls.h"

// The side of the control the label sits on.
enum TPos : int { psTop, psLeft, psRight, psBottom };

class TDBLabel : public TLabel {
    ORVANE_CLASS_INFO
public:
    // A new label reads "挂靠标签", sits left of its control with a gap of 4,
    // follows the control's field name (AutoCaption), keeps beside the
    // control (AutoAlign) and sizes itself to its caption (AutoSize).
    explicit TDBLabel(TComponent* AOwner);
    ~TDBLabel() override;

    // Binding a control that no other label of the same parent binds takes
    // the caption (RefreshCaption) and the place (AlignToControl) from it.
    // A control that another label already binds shows "不能同时有两个
    // DBLabel 指到同一个 Control." and the binding stays; the control this
    // label already binds changes nothing. nullptr unbinds and keeps caption
    // and position. A bound control that is freed is forgotten.
    TWinControl* FocusControl() const { return FFocusControl; }
    void SetFocusControl(TWinControl* control);
    // Assigning either value refreshes caption and position.
    bool AutoAlign() const { return FAutoAlign; }
    void SetAutoAlign(bool v);
    bool AutoCaption() const { return FAutoCaption; }
    void SetAutoCaption(bool v);
    // Changing Gap or Pos refreshes caption and position.
    std::uint8_t Gap() const { return FGap; }
    void SetGap(std::uint8_t v);
    TPos Pos() const { return FPos; }
    void SetPos(TPos v);

    // With AutoSize the label takes the width and height of its caption in
    // its font whenever the caption or the font changes; its left and top
    // stay. Turning it on sizes the label at once.
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool v);
    // The caption as TLabel's, sizing the label when AutoSize is on.
    std::string Caption() const { return TLabel::Caption(); }
    void SetCaption(const std::string& v);

    // With AutoCaption and a bound control that publishes a non-empty
    // "DataSource" (and "DataField"): the display label of that field of the
    // data source's "DataSet". Anything missing on the way (no data set, no
    // such field) leaves the caption as it is.
    void RefreshCaption();
    // Places the label on its side of the bound control (while bound and
    // AutoAlign): Gap pixels away, centred on the control's height for the
    // left and right sides, never at a negative coordinate.
    void AlignToControl();
    // Whether the control may be bound: false when a TDBLabel owned by this
    // label's parent already binds it (this label included); for another
    // label the message above is shown. Every such label is looked at.
    bool CheckUniqueBinding(TWinControl* control);

protected:
    void Notification(TComponent* component, TOperation operation) override;
    void FontChanged() override;

private:
    void Refresh();
    void AdjustSize();

    TWinControl* FFocusControl = nullptr;
    bool FAutoAlign = true;
    bool FAutoCaption = true;
    bool FAutoSize = true;
    std::uint8_t FGap = 4;
    TPos FPos = psLeft;
};
