#pragma once
// TMaskEdit: an edit whose text follows an edit mask.
//
// A mask is "<positions>[;<save literals>[;<blank>]]". Positions:
//   0 digit, required          9 digit, optional       # digit or sign, optional
//   L letter, required         l letter, optional
//   A letter or digit, required a letter or digit, optional
//   C any character, required   c any character, optional
//   > upper case from here, < lower case from here, <> no case conversion,
//   \x the character x as a literal, _ a blank literal; ! is accepted and
//   ignored; every other character is a literal kept in place.
// Save literals "0" keeps only the typed positions in Text; anything else
// (and no field) keeps the literals. The blank (default "_") is shown for an
// empty position in EditText; Text has a space there.
#include <string>
#include <vector>

#include "platform/ui/StdCtrls.h"

ORVANE_EXCEPTION_CLASS(EDBEditError, EPlatformError);

class TMaskEdit : public TEdit {
    ORVANE_CLASS_INFO
public:
    explicit TMaskEdit(TComponent* AOwner);

    const std::string& EditMask() const { return FEditMask; }
    // The content is kept: the current Text is put under the new mask.
    void SetEditMask(const std::string& v);
    bool IsMasked() const { return !FPositions.empty(); }

    // What the edit shows: every position, blanks where nothing is typed.
    std::string EditText() const;
    void SetEditText(const std::string& v);
    // The value: with the literals when the mask saves them, a space for
    // every empty position. Without a mask, the plain text.
    std::string Text() const override;
    // Fills the positions from the value: a literal of the mask in the
    // value is skipped over, a space or a character the position does not
    // take leaves the position empty.
    void SetText(const std::string& v) override;

    // Raises EDBEditError when a required position is empty, with the
    // cursor moved to it.
    void ValidateEdit();
    // Typed into since the text was last set from code.
    bool Modified() const;

protected:
    // Leaving an edited masked edit validates it first.
    void DoExit() override;
    // Escape in an edited masked edit brings back the text it had on entry.
    void DoEnter() override;
    void KeyDown(std::uint16_t& key, TShiftState shift) override;

private:
    struct TMaskPosition {
        bool Literal = false;
        char32_t Char = 0; // the literal, or the mask character
        int Case = 0;      // 1 upper, 2 lower
    };
    // One cell per position: 0 for an empty input position.
    using TCells = std::vector<char32_t>;

    static bool Accepts(const TMaskPosition& p, char32_t c);
    static bool Required(const TMaskPosition& p);
    TCells Cells() const;
    TCells Fill(const std::u32string& value) const;
    void Show(const TCells& cells);
    int FirstMissing(const TCells& cells) const;

    std::string FEditMask;
    std::vector<TMaskPosition> FPositions;
    bool FSaveLiterals = true;
    char32_t FBlank = U'_';
    std::string FTextOnEnter;
};
