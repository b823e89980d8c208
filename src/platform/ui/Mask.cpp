#include "platform/ui/Mask.h"

#include <QLineEdit>
#include <QSignalBlocker>

#include "platform/ui/Messages.h"

namespace {

std::u32string ToU32(const std::string& s) { return QString::fromStdString(s).toStdU32String(); }
std::string FromU32(const std::u32string& s) { return QString::fromStdU32String(s).toStdString(); }

bool IsMaskChar(char32_t c)
{
    switch (c) {
    case U'0': case U'9': case U'#': case U'L': case U'l': case U'A': case U'a': case U'C': case U'c': return true;
    default: return false;
    }
}

// The mask character of Qt's input mask for one of ours.
QChar QtMaskChar(char32_t c)
{
    switch (c) {
    case U'L': return u'A';
    case U'l': return u'a';
    case U'A': return u'N';
    case U'a': return u'n';
    case U'C': return u'X';
    case U'c': return u'x';
    default: return QChar(char16_t(c)); // 0, 9, #
    }
}

bool QtSpecial(char32_t c)
{
    return std::u32string_view(U"AaNnXx90Dd#HhBb><!\\;[]{}").find(c) != std::u32string_view::npos;
}

char32_t ApplyCase(char32_t c, int caseMode)
{
    if (caseMode == 0 || c > 0xFFFF) return c;
    const QChar q{char16_t(c)};
    return caseMode == 1 ? q.toUpper().unicode() : q.toLower().unicode();
}

QLineEdit* LineEdit(const TControl* c) { return static_cast<QLineEdit*>(c->Widget()); }

} // namespace

const TClassInfo& TMaskEdit::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TMaskEdit>("TMaskEdit", TEdit::StaticClass())
            .Prop<std::string>("EditMask", &TMaskEdit::EditMask, &TMaskEdit::SetEditMask)
            .Prop<std::string>("EditText", &TMaskEdit::EditText, &TMaskEdit::SetEditText)
            .Prop<std::string>("Text", &TMaskEdit::Text, &TMaskEdit::SetText)
            .Build();
    return info;
}

TMaskEdit::TMaskEdit(TComponent* AOwner) : TEdit(AOwner) {}

bool TMaskEdit::Accepts(const TMaskPosition& p, char32_t c)
{
    const bool bmp = c <= 0xFFFF;
    const QChar q(bmp ? char16_t(c) : u'\0');
    switch (p.Char) {
    case U'0':
    case U'9': return c >= U'0' && c <= U'9';
    case U'#': return (c >= U'0' && c <= U'9') || c == U'+' || c == U'-';
    case U'L':
    case U'l': return bmp && q.isLetter();
    case U'A':
    case U'a': return bmp && q.isLetterOrNumber();
    default: return c >= 0x20 && c != 0x7F; // C, c
    }
}

bool TMaskEdit::Required(const TMaskPosition& p)
{
    return !p.Literal && (p.Char == U'0' || p.Char == U'L' || p.Char == U'A' || p.Char == U'C');
}

void TMaskEdit::SetEditMask(const std::string& v)
{
    if (v == FEditMask) return;
    const std::string value = Text();
    const std::string shownBefore = EditText();
    FEditMask = v;
    FPositions.clear();
    FSaveLiterals = true;
    FBlank = U'_';

    // The fields after the positions, separated by unescaped ';'.
    const std::u32string m = ToU32(v);
    std::u32string body;
    std::vector<std::u32string> fields;
    for (size_t i = 0; i < m.size(); ++i) {
        if (!fields.empty()) {
            if (m[i] == U';') fields.emplace_back();
            else fields.back() += m[i];
            continue;
        }
        if (m[i] == U'\\' && i + 1 < m.size()) {
            body += m[i];
            body += m[++i];
        } else if (m[i] == U';') fields.emplace_back();
        else body += m[i];
    }
    if (fields.size() >= 1) FSaveLiterals = fields[0] != U"0";
    if (fields.size() >= 2 && !fields[1].empty()) FBlank = fields[1][0];

    QString qtMask;
    int caseMode = 0;
    for (size_t i = 0; i < body.size(); ++i) {
        const char32_t c = body[i];
        TMaskPosition p;
        if (c == U'\\' && i + 1 < body.size()) {
            p.Literal = true;
            p.Char = body[++i];
        } else if (c == U'<' && i + 1 < body.size() && body[i + 1] == U'>') {
            ++i;
            caseMode = 0;
            qtMask += u'!';
            continue;
        } else if (c == U'>' || c == U'<') {
            caseMode = c == U'>' ? 1 : 2;
            qtMask += QChar(char16_t(c));
            continue;
        } else if (c == U'!') {
            continue;
        } else if (IsMaskChar(c)) {
            p.Char = c;
            p.Case = caseMode;
        } else {
            p.Literal = true;
            p.Char = c == U'_' ? U' ' : c;
        }
        if (p.Literal) {
            if (QtSpecial(p.Char)) qtMask += u'\\';
            qtMask += QChar(char16_t(p.Char));
        } else {
            qtMask += QtMaskChar(p.Char);
        }
        FPositions.push_back(p);
    }

    QLineEdit* w = LineEdit(this);
    {
        const QSignalBlocker block(w);
        if (FPositions.empty()) {
            w->setInputMask(QString());
            w->setText(QString::fromStdString(value));
        } else {
            w->setInputMask(qtMask + u';' + QChar(char16_t(FBlank)));
            Show(Fill(ToU32(value)));
        }
        w->setModified(false);
    }
    if (EditText() != shownBefore) Change();
}

