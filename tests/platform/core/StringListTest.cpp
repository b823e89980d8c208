#include <gtest/gtest.h>

#include "platform/core/Exceptions.h"
#include "platform/core/StringList.h"

TEST(StringList, NamesAndValues)
{
    TStringList l;
    l.SetText("Pkg=C_PKG\r\nother=D:\\x\nplain\n");
    ASSERT_EQ(l.Count(), 3);
    EXPECT_EQ(l.Names(0), "Pkg");
    EXPECT_EQ(l.Values("PKG"), "C_PKG");
    EXPECT_EQ(l.ValueFromIndex(1), "D:\\x");
    EXPECT_EQ(l.Names(2), "");
    EXPECT_EQ(l.Values("plain"), "");
    l.SetValue("other", "E:\\y");
    EXPECT_EQ(l[1], "other=E:\\y");
    l.SetValue("Pkg", "");
    EXPECT_EQ(l.Count(), 2);
    EXPECT_EQ(l.Text(), "other=E:\\y\r\nplain\r\n");
    EXPECT_THROW(l[2], EListError);
    EXPECT_THROW(l.Delete(-1), EListError);
}

TEST(StringList, SortedListsAndDuplicates)
{
    TStringList l;
    l.SetSorted(true);
    l.Duplicates = TDuplicates::dupIgnore;
    l.Add("b");
    l.Add("A");
    l.Add("c");
    EXPECT_EQ(l.Add("B"), 1); // same text without regard to case: ignored
    EXPECT_EQ(l.ToVector(), (std::vector<std::string>{"A", "b", "c"}));
    EXPECT_EQ(l.IndexOf("C"), 2);
    EXPECT_EQ(l.IndexOf("d"), -1);
    EXPECT_THROW(l.Insert(0, "x"), EListError);
    l.Duplicates = TDuplicates::dupError;
    EXPECT_THROW(l.Add("a"), EListError);
}

TEST(StringList, CommaText)
{
    TStringList l{"a", "b c", "d\"e", ""};
    EXPECT_EQ(l.CommaText(), "a,\"b c\",\"d\"\"e\",");
    TStringList back;
    back.SetCommaText(l.CommaText());
    EXPECT_EQ(back, l);
    back.SetCommaText("x y,z");
    EXPECT_EQ(back.ToVector(), (std::vector<std::string>{"x", "y", "z"}));
    back.Delimiter = ';';
    back.SetDelimitedText("a;b;;c");
    EXPECT_EQ(back.ToVector(), (std::vector<std::string>{"a", "b", "", "c"}));
}
