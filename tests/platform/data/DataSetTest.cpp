#include <gtest/gtest.h>

#include "TestSupport.h"
#include "platform/data/DataSet.h"

namespace {

// The currency grid's dataset: a check-box column, two read-only texts and
// the rate.
class DataSet : public ::testing::Test {
protected:
    void SetUp() override
    {
        Env.emplace("ORVANE_REGISTRY", Dir.File("registry.ini")); // no file: code page 936
        Sel = Cds.AddField("MF001C", TFieldType::ftString, 1);
        Code = Cds.AddField("MF001", TFieldType::ftString, 4);
        Name = Cds.AddField("MF002", TFieldType::ftString, 10);
        Rate = Cds.AddField("MG007", TFieldType::ftFloat);
        Code->ReadOnly = true;
        Rate->DisplayFormat = "#0.0000000";
        Rate->SetDisplayLabel("调整汇率");
        Cds.CreateDataSet();
    }

    void Add(const std::string& code, const std::string& name, double rate)
    {
        Cds.Append();
        Sel->SetAsString("Y");
        Code->ReadOnly = false;
        Code->SetAsString(code);
        Code->ReadOnly = true;
        Name->SetAsString(name);
        Rate->SetAsFloat(rate);
        Cds.Post();
    }

    std::string Codes()
    {
        std::string out;
        for (Cds.First(); !Cds.Eof(); Cds.Next()) out += Code->AsString() + ",";
        return out;
    }

    testsupport::TempDir Dir;
    std::optional<testsupport::ScopedEnv> Env;
    TClientDataSet Cds;
    TField *Sel, *Code, *Name, *Rate;
};

// A provider handing out a fixed packet.
class TFixedProvider : public IDataProvider {
public:
    explicit TFixedProvider(TDataPacket packet) : FPacket(std::move(packet)) {}
    TDataPacket GetData() override { return FPacket; }

private:
    TDataPacket FPacket;
};

} // namespace

TEST_F(DataSet, CursorAndEditing)
{
    EXPECT_TRUE(Cds.IsEmpty());
    EXPECT_TRUE(Cds.Eof() && Cds.Bof());
    EXPECT_EQ(Cds.RecNo(), 0);
    Add("USD", "美元", 7.1);
    Add("HKD", "港币", 0.9);
    Add("EUR", "欧元", 7.8);
    EXPECT_EQ(Cds.RecordCount(), 3);
    EXPECT_EQ(Codes(), "USD,HKD,EUR,");

    Cds.First();
    EXPECT_TRUE(Cds.Bof());
    Cds.Prior();
    EXPECT_TRUE(Cds.Bof());
    EXPECT_EQ(Cds.RecNo(), 1);
    Cds.Last();
    EXPECT_TRUE(Cds.Eof());
    EXPECT_EQ(Code->AsString(), "EUR");

    // Insert goes before the current record; Cancel leaves nothing behind.
    Cds.SetRecNo(2);
    Cds.Insert();
    EXPECT_EQ(Cds.State(), TDataSetState::dsInsert);
    EXPECT_TRUE(Code->IsNull());
    Cds.Cancel();
    EXPECT_EQ(Cds.RecordCount(), 3);
    EXPECT_EQ(Code->AsString(), "HKD");
    Cds.Insert();
    Name->SetAsString("新");
    Cds.Post();
    EXPECT_EQ(Cds.RecNo(), 2);
    EXPECT_EQ(Name->AsString(), "新");

    // Edit and Cancel restore; moving posts a pending edit.
    Cds.First();
    Cds.Edit();
    Name->SetAsString("X");
    Cds.Cancel();
    EXPECT_EQ(Name->AsString(), "美元");
    Cds.Edit();
    Rate->SetAsFloat(7.2);
    Cds.Next();
    EXPECT_EQ(Cds.State(), TDataSetState::dsBrowse);
    Cds.First();
    EXPECT_DOUBLE_EQ(Rate->AsFloat(), 7.2);

    // Delete or step until Eof visits every record once, also when the last
    // record is deleted.
    int visited = 0;
    for (Cds.First(); !Cds.Eof();) {
        ++visited;
        if (Code->AsString() == "EUR" || Code->IsNull()) Cds.Delete();
        else Cds.Next();
    }
    EXPECT_EQ(visited, 4);
    EXPECT_EQ(Codes(), "USD,HKD,");

    // Writing needs the edit state and a writable field.
    EXPECT_THROW(Name->SetAsString("x"), EDatabaseError);
    Cds.Edit();
    EXPECT_THROW(Code->SetAsString("JPY"), EDatabaseError);
    Cds.Cancel();

    Cds.EmptyDataSet();
    EXPECT_TRUE(Cds.IsEmpty());
    Cds.Edit(); // on an empty dataset: a new record
    EXPECT_EQ(Cds.State(), TDataSetState::dsInsert);
    Cds.Cancel();
    EXPECT_THROW(Cds.Delete(), EDatabaseError);

    EXPECT_EQ(Cds.FindField("mf002"), Name);
    EXPECT_EQ(Cds.FindField("NOPE"), nullptr);
    EXPECT_THROW(Cds.FieldByName("NOPE"), EDatabaseError);
    Cds.Close();
    EXPECT_FALSE(Cds.Active());
    EXPECT_THROW(Name->AsString(), EDatabaseError);
}

