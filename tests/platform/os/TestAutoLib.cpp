// A library loaded by name in the tests: it registers an automation class
// while it is loaded and exports one plain function.
#include <memory>

#include "platform/core/Automation.h"

namespace {

class TThing : public TAutoObject {
public:
    TThing()
    {
        RegisterMethod("Twice", [](std::vector<Variant>& args) {
            const int value = args.at(0).AsInteger();
            args.at(0) = Variant(value + 1); // written back to the caller
            return Variant(value * 2);
        });
    }
};

const TAutoClassRegistration ThingClass("TestAutoLib.Thing", [] { return std::make_shared<TThing>(); });

} // namespace

extern "C" int TestAutoLibAdd(int a, int b) { return a + b; }
