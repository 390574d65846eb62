#pragma once
// Forms and their controls as model objects: what each INPUT, SELECT and TEXTAREA holds from its attributes
// and style, its value as the reader left it, and what a form does with them: reset, submission, the
// values the history keeps. The native widgets are the host's (IFormControlHost): they show the model's
// value and report what the reader does through the operations below.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "html/html_common.h"
#include "html/html_document.h"
#include "html/html_style_font.h"
#include "html/html_style_props.h"

namespace lumora::html {

class TImageObj;
class TRadioButtonFormControlObj;

class ThtmlForm {
 public:
  // Appends itself to the document's form list (the document owns it).
  static ThtmlForm& Create(TSectionList* Document, const TAttributeList* Attributes);
  ThtmlForm(TSectionList* Document, const TAttributeList* Attributes);
  void AddControl(std::unique_ptr<TFormControlObj> Control);

  // Every other radio of the form with Radio's NAME (case-insensitive) is unchecked, stops being a tab
  // stop and checks for a change. Nothing for a radio without NAME.
  void UncheckOthersInGroup(TRadioButtonFormControlObj& Radio);
  // Key-press of edit boxes and text areas: Enter (13) in a single-line edit submits the form and
  // becomes 0 (the edit box never sees it).
  void HandleEditKeyPress(TFormControlObj& Sender, char16_t& Key);
  // Arrow keys (37 to 40) on a radio button: true, with Target the radio of its group that is to get the
  // focus, in form order (right and down the next, left and up the previous; null at the group's end).
  // False for any other key or sender: the viewer's key handling takes it.
  bool HandleRadioArrowKey(TFormControlObj& Sender, int Key, TRadioButtonFormControlObj*& Target);
  void ResetAll();
  // Hands the enabled controls' lines, ButtonText last, to the document's submit handler (nothing without
  // one).
  void SubmitValues(const std::optional<std::string>& ButtonText);
  // Every control's lines, disabled ones included: what the history keeps of the form.
  std::vector<std::string> CollectValues();
  // Gives each control the lines that name it (names without case); lines without "=" or for names no
  // control has are left alone.
  void ApplyValues(const std::vector<std::string>& Strings);
  // The size of each native control, before anything is measured in a layout.
  void SizeControls();

  TSectionList* Document;
  std::string Method = "Get";
  std::string Action, Target, EncType;
  std::vector<std::unique_ptr<TFormControlObj>> ControlList;
};

class TFormControlObj : public TIDObject {
 public:
  TFormControlObj(TSectionList* Document, ThtmlForm& Form, int Position, const TAttributeList& Attributes);
  // Lets the native control go.
  ~TFormControlObj() override;
  virtual const char* className() const = 0;
  int TargetY() const override { return YValue; }
  // Raises OnObjectChange when the state differs from the one SaveState kept.
  virtual void CheckChange() {}
  virtual void SaveState() {}
  // Margins, sizes, alignment and colour from the element's style.
  virtual void ApplyStyle(TProperties& Props);
  // Puts the control back to the value its attributes give.
  virtual void ResetValue() {}
  // The Index-th submission line (name=value) in Text; an empty Text stands for no line. False past the
  // last.
  virtual bool GetSubmission(int Index, std::string& Text);
  // The Index-th value the history kept for this control.
  virtual void SetValue(int Index, const std::string& Text) {
    (void)Index;
    (void)Text;
  }
  virtual void ClearForRestore() {}
  // Hidden fields take no place in the text.
  virtual bool takesPlace() const { return true; }
  // Whether the control can take the keyboard focus (through Tab).
  virtual bool isTabStop() const { return !Disabled; }

  // --- What the native control reports ---
  void GotFocus();
  void LostFocus();
  // A click on the control (OnObjectClick).
  void ControlClick();
  // The native control needs to show a value the model changed.
  void valueChanged();

