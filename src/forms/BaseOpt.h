#pragma once
// TfrmBaseOpt: the option form with run modes, background submission and
// periodic schedules, between the generic form and the batch form.
#include "forms/BaseGene.h"

class TfrmBaseOpt : public TfrmBaseGene {
    ORVANE_CLASS_INFO
public:
    explicit TfrmBaseOpt(TComponent* AOwner);

    // The job queue's application server class.
    void ConfigureConnection(TSocketConnection& Connection) override;
};
