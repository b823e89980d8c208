#pragma once
// TSpinEdit: an edit for a whole number with up and down buttons (and the
// arrow keys) that step it by Increment within MinValue ... MaxValue.
#include "platform/ui/StdCtrls.h"

class TSpinEdit : public TEdit {
    ORVANE_CLASS_INFO
public:
    explicit TSpinEdit(TComponent* AOwner);

    // The text as a number; MinValue when the text is not one.
    int Value() const;
    // Shows the value, limited to MinValue ... MaxValue.
    void SetValue(int v);
    int MinValue() const { return FMinValue; }
    void SetMinValue(int v) { FMinValue = v; }
    int MaxValue() const { return FMaxValue; }
    void SetMaxValue(int v) { FMaxValue = v; }
    int Increment() const { return FIncrement; }
    void SetIncrement(int v) { FIncrement = v; }
    // The value limited to the range; MinValue = MaxValue means no limit.
    int CheckValue(int v) const;

    // One step up or down (nothing when read-only).
    void UpClick();
    void DownClick();

protected:
    // Up and down arrows step the value.
    void KeyDown(std::uint16_t& key, TShiftState shift) override;
    // Only digits, signs and control keys are typed.
    void KeyPress(char& key) override;
    // Leaving the edit puts a value outside the range back into it.
    void DoExit() override;

private:
    int FMinValue = 0;
    int FMaxValue = 0;
    int FIncrement = 1;
};
