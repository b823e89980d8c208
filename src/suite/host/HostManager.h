#pragma once
// The host's service object handed to every module as Manager. Modules
// reach it with late-bound calls. This host answers message look-ups with
// the message's code itself until the message catalogue is installed, and
// tells the module its version type and product.
#include <string>

#include "platform/core/Automation.h"

class THostManager : public TAutoObject {
public:
    THostManager();

    // The text behind the last looked-up code, for the dialog events of the
    // automation mode ("" when nothing was looked up since the last take).
    std::string TakeLastMessageCode();

private:
    std::string FLastCode;
};
