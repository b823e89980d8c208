#include <gtest/gtest.h>

#include <filesystem>

#include "TestSupport.h"
#include "platform/core/Exceptions.h"
#include "platform/os/Library.h"

namespace {

TEST(LibraryTest, DllNamesMapToSharedObjectNames)
{
    struct Case {
        const char* Name;
        const char* Expected;
    };
    const Case cases[] = {
        {"Kvlanguage.dll", "Kvlanguage.so"}, {"PvResD5.DLL", "PvResD5.so"},   {"ReportCounterS", "ReportCounterS.so"},
        {"libx.so", "libx.so"},              {"C:\\a.b\\Lib", "C:\\a.b\\Lib.so"}, {"dir/QTVB58C.dll", "dir/QTVB58C.so"},
    };
    for (const auto& c : cases) EXPECT_EQ(os::LibraryFileName(c.Name), c.Expected) << c.Name;
}

TEST(LibraryTest, LoadsFromTheSearchPathIgnoringCaseAndBindsFunctions)
{
    EXPECT_EQ(os::TLibrary::Load("TestAutoLib.dll"), nullptr) << "not on any path before the folder is added";
    EXPECT_NE(os::TLibrary::LastLoadError(), "");

    os::AddLibrarySearchPath(TEST_AUTOLIB_DIR);
    auto lib = os::TLibrary::Load("testautolib.DLL");
    ASSERT_NE(lib, nullptr) << os::TLibrary::LastLoadError();
    EXPECT_EQ(std::filesystem::path(lib->FileName()).filename(), "TestAutoLib.so");
    EXPECT_EQ(os::TLibrary::LastLoadError(), "");

    auto add = lib->GetProc<int(int, int)>("TestAutoLibAdd");
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(add(2, 3), 5);
    EXPECT_EQ(lib->GetProcAddress("NoSuchFunction"), nullptr);
    EXPECT_EQ(lib->GetProcAddress(""), nullptr);
}

TEST(LibraryTest, MissingOrBrokenLibrariesGiveNullWithAReason)
{
    testsupport::TempDir dir;
    testsupport::WriteFile(dir.File("Broken.so"), "not a shared object");
    for (const std::string& name : {std::string("NoSuchLibrary.dll"), std::string(""), dir.File("Broken.dll"),
                                   dir.File("Absent.dll")}) {
        EXPECT_EQ(os::TLibrary::Load(name), nullptr) << name;
        EXPECT_NE(os::TLibrary::LastLoadError(), "") << name;
    }
}

TEST(LibraryTest, CreateOleObjectLoadsTheLibraryNamedByTheClass)
{
    os::AddLibrarySearchPath(TEST_AUTOLIB_DIR);
    IAutoObjectPtr thing = os::CreateOleObject("testautolib.THING");
    ASSERT_NE(thing, nullptr);
    std::vector<Variant> args{Variant(20)};
    EXPECT_EQ(thing->Invoke("twice", args).AsInteger(), 40);
    EXPECT_EQ(args[0].AsInteger(), 21) << "arguments are passed by reference";

    // The library stays loaded: the class is still registered and a second
    // object comes from the same factory.
    EXPECT_TRUE(FindAutoClass("TestAutoLib.Thing"));
    EXPECT_NE(os::CreateOleObject("TestAutoLib.Thing"), nullptr);
}

TEST(LibraryTest, UnknownClassesRaiseInvalidClassString)
{
    os::AddLibrarySearchPath(TEST_AUTOLIB_DIR);
    for (const char* name : {"TestAutoLib.Missing", "NoSuchLibrary.Thing", "NoDot", "", ".Thing"}) {
        try {
            os::CreateOleObject(name);
            ADD_FAILURE() << name << " created an object";
        } catch (const EOleError& e) {
            EXPECT_EQ(e.Message(), "Invalid class string") << name;
        }
    }
}

} // namespace
