#include "suite/host/HostManager.h"

THostManager::THostManager()
{
    RegisterMethod("GetMessage", [this](std::vector<Variant>& args) -> Variant {
        const std::string kind = args.size() > 0 ? VarToStr(args[0]) : "";
        const std::string number = args.size() > 1 ? VarToStr(args[1]) : "";
        FLastCode = kind + ";" + number;
        return FLastCode;
    });
    RegisterProperty("VersionType", [] { return Variant(0); });
    RegisterProperty("ProductID", [] { return Variant(3); });
}

std::string THostManager::TakeLastMessageCode()
{
    std::string code;
    code.swap(FLastCode);
    return code;
}
