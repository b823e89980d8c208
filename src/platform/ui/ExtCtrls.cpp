#include "platform/ui/ExtCtrls.h"

#include <QFrame>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "platform/ui/ControlSignals.h"
#include "platform/ui/QtBridge.h"

// ---------------------------------------------------------------------------
// TPanel

namespace {

// Paints the panel's bevels and caption from the layer's settings.
class TPanelWidget : public QFrame {
public:
    explicit TPanelWidget(const TPanel* panel) : FPanel(panel) { setAutoFillBackground(true); }

protected:
    void paintEvent(QPaintEvent* e) override
    {
        QFrame::paintEvent(e);
        QPainter p(this);
        QRect r = rect();
        auto bevel = [&](TBevelCut cut) {
            if (cut == bvNone) return;
            const int w = FPanel->BevelWidth();
            if (cut != bvSpace) {
                const QColor light = ToQColor(clBtnHighlight), dark = ToQColor(clBtnShadow);
                const QColor& topLeft = cut == bvRaised ? light : dark;
                const QColor& bottomRight = cut == bvRaised ? dark : light;
                for (int i = 0; i < w; ++i) {
                    const QRect b = r.adjusted(i, i, -i - 1, -i - 1);
                    p.setPen(topLeft);
                    p.drawLine(b.topLeft(), b.topRight());
                    p.drawLine(b.topLeft(), b.bottomLeft());
                    p.setPen(bottomRight);
                    p.drawLine(b.bottomLeft(), b.bottomRight());
                    p.drawLine(b.topRight(), b.bottomRight());
                }
            }
            r.adjust(w, w, -w, -w);
        };
        if (FPanel->BorderStyle() == bsSingle) {
            p.setPen(ToQColor(clWindowFrame));
            p.drawRect(r.adjusted(0, 0, -1, -1));
            r.adjust(1, 1, -1, -1);
        }
        bevel(FPanel->BevelOuter());
        r.adjust(FPanel->BorderWidth(), FPanel->BorderWidth(), -FPanel->BorderWidth(), -FPanel->BorderWidth());
        bevel(FPanel->BevelInner());
        if (FPanel->Caption().empty()) return;
        const Qt::Alignment h = FPanel->Alignment() == taLeftJustify    ? Qt::AlignLeft
                                : FPanel->Alignment() == taRightJustify ? Qt::AlignRight
                                                                        : Qt::AlignHCenter;
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(r, int(h | Qt::AlignVCenter), ToQString(FPanel->Caption()));
    }

private:
    const TPanel* FPanel;
};

} // namespace