TEST_F(DataSet, ValuesAndConversions)
{
    TClientDataSet cds;
    TField* s = cds.AddField("S", TFieldType::ftString, 10);
    TField* i = cds.AddField("I", TFieldType::ftInteger);
    TField* si = cds.AddField("SI", TFieldType::ftSmallint);
    TField* b = cds.AddField("B", TFieldType::ftBoolean);
    TField* d = cds.AddField("D", TFieldType::ftDateTime);
    TField* m = cds.AddField("M", TFieldType::ftMemo);
    cds.CreateDataSet();
    cds.Append();

    s->SetAsString("abcdefghi中文"); // cut after the last whole character within 10 bytes (GBK)
    EXPECT_EQ(s->AsString(), "abcdefghi");
    m->SetAsString(std::string(100, 'x'));
    EXPECT_EQ(m->AsString().size(), 100u);
    s->SetAsString("");
    EXPECT_TRUE(s->IsNull());
    EXPECT_TRUE(s->Value().IsNull());

    i->SetAsString(" 12 ");
    EXPECT_EQ(i->AsInteger(), 12);
    EXPECT_EQ(i->Value(), Variant(12));
    EXPECT_THROW(i->SetAsString("1x"), EConvertError);
    EXPECT_EQ(i->AsInteger(), 12); // unchanged
    EXPECT_THROW(si->SetAsInteger(40000), EConvertError);
    EXPECT_TRUE(si->IsNull());

    b->SetAsString("Y");
    EXPECT_TRUE(b->AsBoolean());
    EXPECT_EQ(b->AsString(), "True");
    EXPECT_THROW(b->SetAsString("maybe"), EConvertError);

    d->SetAsString("2024-12-31 10:11:12.345");
    EXPECT_EQ(FormatDateTime("yyyymmddhhnnsszzz", d->AsDateTime()), "20241231101112345");
    d->SetAsString("20240229");
    EXPECT_EQ(d->AsDateTime(), EncodeDate(2024, 2, 29));
    EXPECT_THROW(d->SetAsString("2024-02-30"), EConvertError);
    EXPECT_EQ(d->Value().Type(), varDate);

    // Reading a null field gives the empty value of each kind.
    i->Clear();
    EXPECT_EQ(i->AsInteger(), 0);
    EXPECT_EQ(i->AsString(), "");
    cds.Post();
}

