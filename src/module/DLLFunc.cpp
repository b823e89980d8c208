#include "module/DLLFunc.h"

#include "platform/core/Exceptions.h"

TDLLControllerClass DLLControllerClass = nullptr;

extern "C" TDLLBaseController* GetController()
{
    if (!DLLControllerClass)
        throw EPlatformError("KVT DLL Internal Error :\rNot Assign \"DLLControllerClass\" varible");
    return DLLControllerClass();
}
