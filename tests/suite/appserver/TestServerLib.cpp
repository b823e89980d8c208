// TESTS.so: the server library of the program "TEST", used by the
// application server's tests. Its first option value says what a run does:
//   "OK"    succeeds; the messages name the run array's parts
//   "FAIL"  writes a message, then raises
//   anything else succeeds with the message "nothing to do"
#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"
#include "suite/appserver/SvrController.h"

namespace {

class TTestController : public TSvrController {
public:
    std::string GetMessages() override { return FMessages; }

    void Execute(const Variant& run) override
    {
        const int low = VarArrayLowBound(run, 1);
        const std::string job = run[low].AsString();
        const std::string company = run[low + 1].AsString();
        const std::string user = run[low + 2].AsString();
        const Variant values = run[low + 3];
        const std::string database = run[low + 4].AsString();
        const std::string subJob = run[low + 5].AsString();
        const int product = run[low + 6].AsInteger();
        const std::string action = values[VarArrayLowBound(values, 1)].AsString();
        if (action == "OK") {
            FMessages = "TEST ran " + job + " for " + company + "/" + user + "/" + database + " sub " + subJob +
                        " product " + IntToStr(product) + "\r\n";
        } else if (action == "FAIL") {
            FMessages = "TEST began " + job + "\r\n";
            throw EPlatformError("测试失败: 故意的");
        } else {
            FMessages = "nothing to do\r\n";
        }
    }

private:
    std::string FMessages;
};

} // namespace

extern "C" __attribute__((visibility("default"))) TSvrController* GetSvrController() { return new TTestController; }
