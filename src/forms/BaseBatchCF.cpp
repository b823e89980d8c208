#include "forms/BaseBatchCF.h"

const TClassInfo& TfrmBaseBatch::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TfrmBaseBatch>("TfrmBaseBatch", TfrmBaseOpt::StaticClass())
                                       .Field("btnQuery", &TfrmBaseBatch::btnQuery)
                                       .Build();
    return info;
}

TfrmBaseBatch::TfrmBaseBatch(TComponent* AOwner) : TfrmBaseOpt(AOwner)
{
    SetName("frmBaseBatch");
    btnQuery = new TBitBtn(this);
    btnQuery->SetName("btnQuery");
    btnQuery->SetParent(this);
    btnQuery->SetCaption("直接处理");
    btnQuery->SetHint("直接处理");
    btnQuery->SetBounds(245, 300, 75, 25);
}

bool TfrmBaseBatch::RunUnattended(std::int32_t Mode)
{
    TfrmBaseOpt::RunUnattended(Mode);
    if (Mode == 5) btnQuery->Click();
    Close();
    return true;
}
