// The start-up code of the test module library: registers its form class.
#include "forms/KVForm.h"
#include "module/DLLBTCtrller.h"
#include "TestProgramForm.h"

namespace {
TfrmBaseBatch* NewProgramForm(TComponent* AOwner) { return NewForm<TfrmXYZR01>(AOwner); }

const bool Started = [] {
    frmBaseBatchClass = &NewProgramForm;
    return true;
}();
} // namespace
