#include "platform/data/DataSet.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <limits>

#include "platform/core/SysUtils.h"
#include "platform/os/CodePage.h"
#include "platform/os/Registry.h"

namespace {

const Variant& NullValue()
{
    static const Variant value = Variant::Null();
    return value;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads up to maxDigits digits at pos; false when there is none.
bool ReadNumber(std::string_view s, std::size_t& pos, int maxDigits, int& value, int* digits = nullptr)
{
    const std::size_t start = pos;
    value = 0;
    while (pos < s.size() && IsDigit(s[pos]) && static_cast<int>(pos - start) < maxDigits)
        value = value * 10 + (s[pos++] - '0');
    if (digits) *digits = static_cast<int>(pos - start);
    return pos > start;
}

bool TryParseDateTimeText(std::string_view text, TDateTime& result)
{
    const std::string s = Trim(text);
    if (s.size() == 8 && std::all_of(s.begin(), s.end(), IsDigit)) {
        return TryEncodeDate(std::stoi(s.substr(0, 4)), std::stoi(s.substr(4, 2)), std::stoi(s.substr(6, 2)), result);
    }
    std::size_t pos = 0;
    int year, month, day;
    auto dateSep = [&](char c) { return c == '-' || c == '/' || c == '.' || c == FormatSettings().DateSeparator; };
    if (!ReadNumber(s, pos, 4, year) || pos >= s.size() || !dateSep(s[pos++])) return false;
    if (!ReadNumber(s, pos, 2, month) || pos >= s.size() || !dateSep(s[pos++])) return false;
    if (!ReadNumber(s, pos, 2, day)) return false;
    TDateTime date;
    if (!TryEncodeDate(year, month, day, date)) return false;
    int hour = 0, minute = 0, second = 0, msec = 0;
    if (pos < s.size()) {
        if (s[pos] != ' ' && s[pos] != 'T') return false;
        while (pos < s.size() && (s[pos] == ' ' || s[pos] == 'T')) ++pos;
        auto timeSep = [&](char c) { return c == ':' || c == FormatSettings().TimeSeparator; };
        if (!ReadNumber(s, pos, 2, hour) || pos >= s.size() || !timeSep(s[pos++])) return false;
        if (!ReadNumber(s, pos, 2, minute)) return false;
        if (pos < s.size() && timeSep(s[pos])) {
            ++pos;
            if (!ReadNumber(s, pos, 2, second)) return false;
            if (pos < s.size() && s[pos] == '.') {
                ++pos;
                int fraction = 0, digits = 0;
                if (!ReadNumber(s, pos, 9, fraction, &digits)) return false;
                double ms = fraction;
                for (int i = digits; i < 3; ++i) ms *= 10;
                for (int i = 3; i < digits; ++i) ms /= 10;
                msec = std::min(999, static_cast<int>(ms));
            }
        }
        if (pos != s.size()) return false;
    }
    TDateTime time;
    if (!TryEncodeTime(hour, minute, second, msec, time)) return false;
    result = date + time;
    return true;
}

bool TryParseBoolean(const std::string& text, bool& result)
{
    const std::string t = UpperCase(Trim(text));
    if (t == "TRUE" || t == "T" || t == "YES" || t == "Y" || t == "1") {
        result = true;
        return true;
    }
    if (t == "FALSE" || t == "F" || t == "NO" || t == "N" || t == "0") {
        result = false;
        return true;
    }
    return false;
}

} // namespace

TDateTime VarToDateTimeValue(const Variant& value)
{
    if (value.IsEmpty() || value.IsNull()) return 0;
    if (VarIsStr(value)) {
        TDateTime result;
        if (!TryParseDateTimeText(value.AsString(), result))
            throw EConvertError("'" + value.AsString() + "' is not a valid date and time");
        return result;
    }
    return value.AsDateTime();
}

bool TryParseEditNumber(std::string_view text, double& value)
{
    const std::string t = Trim(text);
    std::string clean;
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) clean += t[i++];
    int intDigits = 0;
    int groupDigits = 0;
    bool grouped = false;
    while (i < t.size() && (IsDigit(t[i]) || t[i] == ',')) {
        if (t[i] == ',') {
            // A separator needs digits before it and a full group of three
            // before the next separator or the end of the integer part, so
            // "1,5" (a decimal comma) is refused instead of read as 15.
            if (intDigits == 0 || (grouped && groupDigits != 3)) return false;
            grouped = true;
            groupDigits = 0;
        } else {
            clean += t[i];
            ++intDigits;
            ++groupDigits;
        }
        ++i;
    }
    if (grouped && groupDigits != 3) return false;
    int fracDigits = 0;
    if (i < t.size() && t[i] == '.') {
        clean += t[i++];
        while (i < t.size() && IsDigit(t[i])) {
            clean += t[i++];
            ++fracDigits;
        }
    }
    if (intDigits + fracDigits == 0) return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        clean += t[i++];
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) clean += t[i++];
        if (i >= t.size() || !IsDigit(t[i])) return false;
        while (i < t.size() && IsDigit(t[i])) clean += t[i++];
    }
    if (i != t.size()) return false;
    const auto parsed = TryStrToFloat(clean);
    if (!parsed || !std::isfinite(*parsed)) return false;
    value = *parsed;
    return true;
}

