#include "forms/BaseOpt.h"

const TClassInfo& TfrmBaseOpt::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TfrmBaseOpt>("TfrmBaseOpt", TfrmBaseGene::StaticClass()).Build();
    return info;
}

TfrmBaseOpt::TfrmBaseOpt(TComponent* AOwner) : TfrmBaseGene(AOwner) { SetName("frmBaseOpt"); }

void TfrmBaseOpt::ConfigureConnection(TSocketConnection& Connection)
{
    TfrmBaseGene::ConfigureConnection(Connection);
    Connection.ServerName = "ReportCounterS.dmReportCounter";
}
