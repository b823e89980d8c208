#pragma once
// Internal to platform_ui: running the layer's code from a Qt signal or a
// widget's virtual function. A handler's exception goes to the Application
// (Qt must never see it), and nothing runs for a control being destroyed.
#include <QString>
#include <string>

#include "platform/ui/Forms.h"

template <class F>
void RunFromWidget(const TComponent* control, F&& f)
{
    if (control->Destroying()) return;
    try {
        f();
    } catch (...) {
        Application->HandleCurrentException();
    }
}

inline QString ToQString(const std::string& s) { return QString::fromStdString(s); }
inline std::string FromQString(const QString& s) { return s.toStdString(); }

// Counts a nested "the layer is updating the widget" section, so signals the
// widget emits meanwhile are not taken for user input.
class TSyncGuard {
public:
    explicit TSyncGuard(int& counter) : FCounter(counter) { ++FCounter; }
    ~TSyncGuard() { --FCounter; }
    TSyncGuard(const TSyncGuard&) = delete;
    TSyncGuard& operator=(const TSyncGuard&) = delete;

private:
    int& FCounter;
};