std::string FormatFloat(std::string_view pattern, double value)
{
    if (pattern.empty()) return FloatToStr(value);
    // Literal text before and after the digit placeholders.
    std::string prefix, suffix, core;
    bool inQuote = false;
    char quote = 0;
    for (char c : pattern) {
        if (inQuote) {
            if (c == quote) inQuote = false;
            else (core.empty() ? prefix : suffix) += c;
        } else if (c == '"' || c == '\'') {
            inQuote = true;
            quote = c;
        } else if (c == '0' || c == '#' || c == '.' || c == ',') {
            if (!suffix.empty()) break; // placeholders after the suffix are not supported
            core += c;
        } else {
            (core.empty() ? prefix : suffix) += c;
        }
    }
    const std::size_t point = core.find('.');
    const std::string intPart = core.substr(0, point);
    const std::string fracPart = point == std::string::npos ? std::string() : core.substr(point + 1);
    const bool thousands = intPart.find(',') != std::string::npos;
    const int minInt = static_cast<int>(std::count(intPart.begin(), intPart.end(), '0'));
    const int minFrac = static_cast<int>(std::count(fracPart.begin(), fracPart.end(), '0'));
    const int maxFrac = static_cast<int>(std::count_if(fracPart.begin(), fracPart.end(),
                                                       [](char c) { return c == '0' || c == '#'; }));
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.*f", maxFrac, std::fabs(value));
    std::string digits = buf;
    std::string intDigits = digits.substr(0, digits.find('.'));
    std::string fracDigits = digits.find('.') == std::string::npos ? std::string() : digits.substr(digits.find('.') + 1);
    while (static_cast<int>(fracDigits.size()) > minFrac && fracDigits.back() == '0') fracDigits.pop_back();
    while (static_cast<int>(intDigits.size()) > minInt && !intDigits.empty() && intDigits.front() == '0')
        intDigits.erase(0, 1);
    while (static_cast<int>(intDigits.size()) < minInt) intDigits.insert(0, "0");
    if (thousands)
        for (int pos = static_cast<int>(intDigits.size()) - 3; pos > 0; pos -= 3) intDigits.insert(pos, ",");
    std::string number = intDigits;
    if (!fracDigits.empty()) number += "." + fracDigits;
    const bool isZero = std::all_of(number.begin(), number.end(), [](char c) { return c == '0' || c == '.' || c == ','; });
    return (value < 0 && !isZero ? "-" : "") + prefix + number + suffix;
}

IDataProvider::~IDataProvider() = default;

// TField -------------------------------------------------------------------

TField::TField(TClientDataSet* DataSet, std::string FieldName, TFieldType DataType, int Size)
    : FDataSet(DataSet), FFieldName(std::move(FieldName)), FDataType(DataType), FSize(Size)
{
}

TField::~TField() = default;

