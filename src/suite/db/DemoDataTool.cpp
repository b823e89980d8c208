// orvane-demodata: creates the demonstration company database.
#include <iostream>
#include <string>
#include <vector>

#include "suite/db/DemoData.h"

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    return suite::db::DemoDataMain(args, std::cout, std::cerr);
}