const TClassInfo& TPanel::StaticClass()
{
    static const std::vector<std::string> bevels{"bvNone", "bvLowered", "bvRaised", "bvSpace"};
    static const TClassInfo info =
        TClassBuilder<TPanel>("TPanel", TWinControl::StaticClass())
            .Prop<TAlignment>("Alignment", &TPanel::Alignment, &TPanel::SetAlignment,
                              {"taLeftJustify", "taRightJustify", "taCenter"})
            .Prop<TBevelCut>("BevelInner", &TPanel::BevelInner, &TPanel::SetBevelInner, bevels)
            .Prop<TBevelCut>("BevelOuter", &TPanel::BevelOuter, &TPanel::SetBevelOuter, bevels)
            .Prop<int>("BevelWidth", &TPanel::BevelWidth, &TPanel::SetBevelWidth)
            .Prop<TBorderStyle>("BorderStyle", &TPanel::BorderStyle, &TPanel::SetBorderStyle,
                                {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"})
            .Prop<int>("BorderWidth", &TPanel::BorderWidth, &TPanel::SetBorderWidth)
            .Prop<std::string>("Caption", &TPanel::Caption, &TPanel::SetCaption)
            .Build();
    return info;
}

TPanel::TPanel(TComponent* AOwner) : TWinControl(AOwner, TNoWidget{})
{
    SetWidget(new TPanelWidget(this));
    SetBounds(0, 0, 185, 41);
}

TPanel::~TPanel()
{
    BeginDestroy();
    DestroyChildren();
    DestroyWidget(); // it paints from this panel's fields
}

void TPanel::Changed()
{
    Realign();
    if (Widget()) Widget()->update();
}

void TPanel::SetCaption(const std::string& v)
{
    FCaption = v;
    Changed();
}

void TPanel::SetAlignment(TAlignment v)
{
    FAlignment = v;
    Changed();
}

void TPanel::SetBevelInner(TBevelCut v)
{
    FBevelInner = v;
    Changed();
}

void TPanel::SetBevelOuter(TBevelCut v)
{
    FBevelOuter = v;
    Changed();
}

void TPanel::SetBevelWidth(int v)
{
    FBevelWidth = std::max(1, v);
    Changed();
}

void TPanel::SetBorderStyle(TBorderStyle v)
{
    FBorderStyle = v == bsNone ? bsNone : bsSingle;
    Changed();
}

void TPanel::SetBorderWidth(int v)
{
    FBorderWidth = std::max(0, v);
    Changed();
}

void TPanel::AdjustClientRect(int& left, int& top, int& width, int& height) const
{
    int inset = FBorderWidth;
    if (FBorderStyle == bsSingle) ++inset;
    if (FBevelOuter != bvNone) inset += FBevelWidth;
    if (FBevelInner != bvNone) inset += FBevelWidth;
    left += inset;
    top += inset;
    width -= 2 * inset;
    height -= 2 * inset;
}

// ---------------------------------------------------------------------------
// TSplitter

// Turns a drag with the left button into MoveSplitter calls.
class TSplitterFilter : public QObject {
public:
    explicit TSplitterFilter(TSplitter* splitter) : FSplitter(splitter) {}
    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Enter:
            FSplitter->Widget()->setCursor(FSplitter->Align() == alTop || FSplitter->Align() == alBottom
                                               ? Qt::SplitVCursor
                                               : Qt::SplitHCursor);
            return false;
        case QEvent::MouseButtonPress: {
            auto* me = static_cast<QMouseEvent*>(event);
            if (me->button() != Qt::LeftButton) return false;
            FDragging = true;
            FLast = Axis(me->globalPosition().toPoint());
            return false;
        }
        case QEvent::MouseMove: {
            if (!FDragging) return false;
            const int pos = Axis(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
            RunFromWidget(FSplitter, [&] { FLast += FSplitter->MoveSplitter(pos - FLast); });
            return false;
        }
        case QEvent::MouseButtonRelease: {
            if (!FDragging) return false;
            FDragging = false;
            RunFromWidget(FSplitter, [this] { FSplitter->OnMoved(FSplitter); });
            return false;
        }
        default: return false;
        }
    }

private:
    int Axis(QPoint p) const
    {
        return FSplitter->Align() == alTop || FSplitter->Align() == alBottom ? p.y() : p.x();
    }
    TSplitter* FSplitter;
    bool FDragging = false;
    int FLast = 0;
};

const TClassInfo& TSplitter::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TSplitter>("TSplitter", TControl::StaticClass())
                                       .Prop<int>("MinSize", &TSplitter::MinSize, &TSplitter::SetMinSize)
                                       .Field("OnMoved", &TSplitter::OnMoved)
                                       .Build();
    return info;
}

TSplitter::TSplitter(TComponent* AOwner) : TControl(AOwner), FFilter(std::make_unique<TSplitterFilter>(this))
{
    auto* w = new QWidget;
    w->setCursor(Qt::SplitHCursor);
    SetWidget(w);
    w->installEventFilter(FFilter.get());
    SetBounds(0, 0, 3, 100);
    SetAlign(alLeft);
}

TSplitter::~TSplitter()
{
    BeginDestroy();
    DestroyWidget();
}

TControl* TSplitter::FindControl() const
{
    const TWinControl* parent = Parent();
    if (!parent || Align() == alNone || Align() == alClient) return nullptr;
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* c = parent->Controls(i);
        if (c == this || !c->Visible() || c->Align() != Align()) continue;
        switch (Align()) {
        case alLeft:
            if (c->Left() + c->Width() == Left()) return c;
            break;
        case alRight:
            if (c->Left() == Left() + Width()) return c;
            break;
        case alTop:
            if (c->Top() + c->Height() == Top()) return c;
            break;
        case alBottom:
            if (c->Top() == Top() + Height()) return c;
            break;
        default: break;
        }
    }
    return nullptr;
}

int TSplitter::MoveSplitter(int delta)
{
    TControl* c = FindControl();
    if (!c || delta == 0) return 0;
    const bool horizontal = Align() == alLeft || Align() == alRight;
    // The space not taken by controls docked along the same axis.
    const TWinControl* parent = Parent();
    int free = horizontal ? parent->Width() : parent->Height();
    for (int i = 0; i < parent->ControlCount(); ++i) {
        const TControl* o = parent->Controls(i);
        if (!o->Visible()) continue;
        if (horizontal && (o->Align() == alLeft || o->Align() == alRight)) free -= o->Width();
        if (!horizontal && (o->Align() == alTop || o->Align() == alBottom)) free -= o->Height();
    }
    const int old = horizontal ? c->Width() : c->Height();
    const bool grows = Align() == alLeft || Align() == alTop; // moving right or down enlarges it
    int size = grows ? old + delta : old - delta;
    size = std::min(size, std::max(old, old + free - FMinSize));
    size = std::max(size, std::min(old, FMinSize));
    if (size == old) return 0;
    if (horizontal) c->SetWidth(size);
    else c->SetHeight(size);
    return grows ? size - old : old - size;
}