const TClassInfo& TField::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TField>("TField", TObject::StaticClass())
            .Prop<std::string>("FieldName", [](const TField& f) { return f.FieldName(); }, nullptr)
            .Prop<int>("Size", [](const TField& f) { return f.Size(); }, nullptr)
            .Prop<std::string>("DisplayLabel", [](const TField& f) { return f.DisplayLabel(); },
                               [](TField& f, std::string v) { f.SetDisplayLabel(std::move(v)); })
            .Field("DisplayFormat", &TField::DisplayFormat)
            .Field("DisplayWidth", &TField::DisplayWidth)
            .Field("ReadOnly", &TField::ReadOnly)
            .Field("Required", &TField::Required)
            .Field("Visible", &TField::Visible)
            .Field("OnValidate", &TField::OnValidate)
            .Field("OnChange", &TField::OnChange)
            .Field("OnGetText", &TField::OnGetText)
            .Field("OnSetText", &TField::OnSetText)
            .Build();
    return info;
}

int TField::Index() const
{
    for (int i = 0; i < FDataSet->FieldCount(); ++i)
        if (FDataSet->Fields(i) == this) return i;
    return -1;
}

bool TField::IsNumeric() const
{
    return FDataType == TFieldType::ftSmallint || FDataType == TFieldType::ftInteger || FDataType == TFieldType::ftFloat;
}

Variant TField::Convert(const Variant& value) const
{
    if (value.IsEmpty() || value.IsNull()) return Variant::Null();
    if (value.IsArray() || value.IsObject())
        throw EConvertError("Field '" + FFieldName + "' cannot hold an array or object");
    const bool isText = VarIsStr(value);
    const std::string text = isText ? value.AsString() : std::string();
    if (isText && text.empty()) return Variant::Null();
    switch (FDataType) {
    case TFieldType::ftString: {
        std::string s = value.AsString();
        // The stored text never exceeds the field's size in the system code
        // page; it is cut after the last whole character that fits.
        if (FSize > 0) {
            const int cp = os::GetACP();
            if (os::CodePageByteLength(s, cp) > FSize) s = os::TruncateToCodePageBytes(s, FSize, cp);
        }
        return s.empty() ? Variant::Null() : Variant(s);
    }
    case TFieldType::ftMemo:
        return Variant(value.AsString());
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger: {
        std::int64_t n;
        if (isText) {
            const auto parsed = TryStrToInt64(Trim(text));
            if (!parsed) throw EConvertError("'" + text + "' is not a valid integer value");
            n = *parsed;
        } else {
            n = value.AsInt64();
        }
        const std::int64_t lo = FDataType == TFieldType::ftSmallint ? -32768 : std::numeric_limits<std::int32_t>::min();
        const std::int64_t hi = FDataType == TFieldType::ftSmallint ? 32767 : std::numeric_limits<std::int32_t>::max();
        if (n < lo || n > hi)
            throw EConvertError(IntToStr(n) + " is not a valid value for field '" + FFieldName + "'");
        return Variant(static_cast<std::int32_t>(n));
    }
    case TFieldType::ftFloat: {
        if (isText) {
            const auto parsed = TryStrToFloat(Trim(text));
            if (!parsed) throw EConvertError("'" + text + "' is not a valid floating point value");
            return Variant(*parsed);
        }
        return Variant(value.AsDouble());
    }
    case TFieldType::ftBoolean: {
        if (isText) {
            bool b;
            if (!TryParseBoolean(text, b)) throw EConvertError("'" + text + "' is not a valid boolean value");
            return Variant(b);
        }
        return Variant(value.AsBoolean());
    }
    case TFieldType::ftDateTime:
        return Variant::FromDateTime(VarToDateTimeValue(value));
    case TFieldType::ftUnknown:
        break;
    }
    return value;
}

Variant TField::Value() const
{
    return FDataSet->CurrentValue(Index());
}

std::string TField::AsString() const
{
    const Variant v = Value();
    if (v.IsNull()) return std::string();
    switch (FDataType) {
    case TFieldType::ftFloat:
        return FloatToStr(v.AsDouble());
    case TFieldType::ftBoolean:
        return v.AsBoolean() ? "True" : "False";
    case TFieldType::ftDateTime:
        return DateTimeToStr(v.AsDateTime());
    default:
        return v.AsString();
    }
}

std::int32_t TField::AsInteger() const
{
    const Variant v = Value();
    if (v.IsNull()) return 0;
    if (VarIsStr(v)) {
        const auto parsed = TryStrToInt(Trim(v.AsString()));
        if (!parsed) throw EConvertError("'" + v.AsString() + "' is not a valid integer value");
        return *parsed;
    }
    return v.AsInteger();
}

