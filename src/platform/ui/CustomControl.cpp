// Owner-drawn controls (declared in Controls.h): the widget shows a bitmap
// that Paint drew through the control's canvas.
#include <QPaintEvent>
#include <QPainter>
#include <QWidget>
#include <functional>

#include "platform/ui/Controls.h"
#include "platform/ui/Forms.h"

// The widget of an owner-drawn control: on every paint event the control
// paints its bitmap, which is then copied to the screen.
class TPaintSurface : public QWidget {
public:
    explicit TPaintSurface(std::function<void(TPaintSurface*)> paint) : FPaint(std::move(paint))
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

    static void PaintControl(TControl* control, TBitmap& buffer, const std::function<void()>& paint,
                             TPaintSurface* surface)
    {
        if (control->Destroying()) return;
        buffer.SetSize(surface->width(), surface->height());
        try {
            paint();
        } catch (...) {
            Application->HandleCurrentException();
        }
        if (buffer.Empty()) return;
        QPainter p(surface);
        p.drawImage(0, 0, buffer.Image());
    }

protected:
    void paintEvent(QPaintEvent*) override { FPaint(this); }

private:
    std::function<void(TPaintSurface*)> FPaint;
};

namespace {

// Paints into `target` through `canvas`, then points the canvas back at
// the control's own bitmap.
void PaintInto(TCanvas& canvas, TBitmap& target, TBitmap& buffer, const std::function<void()>& paint)
{
    canvas.SetTarget(&target);
    try {
        paint();
    } catch (...) {
        canvas.SetTarget(&buffer);
        throw;
    }
    canvas.SetTarget(&buffer);
}

} // namespace

// ---------------------------------------------------------------------------
// TCustomControl

const TClassInfo& TCustomControl::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TCustomControl>("TCustomControl", TWinControl::StaticClass()).Build();
    return info;
}

TCustomControl::TCustomControl(TComponent* AOwner)
    : TWinControl(AOwner, TNoWidget{}), FBuffer(std::make_unique<TBitmap>()),
      FCanvas(std::make_unique<TCanvas>(FBuffer.get()))
{
    FCanvas->Font()->Assign(*Font());
    SetWidget(new TPaintSurface([this](TPaintSurface* surface) {
        TPaintSurface::PaintControl(this, *FBuffer, [this] { Paint(); }, surface);
    }));
}

TCustomControl::~TCustomControl()
{
    BeginDestroy();
    DestroyChildren();
    DestroyWidget();
}

void TCustomControl::Paint()
{
    FCanvas->Brush()->SetColor(Color());
    FCanvas->FillRect(Rect(0, 0, Width(), Height()));
}

void TCustomControl::Invalidate()
{
    if (Widget()) Widget()->update();
}

void TCustomControl::Repaint()
{
    if (Widget()) Widget()->repaint();
}

void TCustomControl::PaintTo(TBitmap& bitmap)
{
    bitmap.SetSize(Width(), Height());
    PaintInto(*FCanvas, bitmap, *FBuffer, [this] { Paint(); });
}

void TCustomControl::FontChanged()
{
    TWinControl::FontChanged();
    if (FCanvas) FCanvas->Font()->Assign(*Font());
    Invalidate();
}

void TCustomControl::ApplyColor()
{
    TWinControl::ApplyColor();
    Invalidate();
}

// ---------------------------------------------------------------------------
// TGraphicControl

const TClassInfo& TGraphicControl::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TGraphicControl>("TGraphicControl", TControl::StaticClass()).Build();
    return info;
}

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner), FBuffer(std::make_unique<TBitmap>()), FCanvas(std::make_unique<TCanvas>(FBuffer.get()))
{
    FCanvas->Font()->Assign(*Font());
    SetWidget(new TPaintSurface([this](TPaintSurface* surface) {
        TPaintSurface::PaintControl(this, *FBuffer, [this] { PaintOverParent(); }, surface);
    }));
}

TGraphicControl::~TGraphicControl()
{
    BeginDestroy();
    DestroyWidget();
}

void TGraphicControl::Invalidate()
{
    if (Widget()) Widget()->update();
}

void TGraphicControl::Repaint()
{
    if (Widget()) Widget()->repaint();
}

void TGraphicControl::PaintTo(TBitmap& bitmap)
{
    bitmap.SetSize(Width(), Height());
    PaintInto(*FCanvas, bitmap, *FBuffer, [this] { PaintOverParent(); });
}

void TGraphicControl::PaintOverParent()
{
    // No window of its own: the parent's colour shows where Paint draws
    // nothing.
    FCanvas->Brush()->SetColor(Parent() ? Parent()->Color() : Color());
    FCanvas->FillRect(FCanvas->ClipRect());
    Paint();
}

void TGraphicControl::FontChanged()
{
    TControl::FontChanged();
    if (FCanvas) FCanvas->Font()->Assign(*Font());
    Invalidate();
}

void TGraphicControl::ApplyColor()
{
    TControl::ApplyColor();
    Invalidate();
}