  TSectionList* Document;
  ThtmlForm* MyForm;
  TSection* MySection = nullptr;  // the section whose text holds its place-holder
  int Pos;                        // index of its placeholder in its section's text
  int YValue = 0;
  int XValue = 0, TopValue = 0;  // where the last layout put the control's top-left corner
  int Width = 0, Height = 0;     // the native control's size in the last layout
  std::string Title, Value, Name, ID;
  std::vector<std::string> AttributeStrings;
  TVerticalAlign VertAlign = TVerticalAlign::Bottom;
  int MarginLeft = 0, MarginRight = 0, MarginTop = 1, MarginBottom = 1;
  int BordT = 0, BordB = 0;
  int StyleWidth = 0, StyleHeight = 0;  // from the style, 0 when it gives none; a percentage with PercentWidth
  bool PercentWidth = false;
  bool BorderDrawn = false;  // the style draws a border, so the native control has none of its own
  bool Disabled = false, ReadOnly = false;
  TColor BkColor = kColorNone;
  TMyFont Font;  // the element's font (edit boxes, lists, text areas and push buttons show their text in it)
  std::string OnClickMessage, OnFocusMessage, OnBlurMessage, OnChangeMessage;
  bool Active = false;
};

class TEditFormControlObj : public TFormControlObj {
 public:
  TEditFormControlObj(TSectionList* Document, ThtmlForm& Form, int Position, const TAttributeList& Attributes,
                      const std::string& TypeText);
  const char* className() const override { return "TEditFormControlObj"; }
  void ResetValue() override;
  bool GetSubmission(int Index, std::string& Text) override;
  void SetValue(int Index, const std::string& Text) override;
  void SaveState() override { OldText = this->Text; }
  void CheckChange() override;
  std::string EditType;  // the lower-cased TYPE
  int EditSize = 15;
  int MaxLength = 0;
  bool Password = false;
  std::string Text;  // what the box shows
  std::string OldText;
};

class TButtonFormControlObj : public TFormControlObj {
 public:
  enum class TButtonKind { Submit, Reset, Button, Browse };
  TButtonFormControlObj(TSectionList* Document, ThtmlForm& Form, int Position, const TAttributeList& Attributes,
                        const std::string& TypeText);
  const char* className() const override { return "TButtonFormControlObj"; }
  // The control click, then what the kind does: reset, submit or browse.
  void ButtonClick();
  TButtonKind Which = TButtonKind::Button;
  std::string Caption;
  TEditFormControlObj* MyEdit = nullptr;  // the field a browse button serves
};

class TCheckBoxFormControlObj : public TFormControlObj {
 public:
  TCheckBoxFormControlObj(TSectionList* Document, ThtmlForm& Form, int Position, const TAttributeList& Attributes);
  const char* className() const override { return "TCheckBoxFormControlObj"; }
  void ResetValue() override { SetChecked(IsChecked); }
  bool GetSubmission(int Index, std::string& Text) override;
  void SetValue(int Index, const std::string& Text) override;
  void ClearForRestore() override { SetChecked(false); }
  void SaveState() override { WasChecked = Checked; }
  void CheckChange() override;
  // Every change of the checked state, by the reader or by the form, is a control click.
  void SetChecked(bool On);
  bool IsChecked = false;
  bool Checked = false;
  bool WasChecked = false;
};

class TRadioButtonFormControlObj : public TFormControlObj {
 public:
  TRadioButtonFormControlObj(TSectionList* Document, ThtmlForm& Form, int Position, const TAttributeList& Attributes,
                             TCellBasic* Cell);
  const char* className() const override { return "TRadioButtonFormControlObj"; }
  void ResetValue() override { SetChecked(IsChecked); }
  bool GetSubmission(int Index, std::string& Text) override;
  void SetValue(int Index, const std::string& Text) override;
  void SaveState() override { WasChecked = Checked; }
  void CheckChange() override;
  // The checked radio of its group, or the group's first when none is checked.
  bool isTabStop() const override;
  // A radio that becomes checked unchecks the others of its group and is clicked; one that is unchecked
  // only changes its state.
  void SetChecked(bool On);
  bool IsChecked = false;
  bool Checked = false;
  bool WasChecked = false;
  bool TabStop = false;
  TCellBasic* MyCell;
};

class TImageFormControlObj : public TFormControlObj {
 public:
  TImageFormControlObj(TSectionList* Document, ThtmlForm& Form, int Position, const TAttributeList& Attributes);
  const char* className() const override { return "TImageFormControlObj"; }
  void ApplyStyle(TProperties& Props) override;
  bool GetSubmission(int Index, std::string& Text) override;
  // A click on the image (or its focus button): the point last under the mouse is the one sent.
  void ImageClick();
  TImageObj* MyImage = nullptr;
  int XTmp = 0, YTmp = 0;    // the last point under the mouse inside the image
  int XPos = -1, YPos = -1;  // the click point to send (x = -1: none)
};

class THiddenFormControlObj : public TFormControlObj {
 public:
  using TFormControlObj::TFormControlObj;
  const char* className() const override { return "THiddenFormControlObj"; }
  bool takesPlace() const override { return false; }
  bool isTabStop() const override { return false; }
  bool GetSubmission(int Index, std::string& Text) override;
  void SetValue(int, const std::string& Text) override { Value = Text; }
};

// One OPTION: its value, selected flag and attributes.
struct TOptionObj {
  std::string Value;
  bool Selected = false;
  std::vector<std::string> Attributes;
};

// The options' display texts, each with its option object.
class ThtOptionStringList {
 public:
  void add(std::string Text, TOptionObj option);
  size_t count() const { return texts_.size(); }
  const std::string& Text(size_t Index) const { return texts_[Index]; }
  const TOptionObj& option(size_t Index) const { return options_[Index]; }
  // Empty and false outside the list.
  std::string ValueOf(int Index) const;
  bool SelectedOf(int Index) const;