TMaskEdit::TCells TMaskEdit::Cells() const
{
    const std::u32string shown = LineEdit(this)->displayText().toStdU32String();
    TCells cells(FPositions.size(), 0);
    for (size_t i = 0; i < FPositions.size() && i < shown.size(); ++i)
        if (!FPositions[i].Literal && shown[i] != FBlank) cells[i] = shown[i];
    return cells;
}

TMaskEdit::TCells TMaskEdit::Fill(const std::u32string& value) const
{
    TCells cells(FPositions.size(), 0);
    size_t k = 0;
    for (size_t i = 0; i < FPositions.size() && k < value.size(); ++i) {
        const TMaskPosition& p = FPositions[i];
        if (p.Literal) {
            if (value[k] == p.Char) ++k;
            continue;
        }
        const char32_t c = ApplyCase(value[k++], p.Case);
        if (c != U' ' && c != FBlank && Accepts(p, c)) cells[i] = c;
    }
    return cells;
}

void TMaskEdit::Show(const TCells& cells)
{
    // Qt places typed characters one after another, so empty positions
    // get a character the position takes first and are cleared after.
    QLineEdit* w = LineEdit(this);
    QString full;
    std::vector<int> empty;
    for (size_t i = 0; i < FPositions.size(); ++i) {
        const TMaskPosition& p = FPositions[i];
        char32_t c = p.Literal ? p.Char : cells[i];
        if (!p.Literal && c == 0) {
            empty.push_back(int(i));
            c = (p.Char == U'L' || p.Char == U'l') ? (p.Case == 1 ? U'A' : U'a') : U'0';
        }
        full += QChar(char16_t(c));
    }
    const bool readOnly = w->isReadOnly();
    w->setReadOnly(false);
    w->setText(full);
    for (int i : empty) {
        w->setCursorPosition(i);
        w->del();
    }
    w->setReadOnly(readOnly);
    w->setCursorPosition(0);
    w->setModified(false);
}

std::string TMaskEdit::EditText() const
{
    QLineEdit* w = LineEdit(this);
    return (IsMasked() ? w->displayText() : w->text()).toStdString();
}

void TMaskEdit::SetEditText(const std::string& v)
{
    if (!IsMasked()) {
        TEdit::SetText(v);
        return;
    }
    const std::string before = EditText();
    {
        const QSignalBlocker block(LineEdit(this));
        Show(Fill(ToU32(v)));
    }
    if (EditText() != before) Change();
}

std::string TMaskEdit::Text() const
{
    if (!IsMasked()) return TEdit::Text();
    const TCells cells = Cells();
    std::u32string out;
    for (size_t i = 0; i < FPositions.size(); ++i) {
        if (FPositions[i].Literal) {
            if (FSaveLiterals) out += FPositions[i].Char;
        } else {
            out += cells[i] ? cells[i] : U' ';
        }
    }
    return FromU32(out);
}

void TMaskEdit::SetText(const std::string& v) { SetEditText(v); }

int TMaskEdit::FirstMissing(const TCells& cells) const
{
    for (size_t i = 0; i < FPositions.size(); ++i)
        if (Required(FPositions[i]) && cells[i] == 0) return int(i);
    return -1;
}

void TMaskEdit::ValidateEdit()
{
    if (!IsMasked()) return;
    const int pos = FirstMissing(Cells());
    if (pos < 0) return;
    LineEdit(this)->setCursorPosition(pos);
    throw EDBEditError("Invalid input value: position " + std::to_string(pos + 1) + " of the mask \"" + FEditMask +
                       "\" must be filled. Press Escape to abandon the changes");
}

bool TMaskEdit::Modified() const { return LineEdit(this)->isModified(); }

void TMaskEdit::DoEnter()
{
    FTextOnEnter = EditText();
    TEdit::DoEnter();
}

void TMaskEdit::DoExit()
{
    if (IsMasked() && Modified()) ValidateEdit();
    TEdit::DoExit();
}

void TMaskEdit::KeyDown(std::uint16_t& key, TShiftState shift)
{
    TEdit::KeyDown(key, shift);
    if (key == VK_ESCAPE && IsMasked() && Modified()) {
        SetEditText(FTextOnEnter);
        key = 0;
    }
}