TEST_F(DataSet, TextEditTextAndDisplay)
{
    Cds.Append();
    struct Case {
        const char* Text;
        bool Ok;
        double Value;
    } cases[] = {{"1,234.5", true, 1234.5}, {" -1,234,567.25 ", true, -1234567.25}, {"7.1234", true, 7.1234},
                 {".5", true, 0.5},         {"1e3", true, 1000},             {"1,5", false, 0},
                 {"12,34.5", false, 0},     {"1,,234", false, 0},            {"abc", false, 0},
                 {"1.2.3", false, 0},       {",123", false, 0}};
    for (const auto& c : cases) {
        Rate->SetAsFloat(-99);
        if (c.Ok) {
            Rate->SetEditText(c.Text);
            EXPECT_DOUBLE_EQ(Rate->AsFloat(), c.Value) << c.Text;
        } else {
            EXPECT_THROW(Rate->SetEditText(c.Text), EConvertError) << c.Text;
            EXPECT_DOUBLE_EQ(Rate->AsFloat(), -99) << c.Text;
        }
    }
    Rate->SetEditText("");
    EXPECT_TRUE(Rate->IsNull());
    EXPECT_EQ(Rate->DisplayText(), "");

    Rate->SetAsFloat(7.1234);
    EXPECT_EQ(Rate->DisplayText(), "7.1234000");
    EXPECT_EQ(Rate->Text(), "7.1234");

    struct Fmt {
        const char* Pattern;
        double Value;
        const char* Out;
    } formats[] = {{"#0.0000000", 0.5, "0.5000000"}, {"#,##0.00", 1234567.891, "1,234,567.89"},
                   {"0.##", 2.5, "2.5"},            {"0.##", -0.001, "0"},
                   {"000", 7, "007"},               {"#,##0.00\" 元\"", -12.5, "-12.50 元"},
                   {"", 0.1, "0.1"}};
    for (const auto& f : formats) EXPECT_EQ(FormatFloat(f.Pattern, f.Value), f.Out) << f.Pattern;

    // OnSetText and OnGetText take over the text in both directions.
    std::vector<std::string> seen;
    Rate->OnSetText = [&](TField* f, const std::string& text) {
        seen.push_back(text);
        if (text == "bad") throw EAbort();
        f->SetAsString(text);
    };
    Rate->OnGetText = [](TField* f, std::string& text, bool display) {
        text = (display ? "D:" : "E:") + f->AsString();
    };
    Rate->SetText("2.5");
    EXPECT_THROW(Rate->SetText("bad"), EAbort);
    EXPECT_EQ(seen, (std::vector<std::string>{"2.5", "bad"}));
    EXPECT_EQ(Rate->Text(), "E:2.5");
    EXPECT_EQ(Rate->DisplayText(), "D:2.5");
    // The edit-text parser of a number field reads the number itself.
    Rate->SetEditText("3,000");
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_DOUBLE_EQ(Rate->AsFloat(), 3000);
    // Other fields hand edit text to SetText.
    Name->SetEditText("名称");
    EXPECT_EQ(Name->AsString(), "名称");

    TClientDataSet cds;
    TField* n = cds.AddField("N", TFieldType::ftInteger);
    cds.CreateDataSet();
    cds.Append();
    n->SetEditText("1,234");
    EXPECT_EQ(n->AsInteger(), 1234);
    EXPECT_THROW(n->SetEditText("1.5"), EConvertError);
    EXPECT_THROW(n->SetEditText("3,000,000,000"), EConvertError);
    EXPECT_EQ(n->AsInteger(), 1234);
}

TEST_F(DataSet, HandlersThatRefuseKeepTheOldState)
{
    Add("USD", "美元", 7.1);
    std::vector<std::string> log;
    Rate->OnValidate = [&](TField* f) {
        log.push_back("validate " + f->AsString());
        if (f->AsFloat() <= 0) throw EAbort();
    };
    Rate->OnChange = [&](TField* f) { log.push_back("change " + f->AsString()); };

    Cds.Edit();
    Rate->SetAsFloat(7.5);
    EXPECT_THROW(Rate->SetAsFloat(0), EAbort);
    EXPECT_DOUBLE_EQ(Rate->AsFloat(), 7.5);
    EXPECT_EQ(log, (std::vector<std::string>{"validate 7.5", "change 7.5", "validate 0"}));
    Name->OnChange = [](TField*) { throw EPlatformError("no"); };
    EXPECT_THROW(Name->SetAsString("美金"), EPlatformError);
    EXPECT_EQ(Name->AsString(), "美元");
    Cds.Post();

    // A BeforePost refusal cancels the edit: the record stays as stored.
    Cds.BeforePost = [](TClientDataSet* ds) {
        if (ds->FieldByName("MG007")->AsFloat() > 100) throw EAbort();
    };
    Cds.Edit();
    Rate->SetAsFloat(500);
    EXPECT_THROW(Cds.Post(), EAbort);
    EXPECT_EQ(Cds.State(), TDataSetState::dsBrowse);
    EXPECT_DOUBLE_EQ(Rate->AsFloat(), 7.5);
    // So does an insert that fails a required field.
    Cds.BeforePost = nullptr;
    Name->Required = true;
    Cds.Append();
    EXPECT_THROW(Cds.Post(), EDatabaseError);
    EXPECT_EQ(Cds.RecordCount(), 1);
}

TEST_F(DataSet, Locate)
{
    Add("USD", "美元", 7.1);
    Add("HKD", "港币", 0.9);
    Add("EUR", "欧元", 0.9);
    Cds.First();
    EXPECT_TRUE(Cds.Locate("MF001", "HKD"));
    EXPECT_EQ(Cds.RecNo(), 2);
    EXPECT_TRUE(Cds.Locate("MG007;MF002", VarArrayOf({0.9, "欧元"})));
    EXPECT_EQ(Cds.RecNo(), 3);
    EXPECT_TRUE(Cds.Locate("MG007", "7.1"));
    EXPECT_EQ(Cds.RecNo(), 1);
    EXPECT_FALSE(Cds.Locate("MF001", "usd"));
    EXPECT_FALSE(Cds.Locate("MG007", "not a number"));
    EXPECT_EQ(Cds.RecNo(), 1); // not found: the cursor stays
    EXPECT_TRUE(Cds.Locate("MF001", "eu", TLocateOption::loCaseInsensitive | TLocateOption::loPartialKey));
    EXPECT_EQ(Cds.RecNo(), 3);
    EXPECT_THROW(Cds.Locate("MF001;MF002", "USD"), EDatabaseError);
    EXPECT_THROW(Cds.Locate("NOPE", "USD"), EDatabaseError);
}

