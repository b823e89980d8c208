#pragma once
// TfrmBaseBatch: the batch form, which adds direct processing (btnQuery) to
// the option form and can be run unattended by the host.
#include "forms/BaseOpt.h"
#include "platform/ui/Buttons.h"

class TfrmBaseBatch : public TfrmBaseOpt {
    ORVANE_CLASS_INFO
public:
    explicit TfrmBaseBatch(TComponent* AOwner);

    TBitBtn* btnQuery = nullptr;

    // Mode 5 runs direct processing; every mode then closes the form.
    bool RunUnattended(std::int32_t Mode) override;
};
