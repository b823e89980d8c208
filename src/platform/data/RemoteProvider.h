#pragma once
// Data providers of the application server, opened by a client dataset over
// the connection. The server hands out a provider's packet as one variant
// (DataPacketToVariant); TAppServerProvider asks for it by the provider's
// name with the application server method "GetProviderData" and turns it back
// into a TDataPacket, so a dataset opens the same way in-process and over a
// socket.
//
// Packet variant: an array 0..1; [0] the field definitions, an array of
// [name, type, size, required] (type is the TFieldType number); [1] the rows,
// an array of row arrays in definition order (empty when there are none).
#include <functional>
#include <string>

#include "platform/core/Variant.h"
#include "platform/data/DataSet.h"

inline constexpr const char* AppServerProviderMethod = "GetProviderData";

Variant DataPacketToVariant(const TDataPacket& packet);
// Raises EDatabaseError when the variant is no packet.
TDataPacket DataPacketFromVariant(const Variant& value);

class TAppServerProvider : public IDataProvider {
public:
    // AppServer gives the application server object (a variant holding an
    // automation object) each time the dataset opens, e.g. the AppServer()
    // of a socket connection.
    TAppServerProvider(std::function<Variant()> AppServer, std::string ProviderName);
    TDataPacket GetData() override;
    const std::string& ProviderName() const { return FProviderName; }

private:
    std::function<Variant()> FAppServer;
    std::string FProviderName;
};