 private:
  std::vector<std::string> texts_;
  std::vector<TOptionObj> options_;
};

class TListBoxFormControlObj : public TFormControlObj {
 public:
  TListBoxFormControlObj(TSectionList* Document, ThtmlForm& Form, int Position, const TAttributeList& Attributes);
  const char* className() const override { return "TListBoxFormControlObj"; }
  // Text is 8-bit text in CodePage, already trimmed.
  void AddOption(std::string Text, bool Selected, const std::vector<std::string>& AttributeStrings);
  void ResetValue() override;
  bool GetSubmission(int Index, std::string& Text) override;
  void SetValue(int Index, const std::string& Text) override;
  void SaveState() override;
  void CheckChange() override;
  ThtOptionStringList TheOptions;
  int LBSize = -1;
  bool Multiple = false;
  std::vector<bool> SelectedItems;  // the selection as the reader sees it
  int ItemIndex = -1;               // the current item (in a single-selection list the selected one)
  // Change detection looks at this many items: a list longer than that changes unseen further down.
  static constexpr size_t kWatchedItems = 51;
  size_t SavedCount = 0;
  std::vector<bool> SavedSelection;
};

class TComboFormControlObj : public TListBoxFormControlObj {
 public:
  using TListBoxFormControlObj::TListBoxFormControlObj;
  const char* className() const override { return "TComboFormControlObj"; }
  void ResetValue() override;
  bool GetSubmission(int Index, std::string& Text) override;
  void SetValue(int Index, const std::string& Text) override;
  void SaveState() override { SavedIndex = ItemIndex; }
  void CheckChange() override;
  // The reader picked item Index.
  void select(int Index);
  int SavedIndex = -1;
};

class TTextAreaFormControlObj : public TFormControlObj {
 public:
  enum class TWrapMode { Off, Soft, Hard };
  TTextAreaFormControlObj(TSectionList* Document, ThtmlForm& Form, int Position, const TAttributeList& Attributes);
  const char* className() const override { return "TTextAreaFormControlObj"; }
  // Appends one line of the initial text (lines joined by CR LF).
  void AppendText(const std::string& Line);
  void ResetValue() override;
  bool GetSubmission(int Index, std::string& Text) override;
  void SetValue(int Index, const std::string& Text) override;
  void SaveState() override { OldText = this->Text; }
  void CheckChange() override;
  int Rows = 5, Cols = 30;
  TWrapMode Wrap = TWrapMode::Soft;
  std::string TheText;  // the initial text
  std::string Text;     // what the area shows, lines joined by CR LF
  std::string OldText;
};

// Creates the control an INPUT, SELECT or TEXTAREA element stands for, in the document's current form (made
// when there is none). Returns the control (owned by its form).
TFormControlObj* createFormControl(TSectionList* Document, ThtmlForm*& CurrentForm, Symb Tag, int Position,
                                   const TAttributeList& Attributes, TCellBasic* Cell);

}  // namespace lumora::html
