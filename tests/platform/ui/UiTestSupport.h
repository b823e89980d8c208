#pragma once
// Shared by the UI tests: the offscreen platform, a modal driver installed
// for one test, and a form that logs its controls' events.
#include <QByteArray>
#include <QtGlobal>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/Forms.h"

namespace uitest {

// Set before the first widget makes the Qt application.
inline const bool OffscreenSet = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return true;
}();

// Installs a modal runner for the life of the object.
class ModalDriver {
public:
    explicit ModalDriver(TModalRunner runner) : FPrevious(Application->SetModalRunner(std::move(runner))) {}
    ~ModalDriver() { Application->SetModalRunner(std::move(FPrevious)); }

private:
    TModalRunner FPrevious;
};

} // namespace uitest