double TField::AsFloat() const
{
    const Variant v = Value();
    if (v.IsNull()) return 0;
    if (VarIsStr(v)) {
        const auto parsed = TryStrToFloat(Trim(v.AsString()));
        if (!parsed) throw EConvertError("'" + v.AsString() + "' is not a valid floating point value");
        return *parsed;
    }
    return v.AsDouble();
}

bool TField::AsBoolean() const
{
    const Variant v = Value();
    if (v.IsNull()) return false;
    if (VarIsStr(v)) {
        bool b;
        if (!TryParseBoolean(v.AsString(), b)) throw EConvertError("'" + v.AsString() + "' is not a valid boolean value");
        return b;
    }
    return v.AsBoolean();
}

TDateTime TField::AsDateTime() const
{
    return VarToDateTimeValue(Value());
}

void TField::SetValue(const Variant& value)
{
    FDataSet->CheckEditable(*this);
    const Variant converted = Convert(value);
    const int index = Index();
    const Variant old = FDataSet->FBuffer[index];
    FDataSet->FBuffer[index] = converted;
    try {
        OnValidate(this);
        OnChange(this);
    } catch (...) {
        // A handler refused the value: the field keeps the one it had.
        if (FDataSet->FState == TDataSetState::dsEdit || FDataSet->FState == TDataSetState::dsInsert)
            FDataSet->FBuffer[index] = old;
        throw;
    }
    FDataSet->Notify(TDataChange::deFieldChange, this);
}

std::string TField::Text() const
{
    if (OnGetText) {
        std::string text;
        OnGetText(const_cast<TField*>(this), text, false);
        return text;
    }
    return AsString();
}

std::string TField::DisplayText() const
{
    if (OnGetText) {
        std::string text;
        OnGetText(const_cast<TField*>(this), text, true);
        return text;
    }
    if (IsNull()) return std::string();
    if (!DisplayFormat.empty()) {
        if (IsNumeric()) return FormatFloat(DisplayFormat, AsFloat());
        if (FDataType == TFieldType::ftDateTime) return FormatDateTime(DisplayFormat, AsDateTime());
    }
    return AsString();
}

void TField::SetText(const std::string& value)
{
    if (OnSetText) OnSetText(this, value);
    else SetAsString(value);
}

void TField::SetEditText(const std::string& value)
{
    if (!IsNumeric()) {
        SetText(value);
        return;
    }
    if (Trim(value).empty()) {
        SetValue(Variant::Null());
        return;
    }
    double number;
    if (!TryParseEditNumber(value, number)) throw EConvertError("'" + value + "' is not a valid number");
    if (FDataType != TFieldType::ftFloat) {
        if (number != std::floor(number)) throw EConvertError("'" + value + "' is not a valid integer value");
        if (std::fabs(number) > 2147483648.0)
            throw EConvertError("'" + value + "' is not a valid value for field '" + FFieldName + "'");
        SetValue(Variant(static_cast<std::int64_t>(number)));
        return;
    }
    SetValue(Variant(number));
}

// TClientDataSet -------------------------------------------------------------

TClientDataSet::TClientDataSet() = default;
TClientDataSet::~TClientDataSet() = default;

const TClassInfo& TClientDataSet::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TClientDataSet>("TClientDataSet", TObject::StaticClass())
            .Prop<bool>("Active", &TClientDataSet::Active, &TClientDataSet::SetActive)
            .Prop<int>("RecordCount", &TClientDataSet::RecordCount, nullptr)
            .Prop<int>("RecNo", &TClientDataSet::RecNo, &TClientDataSet::SetRecNo)
            .Field("BeforePost", &TClientDataSet::BeforePost)
            .Field("AfterPost", &TClientDataSet::AfterPost)
            .Field("BeforeDelete", &TClientDataSet::BeforeDelete)
            .Field("OnNewRecord", &TClientDataSet::OnNewRecord)
            .Field("AfterScroll", &TClientDataSet::AfterScroll)
            .Build();
    return info;
}

TField* TClientDataSet::AddField(const std::string& name, TFieldType type, int size)
{
    if (Active()) throw EDatabaseError("Cannot add field '" + name + "' to an open dataset");
    if (FindField(name)) throw EDatabaseError("Duplicate field name '" + name + "'");
    FFields.push_back(std::make_unique<TField>(this, name, type, size));
    return FFields.back().get();
}

