#pragma once
// Internal to platform_ui: the Qt side of a control. One event filter per
// control turns Qt's input and focus reports into calls of the layer.
#include <QObject>

#include "platform/ui/Graphics.h"

class TControl;
class QColor;
class QWidget;

class TControlBridge : public QObject {
public:
    explicit TControlBridge(TControl* control) : FControl(control) {}
    bool eventFilter(QObject* watched, QEvent* event) override;

    // While positive, Qt's focus reports are ignored (widgets being deleted
    // or hidden by the layer itself).
    static int FocusMuted;

private:
    bool KeyPressed(QObject* watched, QEvent* event);
    bool KeyReleased(QEvent* event);
    bool Mouse(QEvent* event);
    TControl* FControl;
    bool FForwarding = false; // a character passed on to the widget by us
};

QColor ToQColor(TColor color);
