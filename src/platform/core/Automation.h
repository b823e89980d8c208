#pragma once
// Late-bound automation objects: methods and properties are reached by name
// (case-insensitive) with variant arguments that are all passed by reference,
// so a callee may write results back into them. Objects are created from a
// class name ("ReportCounterS.dmReportCounter") through the class registry.
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/Variant.h"

class IAutoObject {
public:
    virtual ~IAutoObject();
    // Raises EOleError when the object has no such method.
    virtual Variant Invoke(std::string_view name, std::vector<Variant>& args) = 0;
    virtual Variant GetProperty(std::string_view name) = 0;
    virtual void SetProperty(std::string_view name, const Variant& value) = 0;
};

// An automation object whose methods and properties are entries of a table
// filled by the derived class.
class TAutoObject : public IAutoObject {
public:
    using TAutoMethod = std::function<Variant(std::vector<Variant>& args)>;
    using TAutoGetter = std::function<Variant()>;
    using TAutoSetter = std::function<void(const Variant&)>;

    Variant Invoke(std::string_view name, std::vector<Variant>& args) override;
    Variant GetProperty(std::string_view name) override;
    void SetProperty(std::string_view name, const Variant& value) override;

    bool HasMethod(std::string_view name) const;

protected:
    void RegisterMethod(std::string name, TAutoMethod method);
    void RegisterProperty(std::string name, TAutoGetter getter, TAutoSetter setter = nullptr);

private:
    struct TPropertyEntry {
        TAutoGetter Get;
        TAutoSetter Set;
    };
    struct NoCaseLess {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const;
    };
    std::map<std::string, TAutoMethod, NoCaseLess> FMethods;
    std::map<std::string, TPropertyEntry, NoCaseLess> FProperties;
};

// Helpers for calls on a variant that holds an automation object. The list
// form copies its arguments, so values written back by the callee are lost.
IAutoObjectPtr VarToAutoObject(const Variant& obj); // raises EOleError when obj holds none
Variant OleInvoke(const Variant& obj, std::string_view method, std::vector<Variant>& args);
Variant OleInvoke(const Variant& obj, std::string_view method, std::initializer_list<Variant> args = {});
Variant OleGetProperty(const Variant& obj, std::string_view name);
void OleSetProperty(const Variant& obj, std::string_view name, const Variant& value);

// The class registry. Class names compare without regard to case.
using TAutoObjectFactory = std::function<IAutoObjectPtr()>;
void RegisterAutoClass(std::string className, TAutoObjectFactory factory);
void UnregisterAutoClass(std::string_view className);
// The factory registered under the name, or an empty function.
TAutoObjectFactory FindAutoClass(std::string_view className);

// Registers a class while a library is loaded and removes it when unloaded.
struct TAutoClassRegistration {
    TAutoClassRegistration(std::string className, TAutoObjectFactory factory);
    ~TAutoClassRegistration();
    std::string ClassName;
};