TField* TClientDataSet::Fields(int index) const
{
    if (index < 0 || index >= FieldCount()) throw EDatabaseError("Field index out of range: " + IntToStr(index));
    return FFields[index].get();
}

TField* TClientDataSet::FindField(std::string_view name) const
{
    const std::string wanted = Trim(name);
    for (const auto& f : FFields)
        if (SameText(f->FieldName(), wanted)) return f.get();
    return nullptr;
}

TField* TClientDataSet::FieldByName(std::string_view name) const
{
    if (TField* f = FindField(name)) return f;
    throw EDatabaseError("Field '" + std::string(name) + "' not found");
}

void TClientDataSet::BindFields(const std::vector<TFieldDef>& defs)
{
    auto findDef = [&](const std::string& name) -> const TFieldDef* {
        for (const auto& d : defs)
            if (SameText(d.Name, name)) return &d;
        return nullptr;
    };
    for (const auto& f : FFields)
        if (f->FPersistent && !findDef(f->FieldName()))
            throw EDatabaseError("Field '" + f->FieldName() + "' not found");
    // Fields from an earlier packet that this one lacks, or has with another
    // type, go; the rest are kept so pointers to them stay valid.
    std::erase_if(FFields, [&](const std::unique_ptr<TField>& f) {
        const TFieldDef* d = findDef(f->FieldName());
        return !f->FPersistent && (!d || d->DataType != f->DataType());
    });
    for (const auto& d : defs) {
        if (TField* f = FindField(d.Name)) {
            if (!f->FPersistent) f->SetSize(d.Size);
            continue;
        }
        auto f = std::make_unique<TField>(this, d.Name, d.DataType, d.Size);
        f->FPersistent = false;
        f->Required = d.Required;
        FFields.push_back(std::move(f));
    }
}

void TClientDataSet::LoadPacket(const TDataPacket& packet)
{
    BindFields(packet.FieldDefs);
    FFieldDefs = packet.FieldDefs;
    // Column of the packet for each field.
    std::vector<int> column(FFields.size());
    for (std::size_t i = 0; i < FFields.size(); ++i)
        for (std::size_t c = 0; c < packet.FieldDefs.size(); ++c)
            if (SameText(packet.FieldDefs[c].Name, FFields[i]->FieldName())) column[i] = static_cast<int>(c);

    std::vector<std::vector<Variant>> records;
    const Variant& rows = packet.Rows;
    auto addRow = [&](auto valueAt) {
        std::vector<Variant> record(FFields.size());
        for (std::size_t i = 0; i < FFields.size(); ++i) record[i] = FFields[i]->Convert(valueAt(column[i]));
        records.push_back(std::move(record));
    };
    if (rows.IsArray()) {
        const TVarArray& a = rows.AsArray();
        if (a.DimCount() == 2) {
            const TVarArrayBound rb = a.Bound(1), cb = a.Bound(2);
            for (int r = rb.LowBound; r <= rb.HighBound; ++r)
                addRow([&](int c) -> Variant {
                    return c < cb.ElementCount() ? a.At(r, cb.LowBound + c) : Variant::Null();
                });
        } else {
            const TVarArrayBound rb = a.Bound(1);
            for (int r = rb.LowBound; r <= rb.HighBound; ++r) {
                const Variant& row = a.At(r);
                if (!row.IsArray() || row.AsArray().DimCount() != 1)
                    throw EDatabaseError("Row " + IntToStr(r) + " of the data packet is no array");
                const TVarArray& ra = row.AsArray();
                const TVarArrayBound cb = ra.Bound(1);
                addRow([&](int c) -> Variant {
                    return c < cb.ElementCount() ? ra.At(cb.LowBound + c) : Variant::Null();
                });
            }
        }
    } else if (!rows.IsEmpty() && !rows.IsNull()) {
        throw EDatabaseError("The data packet's rows are no array");
    }
    FRecords = std::move(records);
}

void TClientDataSet::Open()
{
    if (Active()) return;
    if (!Provider) throw EDatabaseError("Missing data provider");
    const TDataPacket packet = Provider->GetData();
    LoadPacket(packet);
    FState = TDataSetState::dsBrowse;
    FBuffer.clear();
    SetCursor(FRecords.empty() ? -1 : 0);
    FBof = true;
    FEof = FRecords.empty();
    Notify(TDataChange::deDataSetChange);
}

