#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <memory>

#include "UiTestSupport.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Mask.h"
#include "platform/ui/Spin.h"

namespace {

void Type(TWinControl* c, int key, const QString& text = {})
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(c->Widget(), &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(c->Widget(), &release);
}

void TypeText(TWinControl* c, const std::string& s)
{
    for (char ch : s) Type(c, ch >= 'a' && ch <= 'z' ? ch - 32 : ch, QString(QChar(ch)));
}

TEST(MaskEdit, TextAndEditTextFollowTheMask)
{
    struct Case {
        const char* mask;
        const char* value;
        const char* editText;
        const char* text;
    };
    const Case cases[] = {
        // date masks of the system: literals kept, blank placeholder
        {"9999/99/99;1; ", "", "    /  /  ", "    /  /  "},
        {"9999/99/99;1; ", "2024/01/05", "2024/01/05", "2024/01/05"},
        {"9999/99/99;1; ", "20240105", "2024/01/05", "2024/01/05"},
        {"9999/99/99;1; ", "2024/  /05", "2024/  /05", "2024/  /05"},
        {"99-99-9999;1; ", "12-31-2024", "12-31-2024", "12-31-2024"},
        {"999.99.99;1; ", "113.2.5", "113.2 .5 ", "113.2 .5 "},
        // literals left out of the value
        {"9999/99/99;0; ", "2024/01/05", "2024/01/05", "20240105"},
        {"9999/99/99;0; ", "20240105", "2024/01/05", "20240105"},
        {"9999/99/99;0; ", "", "    /  /  ", "        "},
        // another placeholder; the value has spaces where nothing is typed
        {"9999/99/99;1;_", "2024", "2024/__/__", "2024/  /  "},
        {"99:99;1;_", "12:3", "12:3_", "12:3 "},
        {"(999)000-0000;0;_", "0212345678", "(021)234-5678", "0212345678"},
        // a character the position does not take leaves it empty
        {"99;1; ", "x5", " 5", " 5"},
        {"LL;1;_", "a1", "a_", "a "},
        // case conversion and escaped literals
        {">LL-000;1;_", "ab-123", "AB-123", "AB-123"},
        {"<LL\\A0;1;_", "XYA7", "xyA7", "xyA7"},
        // no field for the literals: they are kept; no blank: "_"
        {"00/00", "1", "1_/__", "1 /  "},
        // no mask: plain text
        {"", "abc", "abc", "abc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mask) + " <- \"" + c.value + "\"");
        TMaskEdit e(nullptr);
        e.SetEditMask(c.mask);
        e.SetText(c.value);
        EXPECT_EQ(e.EditText(), c.editText);
        EXPECT_EQ(e.Text(), c.text);
        EXPECT_EQ(GetStrProp(&e, "Text"), c.text);
    }
}

TEST(MaskEdit, ChangingTheMaskKeepsTheValue)
{
    TMaskEdit e(nullptr);
    e.SetText("20240105");
    e.SetEditMask("9999/99/99;1; ");
    EXPECT_EQ(e.Text(), "2024/01/05");
    // The blank text of a mask that keeps literals: switch them off, clear,
    // switch them back on and read.
    e.SetEditMask("9999/99/99;0; ");
    EXPECT_EQ(e.Text(), "20240105");
    e.SetText("");
    e.SetEditMask("9999/99/99;1; ");
    EXPECT_EQ(e.Text(), "    /  /  ");
    SetStrProp(&e, "EditMask", "");
    EXPECT_FALSE(e.IsMasked());
    EXPECT_EQ(e.Text(), "    /  /  ");
}

TEST(MaskEdit, ChangeRunsOncePerValueSetFromCode)
{
    TMaskEdit e(nullptr);
    int changes = 0;
    e.OnChange = [&](TObject*) { ++changes; };
    e.SetEditMask("9999/99/99;1; ");
    EXPECT_EQ(changes, 1); // from "" to the blank mask text
    e.SetText("2024/  /05");
    EXPECT_EQ(changes, 2);
    e.SetText("2024/  /05");
    EXPECT_EQ(changes, 2);
}

TEST(MaskEdit, ValidateEditRequiresTheRequiredPositions)
{
    TMaskEdit e(nullptr);
    e.SetEditMask("0000;1;_");
    e.SetText("12");
    try {
        e.ValidateEdit();
        ADD_FAILURE() << "no error for an unfilled required position";
    } catch (const EDBEditError& err) {
        EXPECT_NE(err.Message().find("position 3"), std::string::npos) << err.Message();
    }
    e.SetText("1234");
    EXPECT_NO_THROW(e.ValidateEdit());
    e.SetEditMask("9999/99/99;1; ");
    e.SetText("");
    EXPECT_NO_THROW(e.ValidateEdit()); // optional positions only
}

TEST(MaskEdit, TypingFillsThePositionsAndEscapeRestores)
{
    TForm form(nullptr);
    auto* e = new TMaskEdit(&form);
    e->SetParent(&form);
    auto* other = new TEdit(&form);
    other->SetParent(&form);
    e->SetEditMask("0000/00/00;1;_");
    form.Show();
    e->SetFocus();
    TypeText(e, "2024");
    EXPECT_EQ(e->EditText(), "2024/__/__");
    EXPECT_TRUE(e->Modified());
    // Leaving with required positions empty is refused; the focus stays.
    EXPECT_THROW(other->SetFocus(), EDBEditError);
    EXPECT_EQ(form.ActiveControl(), e);
    Type(e, Qt::Key_Escape);
    EXPECT_EQ(e->EditText(), "____/__/__");
    EXPECT_FALSE(e->Modified());
    other->SetFocus(); // untouched: no check
    EXPECT_EQ(form.ActiveControl(), other);
}

TEST(SpinEdit, ValueIsLimitedToTheRangeUnlessBothEndsAreEqual)
{
    struct Case {
        int min, max, set, expected;
    };
    const Case cases[] = {{0, 0, -5, -5}, {0, 0, 1000, 1000}, {1, 10, 20, 10}, {1, 10, -3, 1}, {-99, 99, 50, 50}};
    for (const Case& c : cases) {
        TSpinEdit s(nullptr);
        s.SetMinValue(c.min);
        s.SetMaxValue(c.max);
        s.SetValue(c.set);
        EXPECT_EQ(s.Value(), c.expected) << c.min << ".." << c.max << " <- " << c.set;
        EXPECT_EQ(s.Text(), std::to_string(c.expected));
    }
}

TEST(SpinEdit, TextThatIsNotANumberReadsAsMinValue)
{
    TSpinEdit s(nullptr);
    s.SetMinValue(3);
    s.SetMaxValue(9);
    for (const char* t : {"", "abc", "12-", "  "}) {
        s.SetText(t);
        EXPECT_EQ(s.Value(), 3) << t;
        EXPECT_EQ(s.Text(), t); // the text itself stays
    }
    s.SetText("+7");
    EXPECT_EQ(s.Value(), 7);
}

TEST(SpinEdit, StepsByIncrementWithinTheRange)
{
    TSpinEdit s(nullptr);
    s.SetMinValue(0);
    s.SetMaxValue(12);
    s.SetIncrement(5);
    int changes = 0;
    s.OnChange = [&](TObject*) { ++changes; };
    s.UpClick();
    s.UpClick();
    EXPECT_EQ(s.Value(), 10);
    s.UpClick();
    EXPECT_EQ(s.Value(), 12);
    EXPECT_EQ(changes, 3);
    Type(&s, Qt::Key_Down);
    EXPECT_EQ(s.Value(), 7);
    Type(&s, Qt::Key_Up);
    EXPECT_EQ(s.Value(), 12);
    s.SetReadOnly(true);
    s.DownClick();
    EXPECT_EQ(s.Value(), 12);
}

TEST(SpinEdit, OnlyDigitsAndSignsAreTyped)
{
    TSpinEdit s(nullptr);
    s.SetText("");
    std::string seen;
    s.OnKeyPress = [&](TObject*, char& k) { seen += k; };
    TypeText(&s, "1a-2.+");
    EXPECT_EQ(s.Text(), "1-2+");
    EXPECT_EQ(seen, "1-2+");
}

TEST(SpinEdit, LeavingPutsAnOutOfRangeValueBack)
{
    TForm form(nullptr);
    auto* s = new TSpinEdit(&form);
    s->SetParent(&form);
    s->SetMinValue(0);
    s->SetMaxValue(23);
    auto* other = new TEdit(&form);
    other->SetParent(&form);
    form.Show();
    s->SetFocus();
    s->SetText("99");
    other->SetFocus();
    EXPECT_EQ(s->Text(), "23");
    s->SetFocus();
    s->SetText("");
    other->SetFocus();
    EXPECT_EQ(s->Text(), ""); // an empty text reads as MinValue, which is in range
}

} // namespace
