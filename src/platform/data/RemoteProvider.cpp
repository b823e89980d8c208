#include "platform/data/RemoteProvider.h"

#include "platform/core/Automation.h"
#include "platform/core/SysUtils.h"

Variant DataPacketToVariant(const TDataPacket& packet)
{
    Variant defs = VarArrayCreate({0, static_cast<int>(packet.FieldDefs.size()) - 1});
    for (std::size_t i = 0; i < packet.FieldDefs.size(); ++i) {
        const TFieldDef& d = packet.FieldDefs[i];
        defs[static_cast<int>(i)] =
            VarArrayOf({Variant(d.Name), Variant(static_cast<int>(d.DataType)), Variant(d.Size), Variant(d.Required)});
    }
    Variant result = VarArrayCreate({0, 1});
    result[0] = defs;
    result[1] = packet.Rows;
    return result;
}

TDataPacket DataPacketFromVariant(const Variant& value)
{
    if (VarArrayDimCount(value) != 1 || VarArrayHighBound(value, 1) - VarArrayLowBound(value, 1) != 1)
        throw EDatabaseError("The provider's reply is no data packet");
    const int low = VarArrayLowBound(value, 1);
    const Variant& defs = value[low];
    TDataPacket packet;
    if (VarArrayDimCount(defs) != 1) throw EDatabaseError("The data packet holds no field definitions");
    for (int i = VarArrayLowBound(defs, 1); i <= VarArrayHighBound(defs, 1); ++i) {
        const Variant& d = defs[i];
        if (VarArrayDimCount(d) != 1 || VarArrayHighBound(d, 1) - VarArrayLowBound(d, 1) != 3)
            throw EDatabaseError("Field definition " + IntToStr(i) + " of the data packet is malformed");
        const int b = VarArrayLowBound(d, 1);
        const int type = d[b + 1].AsInteger();
        if (type < static_cast<int>(TFieldType::ftUnknown) || type > static_cast<int>(TFieldType::ftMemo))
            throw EDatabaseError("Field '" + d[b].AsString() + "' of the data packet has an unknown type");
        packet.FieldDefs.push_back({d[b].AsString(), static_cast<TFieldType>(type), d[b + 2].AsInteger(), d[b + 3].AsBoolean()});
    }
    packet.Rows = value[low + 1];
    return packet;
}

TAppServerProvider::TAppServerProvider(std::function<Variant()> AppServer, std::string ProviderName)
    : FAppServer(std::move(AppServer)), FProviderName(std::move(ProviderName))
{
}

TDataPacket TAppServerProvider::GetData()
{
    if (!FAppServer) throw EDatabaseError("The provider '" + FProviderName + "' has no application server");
    const Variant app = FAppServer();
    std::vector<Variant> args{Variant(FProviderName)};
    return DataPacketFromVariant(OleInvoke(app, AppServerProviderMethod, args));
}