void TClientDataSet::CreateDataSet()
{
    if (Active()) Close();
    std::vector<TFieldDef> defs = FFieldDefs;
    for (const auto& f : FFields) {
        const bool listed = std::any_of(defs.begin(), defs.end(), [&](const TFieldDef& d) { return SameText(d.Name, f->FieldName()); });
        if (f->FPersistent && !listed) defs.push_back({f->FieldName(), f->DataType(), f->Size(), f->Required});
    }
    BindFields(defs);
    FFieldDefs = defs;
    FRecords.clear();
    FBuffer.clear();
    FState = TDataSetState::dsBrowse;
    SetCursor(-1);
    FBof = FEof = true;
    Notify(TDataChange::deDataSetChange);
}

void TClientDataSet::Close()
{
    if (!Active()) return;
    FState = TDataSetState::dsInactive;
    FRecords.clear();
    FBuffer.clear();
    FCurrent = -1;
    FBof = FEof = true;
    Notify(TDataChange::deDataSetChange);
}

void TClientDataSet::SetActive(bool value)
{
    if (value) Open();
    else Close();
}

void TClientDataSet::EmptyDataSet()
{
    CheckActive();
    Cancel();
    FRecords.clear();
    SetCursor(-1);
    FBof = FEof = true;
    Notify(TDataChange::deDataSetChange);
}

void TClientDataSet::CheckActive() const
{
    if (!Active()) throw EDatabaseError("Cannot perform this operation on a closed dataset");
}

void TClientDataSet::CheckEditable(const TField& field) const
{
    CheckActive();
    if (FState != TDataSetState::dsEdit && FState != TDataSetState::dsInsert)
        throw EDatabaseError("Dataset not in edit or insert mode");
    if (field.ReadOnly) throw EDatabaseError("Field '" + field.FieldName() + "' cannot be modified");
}

Variant& TClientDataSet::CurrentValue(int fieldIndex)
{
    return const_cast<Variant&>(static_cast<const TClientDataSet*>(this)->CurrentValue(fieldIndex));
}

const Variant& TClientDataSet::CurrentValue(int fieldIndex) const
{
    CheckActive();
    if (fieldIndex < 0 || fieldIndex >= FieldCount()) throw EDatabaseError("Field does not belong to the dataset");
    if (FState == TDataSetState::dsEdit || FState == TDataSetState::dsInsert) return FBuffer[fieldIndex];
    if (FCurrent < 0) return NullValue();
    return FRecords[FCurrent][fieldIndex];
}

void TClientDataSet::SetCursor(int index) { FCurrent = index; }

void TClientDataSet::DoAfterScroll()
{
    Notify(TDataChange::deDataSetScroll);
    AfterScroll(this);
}

void TClientDataSet::First()
{
    CheckActive();
    CheckBrowseMode();
    SetCursor(FRecords.empty() ? -1 : 0);
    FBof = true;
    FEof = FRecords.empty();
    DoAfterScroll();
}

void TClientDataSet::Last()
{
    CheckActive();
    CheckBrowseMode();
    SetCursor(static_cast<int>(FRecords.size()) - 1);
    FEof = true;
    FBof = FRecords.empty();
    DoAfterScroll();
}

void TClientDataSet::Next()
{
    CheckActive();
    CheckBrowseMode();
    if (FCurrent + 1 < RecordCount()) {
        SetCursor(FCurrent + 1);
        FBof = FEof = false;
        DoAfterScroll();
    } else {
        FEof = true;
    }
}

void TClientDataSet::Prior()
{
    CheckActive();
    CheckBrowseMode();
    if (FCurrent > 0) {
        SetCursor(FCurrent - 1);
        FBof = FEof = false;
        DoAfterScroll();
    } else {
        FBof = true;
    }
}

int TClientDataSet::RecNo() const
{
    if (!Active() || FState == TDataSetState::dsInsert || FCurrent < 0) return 0;
    return FCurrent + 1;
}

void TClientDataSet::SetRecNo(int value)
{
    CheckActive();
    CheckBrowseMode();
    if (FRecords.empty()) return;
    SetCursor(std::clamp(value, 1, RecordCount()) - 1);
    FBof = FEof = false;
    DoAfterScroll();
}

