#pragma once
// A small batch program form for the module tests: OK "submits" a job and
// records a job number, Cancel records a cancel, direct processing counts
// its runs. Both the test module library and the test programs use it.
#include <string>

#include "forms/BaseBatchCF.h"
#include "platform/ui/StdCtrls.h"

class TfrmXYZR01 : public TfrmBaseBatch {
public:
    static const TClassInfo& StaticClass()
    {
        static const TClassInfo info = TClassBuilder<TfrmXYZR01>("TfrmXYZR01", TfrmBaseBatch::StaticClass())
                                           .Field("edCustomer", &TfrmXYZR01::edCustomer)
                                           .Field("Submitted", &TfrmXYZR01::Submitted)
                                           .Field("DirectRuns", &TfrmXYZR01::DirectRuns)
                                           .Field("Shows", &TfrmXYZR01::Shows)
                                           .Build();
        return info;
    }
    const TClassInfo& ClassType() const override { return StaticClass(); }

    explicit TfrmXYZR01(TComponent* AOwner) : TfrmBaseBatch(AOwner)
    {
        SetName("frmXYZR01");
        edCustomer = new TEdit(this);
        edCustomer->SetName("edCustomer");
        edCustomer->SetParent(this);
        // A submission reports its job number, shown or only recorded as the
        // host's run request asked.
        btnOk->OnClick = [this](TObject*) {
            ++Submitted;
            ResultCode = 1;
            ResultValue = std::string("2026121100000001");
            ShowMessages(std::string(ShowJobMessage ? "I;000004;" : "I;-000004;") + ResultValue.AsString());
        };
        btnCancel->OnClick = [this](TObject*) {
            ResultCode = 2;
            Close();
        };
        btnQuery->OnClick = [this](TObject*) {
            ++DirectRuns;
            ResultCode = 1;
            ResultValue = std::string("2026121100000002");
        };
    }

    void FormShow(TObject* Sender) override
    {
        TfrmBaseBatch::FormShow(Sender);
        ++Shows;
    }

    TEdit* edCustomer = nullptr;
    int Submitted = 0;
    int DirectRuns = 0;
    int Shows = 0;
};