TEST(DataSetProvider, OpenFromAProvider)
{
    TDataPacket packet;
    packet.FieldDefs = {{"MF001", TFieldType::ftString, 4}, {"MF002", TFieldType::ftString, 10},
                        {"MG007", TFieldType::ftFloat}};
    // Rows of arrays.
    packet.Rows = VarArrayOf({VarArrayOf({"USD", "美元", 7.1}), VarArrayOf({"HKD", "港币", Variant::Null()})});
    TClientDataSet cds;
    cds.Provider = std::make_shared<TFixedProvider>(packet);
    SetPropValue(&cds, "Active", "True");
    ASSERT_EQ(cds.FieldCount(), 3);
    EXPECT_EQ(cds.RecordCount(), 2);
    TField* rate = cds.FieldByName("MG007");
    EXPECT_DOUBLE_EQ(rate->AsFloat(), 7.1);
    cds.Next();
    EXPECT_TRUE(rate->IsNull());

    // A two-dimensional array indexed (row, field), from 1; reopening keeps
    // the fields.
    Variant grid = VarArrayCreate({1, 3, 1, 3});
    for (int r = 1; r <= 3; ++r) {
        grid(r, 1) = "C" + std::to_string(r);
        grid(r, 2) = "名" + std::to_string(r);
        grid(r, 3) = r * 1.5;
    }
    packet.Rows = grid;
    cds.Close();
    cds.Provider = std::make_shared<TFixedProvider>(packet);
    cds.Open();
    EXPECT_EQ(cds.FieldByName("MG007"), rate);
    cds.Last();
    EXPECT_EQ(cds.FieldByName("MF001")->AsString(), "C3");
    EXPECT_DOUBLE_EQ(rate->AsFloat(), 4.5);

    // A field defined by code must be in the packet.
    TClientDataSet typed;
    typed.AddField("MF003", TFieldType::ftString, 4);
    typed.Provider = cds.Provider;
    EXPECT_THROW(typed.Open(), EDatabaseError);
    EXPECT_FALSE(typed.Active());
    TClientDataSet noProvider;
    EXPECT_THROW(noProvider.Open(), EDatabaseError);
}

TEST_F(DataSet, ControlTypesListenersAndProperties)
{
    Cds.ControlType.Add("MF001C;CheckBox;Y;N");
    Cds.ControlType.Add("MF002;PickList");
    std::string on, off;
    EXPECT_TRUE(Cds.CheckBoxValues("mf001c", on, off));
    EXPECT_EQ(on + off, "YN");
    EXPECT_FALSE(Cds.CheckBoxValues("MF002", on, off));
    EXPECT_EQ(Cds.ControlTypeOf("MF002"), "PickList");
    EXPECT_EQ(Cds.ControlTypeOf("MG007"), "");

    std::vector<TDataChange> changes;
    const int id = Cds.AddDataChangeListener([&](TClientDataSet*, TDataChange c, TField*) { changes.push_back(c); });
    Cds.DisableControls();
    Cds.DisableControls();
    Add("USD", "美元", 7.1);
    Cds.EnableControls();
    EXPECT_TRUE(changes.empty());
    Cds.EnableControls();
    EXPECT_EQ(changes, (std::vector<TDataChange>{TDataChange::deDataSetChange}));
    Cds.Edit();
    Rate->SetAsFloat(1);
    EXPECT_EQ(changes.back(), TDataChange::deFieldChange);
    Cds.RemoveDataChangeListener(id);
    const std::size_t count = changes.size();
    Cds.Post();
    EXPECT_EQ(changes.size(), count);

    // Fields publish their settings and events by name.
    EXPECT_EQ(GetStrProp(Rate, "DisplayLabel"), "调整汇率");
    EXPECT_EQ(GetStrProp(Sel, "DisplayLabel"), "MF001C");
    EXPECT_EQ(GetEnumProp(Code, "ReadOnly"), "True");
    EXPECT_TRUE(IsPublishedProp(Rate, "OnValidate"));
    EXPECT_EQ(GetOrdProp(&Cds, "RecordCount"), 1);
}
