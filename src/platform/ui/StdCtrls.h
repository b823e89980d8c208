#pragma once
// Standard controls: push button, single-line edit and label.
#include <string>

#include "platform/ui/Controls.h"
#include "platform/ui/Forms.h"

class TButton : public TWinControl {
    ORVANE_CLASS_INFO
public:
    explicit TButton(TComponent* AOwner);

    std::string Caption() const;
    void SetCaption(const std::string& v);
    // Clicking gives the parent form this modal result (when not mrNone).
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult v) { FModalResult = v; }
    bool Default() const { return FDefault; }
    void SetDefault(bool v);
    bool Cancel() const { return FCancel; }
    void SetCancel(bool v) { FCancel = v; }

    void Click() override;

protected:
    bool ClicksFromMouse() const override { return false; }

private:
    TModalResult FModalResult = mrNone;
    bool FDefault = false;
    bool FCancel = false;
};

class TEdit : public TWinControl {
    ORVANE_CLASS_INFO
public:
    explicit TEdit(TComponent* AOwner);

    std::string Text() const;
    void SetText(const std::string& v);
    // 0 means no limit; counted in characters.
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int v);
    bool ReadOnly() const;
    void SetReadOnly(bool v);

    // Runs whenever the text changes, from the user or from code.
    TNotifyEvent OnChange;

protected:
    void ApplyColor() override;
    virtual void Change() { OnChange(this); }

private:
    int FMaxLength = 0;
};

class TLabel : public TControl {
    ORVANE_CLASS_INFO
public:
    explicit TLabel(TComponent* AOwner);

    std::string Caption() const;
    void SetCaption(const std::string& v);
    bool WordWrap() const;
    void SetWordWrap(bool v);
};
