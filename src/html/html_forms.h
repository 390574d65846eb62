#pragma once
// Forms and their controls as model objects: what each INPUT, SELECT and TEXTAREA holds from its attributes
// and style. The native widgets are attached by the viewer.

#include <memory>
#include <string>
#include <vector>

#include "html/html_common.h"
#include "html/html_document.h"
#include "html/html_style_props.h"

namespace lumora::html {

class TImageObj;

class ThtmlForm {
 public:
  // Appends itself to the document's form list (the document owns it).
  static ThtmlForm& Create(TSectionList* Document, const TAttributeList* Attributes);
  ThtmlForm(TSectionList* Document, const TAttributeList* Attributes);
  void AddControl(std::unique_ptr<TFormControlObj> Control);

  TSectionList* Document;
  std::string Method = "Get";
  std::string Action, Target, EncType;
  std::vector<std::unique_ptr<TFormControlObj>> ControlList;
};

class TFormControlObj : public TIDObject {
 public:
  TFormControlObj(TSectionList* Document, ThtmlForm& Form, int Position, const TAttributeList& Attributes);
  virtual const char* className() const = 0;
  int TargetY() const override { return YValue; }
  // Margins, sizes, alignment and colour from the element's style.
  virtual void ApplyStyle(TProperties& Props);
  // Puts the control back to the value its attributes give.
  virtual void ResetValue() {}
  // Hidden fields take no place in the text.
  virtual bool takesPlace() const { return true; }

  TSectionList* Document;
  ThtmlForm* MyForm;
  int Pos;  // index of its placeholder in its section's text
  int YValue = 0;
  int XValue = 0, TopValue = 0;  // where the last layout put the control's top-left corner
  std::string Title, Value, Name, ID;
  std::vector<std::string> AttributeStrings;
  TVerticalAlign VertAlign = TVerticalAlign::Bottom;
  int MarginLeft = 0, MarginRight = 0, MarginTop = 1, MarginBottom = 1;
  int BordT = 0, BordB = 0;
  int Height = 0, Width = 0;
  bool PercentWidth = false;
  bool Disabled = false, ReadOnly = false;
  TColor BkColor = kColorNone;
  std::string OnClickMessage, OnFocusMessage, OnBlurMessage, OnChangeMessage;
  bool Active = false;
};

class TEditFormControlObj : public TFormControlObj {
 public:
  TEditFormControlObj(TSectionList* Document, ThtmlForm& Form, int Position, const TAttributeList& Attributes,
                      const std::string& TypeText);
  const char* className() const override { return "TEditFormControlObj"; }
  void ResetValue() override { Text = Value; }
  std::string EditType;  // the lower-cased TYPE
  int EditSize = 15;
  int MaxLength = 0;
  bool Password = false;
  std::string Text;
};

class TButtonFormControlObj : public TFormControlObj {
 public:
  enum class TButtonKind { Submit, Reset, Button, Browse };
  TButtonFormControlObj(TSectionList* Document, ThtmlForm& Form, int Position, const TAttributeList& Attributes,
                        const std::string& TypeText);
  const char* className() const override { return "TButtonFormControlObj"; }
  TButtonKind Which = TButtonKind::Button;
  std::string Caption;
  TEditFormControlObj* MyEdit = nullptr;  // the field a browse button serves
};

class TCheckBoxFormControlObj : public TFormControlObj {
 public:
  TCheckBoxFormControlObj(TSectionList* Document, ThtmlForm& Form, int Position, const TAttributeList& Attributes);
  const char* className() const override { return "TCheckBoxFormControlObj"; }
  void ResetValue() override { Checked = IsChecked; }
  bool IsChecked = false;
  bool Checked = false;
};

class TRadioButtonFormControlObj : public TFormControlObj {
 public:
  TRadioButtonFormControlObj(TSectionList* Document, ThtmlForm& Form, int Position, const TAttributeList& Attributes,
                             TCellBasic* Cell);
  const char* className() const override { return "TRadioButtonFormControlObj"; }
  void ResetValue() override { Checked = IsChecked; }
  bool IsChecked = false;
  bool Checked = false;
  bool TabStop = false;
  TCellBasic* MyCell;
};

class TImageFormControlObj : public TFormControlObj {
 public:
  TImageFormControlObj(TSectionList* Document, ThtmlForm& Form, int Position, const TAttributeList& Attributes);
  const char* className() const override { return "TImageFormControlObj"; }
  void ApplyStyle(TProperties& Props) override;
  TImageObj* MyImage = nullptr;
  int XPos = -1, YPos = -1;
};

class THiddenFormControlObj : public TFormControlObj {
 public:
  using TFormControlObj::TFormControlObj;
  const char* className() const override { return "THiddenFormControlObj"; }
  bool takesPlace() const override { return false; }
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
  ThtOptionStringList TheOptions;
  int LBSize = -1;
  bool Multiple = false;
  std::vector<bool> SelectedItems;  // the selection as the reader would see it
  int ItemIndex = -1;
};

class TComboFormControlObj : public TListBoxFormControlObj {
 public:
  using TListBoxFormControlObj::TListBoxFormControlObj;
  const char* className() const override { return "TComboFormControlObj"; }
  void ResetValue() override;
};

class TTextAreaFormControlObj : public TFormControlObj {
 public:
  enum class TWrapMode { Off, Soft, Hard };
  TTextAreaFormControlObj(TSectionList* Document, ThtmlForm& Form, int Position, const TAttributeList& Attributes);
  const char* className() const override { return "TTextAreaFormControlObj"; }
  // Appends one line of the initial text (lines joined by CR LF).
  void AppendText(const std::string& Line);
  void ResetValue() override { Text = TheText; }
  int Rows = 5, Cols = 30;
  TWrapMode Wrap = TWrapMode::Soft;
  std::string TheText;  // the initial text
  std::string Text;
};

// Creates the control an INPUT, SELECT or TEXTAREA element stands for, in the document's current form (made
// when there is none). Returns the control (owned by its form).
TFormControlObj* createFormControl(TSectionList* Document, ThtmlForm*& CurrentForm, Symb Tag, int Position,
                                   const TAttributeList& Attributes, TCellBasic* Cell);

}  // namespace lumora::html
