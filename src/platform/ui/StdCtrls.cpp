#include "platform/ui/StdCtrls.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/ui/QtBridge.h"

// ---------------------------------------------------------------------------
// TButton

const TClassInfo& TButton::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TButton>("TButton", TWinControl::StaticClass())
                                       .Prop<bool>("Cancel", &TButton::Cancel, &TButton::SetCancel)
                                       .Prop<std::string>("Caption", &TButton::Caption, &TButton::SetCaption)
                                       .Prop<bool>("Default", &TButton::Default, &TButton::SetDefault)
                                       .Prop<TModalResult>("ModalResult", &TButton::ModalResult,
                                                           &TButton::SetModalResult)
                                       .Build();
    return info;
}

TButton::TButton(TComponent* AOwner) : TWinControl(AOwner, TNoWidget{})
{
    auto* w = new QPushButton;
    w->setAutoDefault(false);
    SetWidget(w);
    SetTabStop(true);
    SetBounds(0, 0, 75, 25);
    QObject::connect(w, &QPushButton::clicked, w, [this] {
        if (Destroying()) return;
        try {
            Click();
        } catch (...) {
            Application->HandleCurrentException();
        }
    });
}

std::string TButton::Caption() const { return static_cast<QPushButton*>(Widget())->text().toStdString(); }

void TButton::SetCaption(const std::string& v) { static_cast<QPushButton*>(Widget())->setText(QString::fromStdString(v)); }

void TButton::SetDefault(bool v)
{
    FDefault = v;
    static_cast<QPushButton*>(Widget())->setDefault(v);
}

void TButton::Click()
{
    if (FModalResult != mrNone)
        if (TForm* form = GetParentForm()) form->SetModalResult(FModalResult);
    TWinControl::Click();
}

// ---------------------------------------------------------------------------
// TEdit

const TClassInfo& TEdit::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TEdit>("TEdit", TWinControl::StaticClass())
                                       .Prop<int>("MaxLength", &TEdit::MaxLength, &TEdit::SetMaxLength)
                                       .Prop<bool>("ReadOnly", &TEdit::ReadOnly, &TEdit::SetReadOnly)
                                       .Prop<std::string>("Text", &TEdit::Text, &TEdit::SetText)
                                       .Field("OnChange", &TEdit::OnChange)
                                       .Build();
    return info;
}

TEdit::TEdit(TComponent* AOwner) : TWinControl(AOwner, TNoWidget{})
{
    auto* w = new QLineEdit;
    SetColor(clWindow);
    SetWidget(w);
    SetTabStop(true);
    SetBounds(0, 0, 121, 21);
    QObject::connect(w, &QLineEdit::textChanged, w, [this] {
        if (Destroying()) return;
        try {
            Change();
        } catch (...) {
            Application->HandleCurrentException();
        }
    });
}

std::string TEdit::Text() const { return static_cast<QLineEdit*>(Widget())->text().toStdString(); }

void TEdit::SetText(const std::string& v) { static_cast<QLineEdit*>(Widget())->setText(QString::fromStdString(v)); }

void TEdit::SetMaxLength(int v)
{
    FMaxLength = v < 0 ? 0 : v;
    static_cast<QLineEdit*>(Widget())->setMaxLength(FMaxLength == 0 ? 32767 : FMaxLength);
}

bool TEdit::ReadOnly() const { return static_cast<QLineEdit*>(Widget())->isReadOnly(); }

void TEdit::SetReadOnly(bool v) { static_cast<QLineEdit*>(Widget())->setReadOnly(v); }

void TEdit::ApplyColor()
{
    if (!Widget()) return;
    QPalette p = Widget()->palette();
    p.setColor(QPalette::Base, ToQColor(Color()));
    Widget()->setPalette(p);
}

// ---------------------------------------------------------------------------
// TLabel

const TClassInfo& TLabel::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TLabel>("TLabel", TControl::StaticClass())
                                       .Prop<std::string>("Caption", &TLabel::Caption, &TLabel::SetCaption)
                                       .Prop<bool>("WordWrap", &TLabel::WordWrap, &TLabel::SetWordWrap)
                                       .Build();
    return info;
}

TLabel::TLabel(TComponent* AOwner) : TControl(AOwner)
{
    SetWidget(new QLabel);
    SetBounds(0, 0, 65, 13);
}

std::string TLabel::Caption() const { return static_cast<QLabel*>(Widget())->text().toStdString(); }

void TLabel::SetCaption(const std::string& v) { static_cast<QLabel*>(Widget())->setText(QString::fromStdString(v)); }

bool TLabel::WordWrap() const { return static_cast<QLabel*>(Widget())->wordWrap(); }

void TLabel::SetWordWrap(bool v) { static_cast<QLabel*>(Widget())->setWordWrap(v); }
