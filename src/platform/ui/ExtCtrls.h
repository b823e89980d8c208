#pragma once
// Panels and splitters.
#include <memory>
#include <string>

#include "platform/ui/StdCtrls.h"

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

// A container with bevels and an optional caption drawn in its middle.
// Aligned children share the area inside the border and bevels.
class TPanel : public TWinControl {
    ORVANE_CLASS_INFO
public:
    explicit TPanel(TComponent* AOwner);
    ~TPanel() override;

    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& v);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v);
    TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut v);
    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut v);
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int v);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle v);
    // Blank space inside the bevels.
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int v);

protected:
    void AdjustClientRect(int& left, int& top, int& width, int& height) const override;

private:
    void Changed();
    std::string FCaption;
    TAlignment FAlignment = taCenter;
    TBevelCut FBevelInner = bvNone;
    TBevelCut FBevelOuter = bvRaised;
    int FBevelWidth = 1;
    TBorderStyle FBorderStyle = bsNone;
    int FBorderWidth = 0;
};

class TSplitterFilter;

// A bar between a docked control and the rest of its parent. Dragging it
// (or MoveSplitter) resizes the control docked on the same side right before
// it, keeping that control and the space left at least MinSize wide (or
// high); the parent's alignment then moves the splitter along.
class TSplitter : public TControl {
    ORVANE_CLASS_INFO
public:
    explicit TSplitter(TComponent* AOwner);
    ~TSplitter() override;

    int MinSize() const { return FMinSize; }
    void SetMinSize(int v) { FMinSize = v < 1 ? 1 : v; }

    // The control the splitter resizes (nullptr when none is docked next to it).
    TControl* FindControl() const;
    // Moves the splitter by delta pixels (right or down when positive) as far
    // as the limits allow; returns how far it moved.
    int MoveSplitter(int delta);

    TNotifyEvent OnMoved;

private:
    friend class TSplitterFilter;
    std::unique_ptr<TSplitterFilter> FFilter;
    int FMinSize = 30;
};
