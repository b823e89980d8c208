#include "controls/DBLabel.h"

#include <exception>

#include "platform/data/DataSet.h"
#include "platform/ui/Dialogs.h"

namespace {

const std::vector<std::string> PosNames = {"psTop", "psLeft", "psRight", "psBottom"};

bool HasProp(const TObject* obj, const char* name, TTypeKind kind)
{
    const TPropInfo* p = GetPropInfo(obj, name);
    return p && p->Kind == kind;
}

} // namespace

const TClassInfo& TDBLabel::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TDBLabel>("TDBLabel", TLabel::StaticClass())
            .Prop<bool>("AutoAlign", &TDBLabel::AutoAlign, &TDBLabel::SetAutoAlign)
            .Prop<bool>("AutoCaption", &TDBLabel::AutoCaption, &TDBLabel::SetAutoCaption)
            .Prop<bool>("AutoSize", &TDBLabel::AutoSize, &TDBLabel::SetAutoSize)
            // Redeclared so that captions set by name (language packages)
            // size the label too.
            .Prop<std::string>("Caption", &TDBLabel::Caption, &TDBLabel::SetCaption)
            // Only window controls can be bound: another kind of object is
            // refused rather than taken for "unbind".
            .Prop<TObject*>(
                "FocusControl", [](const TDBLabel& l) -> TObject* { return l.FocusControl(); },
                [](TDBLabel& l, TObject* v) {
                    auto* control = dynamic_cast<TWinControl*>(v);
                    if (v && !control) throw EPropertyError("FocusControl must be a window control");
                    l.SetFocusControl(control);
                })
            // 0 ... 255 pixels; other values are refused, not wrapped.
            .Prop<int>(
                "Gap", [](const TDBLabel& l) { return int(l.Gap()); },
                [](TDBLabel& l, int v) {
                    if (v < 0 || v > 255) throw EPropertyError("Gap must be between 0 and 255");
                    l.SetGap(static_cast<std::uint8_t>(v));
                })
            .Prop<TPos>(
                "Pos", &TDBLabel::Pos,
                [](TDBLabel& l, TPos v) {
                    if (v < psTop || v > psBottom) throw EPropertyError("Pos out of range");
                    l.SetPos(v);
                },
                PosNames)
            .Build();
    return info;
}

TDBLabel::TDBLabel(TComponent* AOwner) : TLabel(AOwner) { SetCaption("挂靠标签"); }

TDBLabel::~TDBLabel() { BeginDestroy(); }

void TDBLabel::SetCaption(const std::string& v)
{
    TLabel::SetCaption(v);
    AdjustSize();
}

void TDBLabel::SetAutoSize(bool v)
{
    FAutoSize = v;
    AdjustSize();
}

void TDBLabel::FontChanged()
{
    TLabel::FontChanged();
    if (!Destroying()) AdjustSize();
}

void TDBLabel::AdjustSize()
{
    if (!FAutoSize) return;
    TBitmap scratch(1, 1);
    scratch.Canvas()->Font()->Assign(*Font());
    const std::string text = Caption();
    SetBounds(Left(), Top(), scratch.Canvas()->TextWidth(text), scratch.Canvas()->TextHeight(text));
}

void TDBLabel::SetFocusControl(TWinControl* control)
{
    if (control && !CheckUniqueBinding(control)) return;
    if (FFocusControl) RemoveFreeNotification(FFocusControl);
    FFocusControl = control;
    if (!control) return;
    control->FreeNotification(this);
    Refresh();
}

void TDBLabel::SetAutoAlign(bool v)
{
    FAutoAlign = v;
    Refresh();
}

void TDBLabel::SetAutoCaption(bool v)
{
    FAutoCaption = v;
    Refresh();
}

void TDBLabel::SetGap(std::uint8_t v)
{
    if (v == FGap) return;
    FGap = v;
    Refresh();
}

void TDBLabel::SetPos(TPos v)
{
    if (v == FPos) return;
    FPos = v;
    Refresh();
}

void TDBLabel::Refresh()
{
    RefreshCaption();
    AlignToControl();
}

void TDBLabel::RefreshCaption()
{
    if (!FAutoCaption || !FFocusControl) return;
    if (!HasProp(FFocusControl, "DataSource", TTypeKind::tkClass)) return;
    TObject* source = GetObjectProp(FFocusControl, "DataSource");
    if (!source) return;
    // A data source without a field name names no field.
    if (!HasProp(FFocusControl, "DataField", TTypeKind::tkString)) return;
    const std::string fieldName = GetStrProp(FFocusControl, "DataField");
    try {
        if (!HasProp(source, "DataSet", TTypeKind::tkClass)) return;
        auto* dataSet = dynamic_cast<TClientDataSet*>(GetObjectProp(source, "DataSet"));
        if (!dataSet) return;
        SetCaption(dataSet->FieldByName(fieldName)->DisplayLabel());
    } catch (const std::exception&) {
        // No such field: the caption stays as it is.
    }
}

void TDBLabel::AlignToControl()
{
    if (!FFocusControl || !FAutoAlign) return;
    const int cl = FFocusControl->Left(), ct = FFocusControl->Top();
    const int cw = FFocusControl->Width(), ch = FFocusControl->Height();
    const int lw = Width(), lh = Height();
    auto nonNegative = [](int v) { return v < 0 ? 0 : v; };
    // Beside the control the label is centred on its height.
    auto centredTop = [&] { return ch == lh ? ct : nonNegative(ct + ch / 2 - lh / 2); };
    switch (FPos) {
    case psTop:
        SetLeft(cl);
        SetTop(nonNegative(ct - lh - FGap));
        break;
    case psLeft:
        SetTop(centredTop());
        SetLeft(nonNegative(cl - lw - FGap));
        break;
    case psRight:
        SetTop(centredTop());
        SetLeft(nonNegative(cl + cw + FGap));
        break;
    case psBottom:
        SetLeft(cl);
        SetTop(nonNegative(ct + ch + FGap));
        break;
    }
}

bool TDBLabel::CheckUniqueBinding(TWinControl* control)
{
    bool unique = true;
    TWinControl* parent = Parent();
    if (!parent) return unique;
    for (int i = 0; i < parent->ComponentCount(); ++i) {
        auto* other = dynamic_cast<TDBLabel*>(parent->Components(i));
        if (!other || other->FocusControl() != control) continue;
        if (other != this) MessageDlg("不能同时有两个 DBLabel 指到同一个 Control.", mtError, MsgDlgButton(mbOK));
        unique = false;
    }
    return unique;
}

void TDBLabel::Notification(TComponent* component, TOperation operation)
{
    TLabel::Notification(component, operation);
    if (operation == opRemove && component == FFocusControl) FFocusControl = nullptr;
}
