#pragma once
// Controls: TControl (position, visibility, font, mouse events, messages)
// and TWinControl (a control that can hold child controls, take the focus
// and receive keys). Each control wraps one Qt widget, which only displays
// and reports input; behaviour (focus path, keys, messages) lives here.
//
// Ownership: a control's widget belongs to the control alone. A child's
// widget has its parent's widget as Qt parent for display, but before a
// widget is deleted every child widget of ours has been freed or detached,
// so Qt never deletes a widget (or a control) of ours.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Events.h"
#include "platform/ui/Classes.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/Messages.h"

class QWidget;
class QEvent;
class TWinControl;
class TForm;
class TControlBridge;

using TKeyEvent = TEvent<void(TObject* Sender, std::uint16_t& Key, TShiftState Shift)>;
using TKeyPressEvent = TEvent<void(TObject* Sender, char& Key)>;
using TMouseEvent = TEvent<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = TEvent<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TMessageHandler = std::function<void(TMessage&)>;

// Where a control sits in its parent: docked to a side (taking the whole
// width or height left there) or filling what remains. The parent lays out
// its aligned children whenever it is resized or one of them changes.
enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

class TControl : public TComponent {
    ORVANE_CLASS_INFO
public:
    explicit TControl(TComponent* AOwner);
    ~TControl() override;

    TWinControl* Parent() const { return FParent; }
    virtual void SetParent(TWinControl* parent);

    int Left() const { return FLeft; }
    int Top() const { return FTop; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void SetLeft(int v) { SetBounds(v, FTop, FWidth, FHeight); }
    void SetTop(int v) { SetBounds(FLeft, v, FWidth, FHeight); }
    void SetWidth(int v) { SetBounds(FLeft, FTop, v, FHeight); }
    void SetHeight(int v) { SetBounds(FLeft, FTop, FWidth, v); }
    virtual void SetBounds(int left, int top, int width, int height);
    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign v);

    bool Visible() const { return FVisible; }
    void SetVisible(bool v);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool Enabled() const { return FEnabled; }
    virtual void SetEnabled(bool v);
    TColor Color() const { return FColor; }
    void SetColor(TColor v);
    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* font); // copies the attributes
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool v);
    const std::string& Hint() const { return FHint; }
    void SetHint(const std::string& v);
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool v);

    // The form the control sits on (the nearest form up the parent chain;
    // a form is its own parent form).
    TForm* GetParentForm() const;

    // Messages: WndProc is the entry of SendMessage and posted messages. It
    // runs the handler registered for the message number, otherwise
    // DefaultHandler.
    virtual void WndProc(TMessage& message);
    virtual void Dispatch(TMessage& message);
    virtual void DefaultHandler(TMessage& message) {}
    // Registers (or with an empty handler removes) the handler of a message
    // number; a derived class or the code that made the control can set it.
    void SetMessageHandler(unsigned msg, TMessageHandler handler);
    LRESULT Perform(unsigned msg, WPARAM wParam = 0, LPARAM lParam = 0);

    // Runs OnClick (buttons add their modal result first).
    virtual void Click();

    // The Qt widget under the control (for the platform layer only).
    QWidget* Widget() const { return FWidget; }

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;

protected:
    // Takes ownership of the widget that displays the control.
    void SetWidget(QWidget* widget);
    // Deletes the widget (idempotent); called from the destructor, and first
    // by derived destructors whose widget connections refer to them.
    void DestroyWidget();
    virtual void VisibleChanged() {}
    virtual void FontChanged();
    virtual void ApplyColor();
    // A mouse click (press and release inside) on a control that has no click
    // of its own; buttons report clicks through their widget instead.
    virtual bool ClicksFromMouse() const { return true; }
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TWinControl;
    friend class TForm;
    friend class TControlBridge;
    void ParentFontChanged();
    void ApplyFont();
    void ApplyHint();
    void FontOnChange(TObject*);

    TWinControl* FParent = nullptr;
    QWidget* FWidget = nullptr;
    std::unique_ptr<TControlBridge> FBridge;
    int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
    TAlign FAlign = alNone;
    bool FVisible = true;
    bool FEnabled = true;
    TColor FColor = clBtnFace;
    std::unique_ptr<TFont> FFont;
    bool FParentFont = true;
    bool FUpdatingFromParent = false;
    std::string FHint;
    bool FShowHint = false;
    std::map<unsigned, TMessageHandler> FHandlers;
    bool FMousePressed = false;
};

