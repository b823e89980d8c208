#include "platform/ui/Spin.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QStyle>
#include <charconv>
#include <climits>

#include "platform/core/SysUtils.h"

const TClassInfo& TSpinEdit::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TSpinEdit>("TSpinEdit", TEdit::StaticClass())
                                       .Prop<int>("Increment", &TSpinEdit::Increment, &TSpinEdit::SetIncrement)
                                       .Prop<int>("MaxValue", &TSpinEdit::MaxValue, &TSpinEdit::SetMaxValue)
                                       .Prop<int>("MinValue", &TSpinEdit::MinValue, &TSpinEdit::SetMinValue)
                                       .Prop<int>("Value", &TSpinEdit::Value, &TSpinEdit::SetValue)
                                       .Build();
    return info;
}

TSpinEdit::TSpinEdit(TComponent* AOwner) : TEdit(AOwner)
{
    // The buttons only report clicks; stepping is ours.
    auto* w = static_cast<QLineEdit*>(Widget());
    QStyle* style = QApplication::style();
    QAction* up = w->addAction(style->standardIcon(QStyle::SP_ArrowUp), QLineEdit::TrailingPosition);
    QAction* down = w->addAction(style->standardIcon(QStyle::SP_ArrowDown), QLineEdit::TrailingPosition);
    auto guarded = [this](void (TSpinEdit::*step)()) {
        return [this, step] {
            if (Destroying()) return;
            try {
                (this->*step)();
            } catch (...) {
                Application->HandleCurrentException();
            }
        };
    };
    QObject::connect(up, &QAction::triggered, w, guarded(&TSpinEdit::UpClick));
    QObject::connect(down, &QAction::triggered, w, guarded(&TSpinEdit::DownClick));
    SetText("0");
}

int TSpinEdit::Value() const
{
    const std::string t = Trim(Text());
    const char* first = t.data();
    if (!t.empty() && t[0] == '+') ++first;
    int v = 0;
    auto [end, ec] = std::from_chars(first, t.data() + t.size(), v);
    if (t.empty() || ec != std::errc() || end != t.data() + t.size()) return FMinValue;
    return v;
}

void TSpinEdit::SetValue(int v) { SetText(std::to_string(CheckValue(v))); }

int TSpinEdit::CheckValue(int v) const
{
    if (FMaxValue == FMinValue) return v;
    if (v < FMinValue) return FMinValue;
    if (v > FMaxValue) return FMaxValue;
    return v;
}

void TSpinEdit::UpClick()
{
    if (ReadOnly()) return;
    const long long next = static_cast<long long>(Value()) + FIncrement;
    SetValue(int(std::clamp<long long>(next, INT_MIN, INT_MAX)));
}

void TSpinEdit::DownClick()
{
    if (ReadOnly()) return;
    const long long next = static_cast<long long>(Value()) - FIncrement;
    SetValue(int(std::clamp<long long>(next, INT_MIN, INT_MAX)));
}

void TSpinEdit::KeyDown(std::uint16_t& key, TShiftState shift)
{
    if (key == VK_UP) {
        UpClick();
        key = 0;
    } else if (key == VK_DOWN) {
        DownClick();
        key = 0;
    }
    TEdit::KeyDown(key, shift);
}

void TSpinEdit::KeyPress(char& key)
{
    const bool valid = (key >= '0' && key <= '9') || key == '+' || key == '-' || static_cast<unsigned char>(key) < 0x20;
    if (!valid) key = 0;
    if (key != 0) TEdit::KeyPress(key);
}

void TSpinEdit::DoExit()
{
    const int v = Value();
    if (CheckValue(v) != v) SetValue(v);
    TEdit::DoExit();
}
