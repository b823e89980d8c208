#pragma once
// The client dataset: an in-memory table with typed fields, a cursor, edit
// states and per-field events, filled from a data provider or built empty
// from field definitions. Grids and forms read and write it through TField.
//
// Values are stored as variants already converted to the field's type; a
// null value is Variant::Null(). An empty text assigned to any field makes
// it null, so "the field is empty" and "the field is null" are one test.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/DateTime.h"
#include "platform/core/Events.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Properties.h"
#include "platform/core/StringList.h"
#include "platform/core/Variant.h"

ORVANE_EXCEPTION_CLASS(EDatabaseError, EPlatformError);

enum class TFieldType { ftUnknown, ftString, ftSmallint, ftInteger, ftFloat, ftBoolean, ftDateTime, ftMemo };

enum class TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

class TField;
class TClientDataSet;

using TFieldNotifyEvent = TEvent<void(TField* Sender)>;
// Text starts empty; DisplayText tells whether the text is for display
// (true) or for editing (false).
using TFieldGetTextEvent = TEvent<void(TField* Sender, std::string& Text, bool DisplayText)>;
using TFieldSetTextEvent = TEvent<void(TField* Sender, const std::string& Text)>;
using TDataSetNotifyEvent = TEvent<void(TClientDataSet* DataSet)>;

struct TFieldDef {
    std::string Name;
    TFieldType DataType = TFieldType::ftString;
    int Size = 0; // strings: bytes in the system code page
    bool Required = false;
};

// Converts a variant to a date-time: date-time and number kinds directly,
// texts in the forms "yyyy-mm-dd[ hh:nn[:ss[.zzz]]]" (also with "/" or "T",
// or an eight-digit "yyyymmdd") and the display form of the format
// settings. Raises EConvertError for anything else; null and empty give 0.
TDateTime VarToDateTimeValue(const Variant& value);

// Parses a number the way a user types it: blanks around, a sign, thousands
// separators "," in the integer part, "." as the decimal point, an
// exponent. Empty text gives false as any text that is no number does.
bool TryParseEditNumber(std::string_view text, double& value);

// Formats a number with a display pattern: "0" a required digit, "#" an
// optional one, "." the decimal point, "," anywhere in the integer part turns
// on thousands separators; text in quotes is copied. Rounds half away from
// zero. An empty pattern gives FloatToStr.
std::string FormatFloat(std::string_view pattern, double value);

class TField : public TObject {
    ORVANE_CLASS_INFO
public:
    TField(TClientDataSet* DataSet, std::string FieldName, TFieldType DataType, int Size = 0);
    ~TField() override;
    TField(const TField&) = delete;
    TField& operator=(const TField&) = delete;

    TClientDataSet* DataSet() const { return FDataSet; }
    const std::string& FieldName() const { return FFieldName; }
    TFieldType DataType() const { return FDataType; }
    int Size() const { return FSize; }
    void SetSize(int value) { FSize = value; }
    int Index() const; // position in the dataset's field list, from 0
    bool IsNumeric() const;

    // The label shown in grid titles and messages; the field name when unset.
    std::string DisplayLabel() const { return FDisplayLabel.empty() ? FFieldName : FDisplayLabel; }
    void SetDisplayLabel(std::string value) { FDisplayLabel = std::move(value); }
    std::string DisplayFormat;
    int DisplayWidth = 0;
    bool ReadOnly = false;
    bool Required = false;
    bool Visible = true;

    bool GetReadOnly() const { return ReadOnly; }
    void SetReadOnly(bool value) { ReadOnly = value; }

    // Reading: null gives "", 0, false; the dataset must be open.
    Variant Value() const;
    bool IsNull() const { return Value().IsNull(); }
    std::string AsString() const;
    std::int32_t AsInteger() const;
    double AsFloat() const;
    bool AsBoolean() const;
    TDateTime AsDateTime() const;

    // Writing needs the edit or insert state and a field that is not read
    // only. The value is converted to the field's type (EConvertError when it
    // cannot be), OnValidate runs with the new value in place, then OnChange.
    // An exception from the conversion or a handler leaves the old value.
    void SetValue(const Variant& value);
    void SetAsString(const std::string& value) { SetValue(Variant(value)); }
    void SetAsInteger(std::int32_t value) { SetValue(Variant(value)); }
    void SetAsFloat(double value) { SetValue(Variant(value)); }
    void SetAsBoolean(bool value) { SetValue(Variant(value)); }
    void SetAsDateTime(TDateTime value) { SetValue(Variant::FromDateTime(value)); }
    void Clear() { SetValue(Variant::Null()); }

    // Text for editing: OnGetText (DisplayText false) when assigned,
    // otherwise AsString.
    std::string Text() const;
    // Text for display: OnGetText (DisplayText true) when assigned,
    // otherwise the value formatted with DisplayFormat.
    std::string DisplayText() const;
    // OnSetText when assigned, otherwise SetAsString.
    void SetText(const std::string& value);
    // The edit-text parser: number fields accept a number as users type it
    // (TryParseEditNumber; empty text makes the field null, anything else
    // that is no number raises EConvertError); other fields take SetText.
    void SetEditText(const std::string& value);

    TFieldNotifyEvent OnValidate;
    TFieldNotifyEvent OnChange;
    TFieldGetTextEvent OnGetText;
    TFieldSetTextEvent OnSetText;

private:
    friend class TClientDataSet;
    Variant Convert(const Variant& value) const;

    TClientDataSet* FDataSet;
    std::string FFieldName;
    TFieldType FDataType;
    int FSize;
    std::string FDisplayLabel;
    bool FPersistent = true; // created by code, not by opening a data packet
};