bool TClientDataSet::Locate(const std::string& keyFields, const Variant& keyValues, TLocateOptions options)
{
    CheckActive();
    CheckBrowseMode();
    std::vector<TField*> fields;
    for (std::size_t start = 0; start <= keyFields.size();) {
        std::size_t end = keyFields.find(';', start);
        if (end == std::string::npos) end = keyFields.size();
        const std::string name = Trim(std::string_view(keyFields).substr(start, end - start));
        if (!name.empty()) fields.push_back(FieldByName(name));
        start = end + 1;
    }
    if (fields.empty()) return false;
    std::vector<Variant> keys;
    if (keyValues.IsArray() && keyValues.AsArray().DimCount() == 1 &&
        (fields.size() > 1 || keyValues.AsArray().Count() == 1)) {
        const TVarArray& a = keyValues.AsArray();
        for (int i = a.Bound(1).LowBound; i <= a.Bound(1).HighBound; ++i) keys.push_back(a.At(i));
    } else {
        keys.push_back(keyValues);
    }
    if (keys.size() != fields.size())
        throw EDatabaseError("Locate needs one value for each of the fields '" + keyFields + "'");

    const bool caseInsensitive = options & static_cast<unsigned>(TLocateOption::loCaseInsensitive);
    const bool partial = options & static_cast<unsigned>(TLocateOption::loPartialKey);
    // Keys converted to the type of their field; a key no field value can
    // equal means no record matches.
    std::vector<Variant> converted(keys.size());
    for (std::size_t k = 0; k < keys.size(); ++k) {
        const TFieldType t = fields[k]->DataType();
        if (t == TFieldType::ftString || t == TFieldType::ftMemo) {
            converted[k] = keys[k].IsEmpty() || keys[k].IsNull() ? Variant::Null() : Variant(keys[k].AsString());
            if (converted[k].IsString() && converted[k].AsString().empty()) converted[k] = Variant::Null();
        } else {
            try {
                converted[k] = fields[k]->Convert(keys[k]);
            } catch (const EConvertError&) {
                return false;
            }
        }
    }
    for (int r = 0; r < RecordCount(); ++r) {
        bool match = true;
        for (std::size_t k = 0; k < fields.size() && match; ++k) {
            const Variant& stored = FRecords[r][fields[k]->Index()];
            const Variant& key = converted[k];
            if (key.IsNull() || stored.IsNull()) {
                match = key.IsNull() && stored.IsNull();
            } else if (key.IsString()) {
                std::string s = stored.AsString(), w = key.AsString();
                if (caseInsensitive) {
                    s = UpperCase(s);
                    w = UpperCase(w);
                }
                match = partial ? s.compare(0, w.size(), w) == 0 && s.size() >= w.size() : s == w;
            } else {
                match = stored == key;
            }
        }
        if (match) {
            SetCursor(r);
            FBof = FEof = false;
            DoAfterScroll();
            return true;
        }
    }
    return false;
}

void TClientDataSet::CheckBrowseMode()
{
    if (FState == TDataSetState::dsEdit || FState == TDataSetState::dsInsert) Post();
}

void TClientDataSet::BeginInsert(bool append)
{
    CheckActive();
    CheckBrowseMode();
    FBeforeInsert = FCurrent;
    FInsertAt = append || FCurrent < 0 ? RecordCount() : FCurrent;
    FBuffer.assign(FFields.size(), Variant::Null());
    FState = TDataSetState::dsInsert;
    FBof = FEof = false;
    Notify(TDataChange::deUpdateState);
    try {
        OnNewRecord(this);
    } catch (...) {
        Cancel();
        throw;
    }
}

void TClientDataSet::Insert() { BeginInsert(false); }
void TClientDataSet::Append() { BeginInsert(true); }

void TClientDataSet::Edit()
{
    CheckActive();
    if (FState == TDataSetState::dsEdit || FState == TDataSetState::dsInsert) return;
    if (FRecords.empty()) {
        Insert();
        return;
    }
    FBuffer = FRecords[FCurrent];
    FState = TDataSetState::dsEdit;
    Notify(TDataChange::deUpdateState);
}