class TWinControl : public TControl {
    ORVANE_CLASS_INFO
public:
    // A plain container (a panel without painting) over a QWidget.
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;

    int ControlCount() const { return static_cast<int>(FControls.size()); }
    TControl* Controls(int index) const;

    // The window handle: an integer id made on first use, unique for the
    // life of the process, through which the Application finds the control.
    HWND Handle();
    bool HandleAllocated() const { return FHandle != 0; }

    int TabOrder() const;
    void SetTabOrder(int v);
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool v) { FTabStop = v; }
    // Child window controls in tab order.
    std::vector<TWinControl*> TabList() const { return FTabList; }
    // This control's window descendants in tab order (depth first).
    void GetTabOrderList(std::vector<TWinControl*>& list) const;

    // Places the aligned child controls: top, bottom, left and right ones in
    // order of position, then the client ones in the space left.
    void Realign();

    // Visible and enabled up to the parent form, and a window control.
    virtual bool CanFocus() const;
    // Moves the focus here through the parent form's focus path; raises
    // EInvalidOperation when the control cannot take the focus.
    virtual void SetFocus();
    bool Focused() const;

    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;
    TKeyEvent OnKeyUp;

protected:
    struct TNoWidget {};
    // For derived classes that make their own widget.
    TWinControl(TComponent* AOwner, TNoWidget);

    // Focus and key handlers run by the form. Derived classes may add to them.
    virtual void DoEnter() { OnEnter(this); }
    virtual void DoExit() { OnExit(this); }
    virtual void KeyDown(std::uint16_t& key, TShiftState shift) { OnKeyDown(this, key, shift); }
    virtual void KeyPress(char& key) { OnKeyPress(this, key); }
    virtual void KeyUp(std::uint16_t& key, TShiftState shift) { OnKeyUp(this, key, shift); }
    // Frees owned components and detaches remaining child controls while
    // this control is still whole; called first by derived destructors.
    void DestroyChildren();
    // The area aligned children share (the whole control unless a caption,
    // border or tab row takes part of it).
    virtual void AdjustClientRect(int& left, int& top, int& width, int& height) const {}

private:
    friend class TControl;
    friend class TForm;
    friend class TControlBridge;
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);

    std::vector<TControl*> FControls;
    std::vector<TWinControl*> FTabList;
    HWND FHandle = 0;
    bool FTabStop = false;
    bool FAligning = false;
};

// Owner-drawn controls. Paint draws on Canvas(), which during painting
// draws on a bitmap of the control's size; the widget then shows that
// bitmap. PaintTo runs the same Paint into any bitmap, so tests check the
// pixels a control draws.
class TCustomControl : public TWinControl {
    ORVANE_CLASS_INFO
public:
    explicit TCustomControl(TComponent* AOwner);
    ~TCustomControl() override;

    TCanvas* Canvas() const { return FCanvas.get(); }
    // Invalidate asks for a repaint when the widget is next drawn; Repaint
    // paints at once.
    void Invalidate();
    void Repaint();
    // Sizes the bitmap to the control and paints the control into it.
    void PaintTo(TBitmap& bitmap);

protected:
    // Draws the control; the default fills it with Color.
    virtual void Paint();
    void FontChanged() override;
    void ApplyColor() override;

private:
    friend class TPaintSurface;
    std::unique_ptr<TBitmap> FBuffer;
    std::unique_ptr<TCanvas> FCanvas;
};

// A control without a window of its own (a speed button, a paint box) that
// draws itself the same way.
class TGraphicControl : public TControl {
    ORVANE_CLASS_INFO
public:
    explicit TGraphicControl(TComponent* AOwner);
    ~TGraphicControl() override;

    TCanvas* Canvas() const { return FCanvas.get(); }
    void Invalidate();
    void Repaint();
    void PaintTo(TBitmap& bitmap);

protected:
    // Draws the control; the default draws nothing (the parent shows through).
    virtual void Paint() {}
    void FontChanged() override;
    void ApplyColor() override;

private:
    friend class TPaintSurface;
    // Fills the canvas's bitmap with the parent's colour, then runs Paint.
    void PaintOverParent();
    std::unique_ptr<TBitmap> FBuffer;
    std::unique_ptr<TCanvas> FCanvas;
};
