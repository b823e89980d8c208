#pragma once
// The exception classes of the run time. EPlatformError is the root class
// that form entry points catch and turn into error text; every class reports
// its own class name so error reports can print it.
#include <exception>
#include <string>
#include <vector>

class EPlatformError : public std::exception {
public:
    explicit EPlatformError(std::string message) : FMessage(std::move(message)) {}
    ~EPlatformError() override;

    const std::string& Message() const noexcept { return FMessage; }
    void SetMessage(std::string message) { FMessage = std::move(message); }
    virtual const char* ClassName() const noexcept { return "Exception"; }
    const char* what() const noexcept override { return FMessage.c_str(); }

private:
    std::string FMessage;
};

#define ORVANE_EXCEPTION_CLASS(Name, Base)                                         \
    class Name : public Base {                                                     \
    public:                                                                        \
        using Base::Base;                                                          \
        const char* ClassName() const noexcept override { return #Name; }          \
    }

// Silent abort: unwinds an operation without any message being shown.
class EAbort : public EPlatformError {
public:
    EAbort() : EPlatformError("Operation aborted") {}
    using EPlatformError::EPlatformError;
    const char* ClassName() const noexcept override { return "EAbort"; }
};

ORVANE_EXCEPTION_CLASS(EConvertError, EPlatformError);
ORVANE_EXCEPTION_CLASS(EVariantError, EPlatformError);
ORVANE_EXCEPTION_CLASS(EOleError, EPlatformError);
ORVANE_EXCEPTION_CLASS(EListError, EPlatformError);
ORVANE_EXCEPTION_CLASS(EPropertyError, EPlatformError);

// A file operation failed; ErrorCode is the operating system's error number.
class EInOutError : public EPlatformError {
public:
    EInOutError(std::string message, int errorCode)
        : EPlatformError(std::move(message)), ErrorCode(errorCode) {}
    const char* ClassName() const noexcept override { return "EInOutError"; }
    int ErrorCode;
};

// A call into the operating system failed; ErrorCode is its error number.
class EOSError : public EPlatformError {
public:
    EOSError(std::string message, int errorCode)
        : EPlatformError(std::move(message)), ErrorCode(errorCode) {}
    const char* ClassName() const noexcept override { return "EOSError"; }
    int ErrorCode;
};

// A database engine failure carrying the engine's list of sub-errors.
struct TDBError {
    int ErrorCode = 0;
    std::string Message;
};

class EDBEngineError : public EPlatformError {
public:
    EDBEngineError(std::string message, std::vector<TDBError> errors = {})
        : EPlatformError(std::move(message)), Errors(std::move(errors)) {}
    const char* ClassName() const noexcept override { return "EDBEngineError"; }
    std::vector<TDBError> Errors;
};

// Raises an EOSError built from errno (or the given code).
[[noreturn]] void RaiseLastOSError(int errorCode = 0);