void TClientDataSet::Post()
{
    CheckActive();
    if (FState != TDataSetState::dsEdit && FState != TDataSetState::dsInsert) return;
    try {
        BeforePost(this);
        if (FState != TDataSetState::dsEdit && FState != TDataSetState::dsInsert) return; // a handler ended the edit
        for (std::size_t i = 0; i < FFields.size(); ++i)
            if (FFields[i]->Required && FBuffer[i].IsNull())
                throw EDatabaseError("Field '" + FFields[i]->DisplayLabel() + "' must have a value");
    } catch (...) {
        Cancel();
        throw;
    }
    if (FState == TDataSetState::dsInsert) {
        FRecords.insert(FRecords.begin() + FInsertAt, std::move(FBuffer));
        SetCursor(FInsertAt);
    } else {
        FRecords[FCurrent] = std::move(FBuffer);
    }
    FBuffer.clear();
    FState = TDataSetState::dsBrowse;
    FBof = FEof = false;
    Notify(TDataChange::deRecordChange);
    AfterPost(this);
}

void TClientDataSet::Cancel()
{
    if (FState != TDataSetState::dsEdit && FState != TDataSetState::dsInsert) return;
    if (FState == TDataSetState::dsInsert) SetCursor(std::min(FBeforeInsert, RecordCount() - 1));
    FBuffer.clear();
    FState = TDataSetState::dsBrowse;
    FBof = FEof = FRecords.empty();
    Notify(TDataChange::deUpdateState);
}

void TClientDataSet::Delete()
{
    CheckActive();
    if (FState == TDataSetState::dsInsert) {
        Cancel();
        return;
    }
    Cancel();
    if (FRecords.empty()) throw EDatabaseError("Cannot perform this operation on an empty dataset");
    BeforeDelete(this);
    const int deleted = FCurrent;
    FRecords.erase(FRecords.begin() + deleted);
    SetCursor(std::min(deleted, RecordCount() - 1));
    // Deleting the last record leaves the cursor at the end, so a loop
    // "delete or move next until Eof" ends there.
    FEof = deleted >= RecordCount();
    FBof = FRecords.empty();
    Notify(TDataChange::deDataSetChange);
}

std::string TClientDataSet::ControlTypeOf(std::string_view fieldName) const
{
    for (int i = 0; i < ControlType.Count(); ++i) {
        const std::string& line = ControlType[i];
        const std::size_t sep = line.find(';');
        if (SameText(Trim(std::string_view(line).substr(0, sep)), Trim(fieldName)))
            return sep == std::string::npos ? std::string() : Trim(line.substr(sep + 1, line.find(';', sep + 1) - sep - 1));
    }
    return std::string();
}

bool TClientDataSet::CheckBoxValues(std::string_view fieldName, std::string& checked, std::string& unchecked) const
{
    for (int i = 0; i < ControlType.Count(); ++i) {
        std::vector<std::string> parts;
        const std::string& line = ControlType[i];
        for (std::size_t start = 0;;) {
            const std::size_t end = line.find(';', start);
            parts.push_back(line.substr(start, end == std::string::npos ? std::string::npos : end - start));
            if (end == std::string::npos) break;
            start = end + 1;
        }
        if (parts.size() >= 2 && SameText(Trim(parts[0]), Trim(fieldName)) && SameText(Trim(parts[1]), "CheckBox")) {
            checked = parts.size() > 2 ? parts[2] : std::string();
            unchecked = parts.size() > 3 ? parts[3] : std::string();
            return true;
        }
    }
    return false;
}

void TClientDataSet::EnableControls()
{
    if (FDisableCount == 0) return;
    if (--FDisableCount == 0) Notify(TDataChange::deDataSetChange);
}

int TClientDataSet::AddDataChangeListener(TDataChangeListener listener)
{
    const int id = FNextListenerId++;
    FListeners.emplace_back(id, std::move(listener));
    return id;
}

void TClientDataSet::RemoveDataChangeListener(int id)
{
    std::erase_if(FListeners, [id](const auto& entry) { return entry.first == id; });
}

void TClientDataSet::Notify(TDataChange change, TField* field)
{
    if (FDisableCount > 0) return;
    // A copy, so a listener may remove itself.
    const auto listeners = FListeners;
    for (const auto& [id, listener] : listeners) listener(this, change, field);
}
