#include "platform/core/Exceptions.h"

#include <cerrno>
#include <cstring>

EPlatformError::~EPlatformError() = default;

void RaiseLastOSError(int errorCode)
{
    const int code = errorCode ? errorCode : errno;
    throw EOSError("System Error.  Code: " + std::to_string(code) + ".\n" + std::strerror(code), code);
}