// What a data provider hands to a dataset: the field definitions and the
// rows. Rows is empty/null for none, a two-dimensional array indexed
// (row, field), or a one-dimensional array whose items are the rows, each a
// one-dimensional array of field values in definition order.
struct TDataPacket {
    std::vector<TFieldDef> FieldDefs;
    Variant Rows;
};

class IDataProvider {
public:
    virtual ~IDataProvider();
    virtual TDataPacket GetData() = 0;
};

enum class TLocateOption { loCaseInsensitive = 1, loPartialKey = 2 };
using TLocateOptions = unsigned;
constexpr TLocateOptions operator|(TLocateOption a, TLocateOption b)
{
    return static_cast<unsigned>(a) | static_cast<unsigned>(b);
}

enum class TDataChange { deDataSetChange, deDataSetScroll, deRecordChange, deFieldChange, deUpdateState };
// Listeners receive the change and, for a field change, the field.
using TDataChangeListener = std::function<void(TClientDataSet* DataSet, TDataChange Change, TField* Field)>;

class TClientDataSet : public TObject {
    ORVANE_CLASS_INFO
public:
    TClientDataSet();
    ~TClientDataSet() override;
    TClientDataSet(const TClientDataSet&) = delete;
    TClientDataSet& operator=(const TClientDataSet&) = delete;

    // Fields and definitions -------------------------------------------------

    // A field kept across Open and Close; the dataset must be closed.
    TField* AddField(const std::string& name, TFieldType type, int size = 0);
    std::vector<TFieldDef>& FieldDefs() { return FFieldDefs; }
    int FieldCount() const { return static_cast<int>(FFields.size()); }
    TField* Fields(int index) const;
    TField* FindField(std::string_view name) const; // null when absent
    TField* FieldByName(std::string_view name) const; // raises EDatabaseError when absent

    // Opening and closing ----------------------------------------------------

    std::shared_ptr<IDataProvider> Provider;
    // Opens with the provider's packet. Fields defined by code must appear
    // in the packet; the other fields come from its definitions.
    void Open();
    // Opens empty with fields for FieldDefs (and those defined by code).
    void CreateDataSet();
    void Close();
    bool Active() const { return FState != TDataSetState::dsInactive; }
    void SetActive(bool value);
    void EmptyDataSet();

    // Cursor -----------------------------------------------------------------
    // Moving posts a pending edit first.

    void First();
    void Next();
    void Prior();
    void Last();
    bool Eof() const { return FEof; }
    bool Bof() const { return FBof; }
    int RecNo() const; // from 1; 0 when empty or inserting a new record
    void SetRecNo(int value);
    int RecordCount() const { return static_cast<int>(FRecords.size()); }
    bool IsEmpty() const { return FRecords.empty(); }
    // Finds the first record whose fields (names separated by ";") equal the
    // values (one variant, or an array with one value per field) and makes
    // it current. False, with the cursor unchanged, when there is none.
    bool Locate(const std::string& keyFields, const Variant& keyValues, TLocateOptions options = 0);

    // Editing ----------------------------------------------------------------

    TDataSetState State() const { return FState; }
    void Insert(); // before the current record
    void Append(); // after the last record
    void Edit();   // inserts when the dataset is empty
    // Writes the record. Required fields must have a value. An exception
    // (from BeforePost or a missing value) cancels the edit and propagates.
    void Post();
    void Cancel();
    void Delete();
    void CheckBrowseMode(); // posts a pending edit

    TDataSetNotifyEvent BeforePost;
    TDataSetNotifyEvent AfterPost;
    TDataSetNotifyEvent BeforeDelete;
    TDataSetNotifyEvent OnNewRecord;
    TDataSetNotifyEvent AfterScroll;

    // Grid control types: lines "FIELD;Kind;value1;value2" such as
    // "MF001C;CheckBox;Y;N". Stored for the grid, which reads them.
    TStringList ControlType;
    // The kind named for the field ("CheckBox"), empty when none.
    std::string ControlTypeOf(std::string_view fieldName) const;
    // The checked and unchecked values of a check-box column.
    bool CheckBoxValues(std::string_view fieldName, std::string& checked, std::string& unchecked) const;

    // Controls ---------------------------------------------------------------

    void DisableControls() { ++FDisableCount; }
    // Re-enabling the last time tells listeners the whole dataset changed.
    void EnableControls();
    bool ControlsDisabled() const { return FDisableCount > 0; }
    int AddDataChangeListener(TDataChangeListener listener);
    void RemoveDataChangeListener(int id);

private:
    friend class TField;
    Variant& CurrentValue(int fieldIndex);
    const Variant& CurrentValue(int fieldIndex) const;
    void CheckActive() const;
    void CheckEditable(const TField& field) const;
    void BeginInsert(bool append);
    void SetCursor(int index);
    void DoAfterScroll();
    void Notify(TDataChange change, TField* field = nullptr);
    void LoadPacket(const TDataPacket& packet);
    void BindFields(const std::vector<TFieldDef>& defs);

    std::vector<std::unique_ptr<TField>> FFields;
    std::vector<TFieldDef> FFieldDefs;
    std::vector<std::vector<Variant>> FRecords;
    std::vector<Variant> FBuffer; // the record being edited or inserted
    TDataSetState FState = TDataSetState::dsInactive;
    int FCurrent = -1;       // index of the current record, -1 when empty
    int FInsertAt = -1;      // where an inserted record goes
    int FBeforeInsert = -1;  // the current record before Insert, for Cancel
    bool FEof = true;
    bool FBof = true;
    int FDisableCount = 0;
    int FNextListenerId = 1;
    std::vector<std::pair<int, TDataChangeListener>> FListeners;
};
