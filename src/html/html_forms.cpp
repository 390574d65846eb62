#include "html/html_forms.h"

#include <algorithm>
#include <charconv>

#include "html/html_section.h"
#include "html/html_style_box.h"

namespace lumora::html {

namespace {

bool equalsNoCase(std::string_view a, std::string_view b) { return lowerAscii(a) == lowerAscii(b); }

}  // namespace

// --- ThtmlForm ---

ThtmlForm& ThtmlForm::Create(TSectionList* Document, const TAttributeList* Attributes) {
  Document->htmlFormList.push_back(std::make_unique<ThtmlForm>(Document, Attributes));
  return *Document->htmlFormList.back();
}

ThtmlForm::ThtmlForm(TSectionList* ADocument, const TAttributeList* Attributes) : Document(ADocument) {
  if (!Attributes) return;
  for (size_t i = 0; i < Attributes->count(); ++i) {
    const TAttribute& a = (*Attributes)[i];
    switch (a.Which) {
      case MethodSy: Method = a.Name.substr(0, 4); break;
      case ActionSy: Action = a.Name; break;
      case TargetSy: Target = a.Name; break;
      case EncTypeSy: EncType = a.Name; break;
      default: break;
    }
  }
}

void ThtmlForm::AddControl(std::unique_ptr<TFormControlObj> Control) { ControlList.push_back(std::move(Control)); }

// --- TFormControlObj ---

TFormControlObj::TFormControlObj(TSectionList* ADocument, ThtmlForm& Form, int Position,
                                 const TAttributeList& Attributes)
    : Document(ADocument), MyForm(&Form), Pos(Position) {
  for (size_t i = 0; i < Attributes.count(); ++i) {
    const TAttribute& a = Attributes[i];
    switch (a.Which) {
      case TitleSy: Title = a.Name; break;
      case NameSy: Name = a.Name; break;
      case ValueSy: Value = a.Name; break;
      case IdSy: ID = a.Name; break;
      case OnClickSy: OnClickMessage = a.Name; break;
      case OnFocusSy: OnFocusMessage = a.Name; break;
      case OnBlurSy: OnBlurMessage = a.Name; break;
      case OnChangeSy: OnChangeMessage = a.Name; break;
      case TabIndexSy:
        if (a.Value >= 1) Document->addTabOrder(a.Value, {this, nullptr});
        break;
      case DisabledSy: Disabled = !(equalsNoCase(a.Name, "no") || a.Name == "0"); break;
      case ReadOnlySy: ReadOnly = true; break;
      default: break;
    }
  }
  if (!ID.empty()) Document->IDNameList.addObject(ID, this);
  AttributeStrings = Attributes.asStrings();
  Document->FormControlList.push_back(this);
}

void TFormControlObj::ApplyStyle(TProperties& Props) {
  TVMarginArray box;
  getVMarginArray(Props, box);
  Props.MakeFont();
  TMarginArray values;
  int autoCount = 0;
  ConvertBoxArray(box, 100, 100, Props.EmSize, Props.ExSize, values, autoCount);
  int top = 0, bottom = 0;
  bool topPara = false, bottomPara = false;
  VerticalMargins(box, 100, Props.EmSize, Props.ExSize, top, topPara, bottom, bottomPara);
  const auto isSet = [&](int index) {
    return !box.holds(index, kUnsetLength);
  };
  if (const std::string* w = std::get_if<std::string>(&Props.prop(html::Width)))
    PercentWidth = w->find('%') != std::string::npos;
  MarginTop = MarginBottom = 1;
  if (isSet(html::MarginTop)) MarginTop = top;
  if (isSet(html::MarginBottom)) MarginBottom = bottom;
  if (isSet(html::MarginLeft)) MarginLeft = values[html::MarginLeft];
  if (isSet(html::MarginRight)) MarginRight = values[html::MarginRight];
  if (Props.BorderStyleCode() != 0) {
    MarginLeft += values[BorderLeftWidth] + values[PaddingLeft];
    MarginRight += values[BorderRightWidth] + values[PaddingRight];
    BordT = values[BorderTopWidth] + values[PaddingTop];
    BordB = values[BorderBottomWidth] + values[PaddingBottom];
    MarginTop += BordT;
    MarginBottom += BordB;
  }
  const int width = values[html::Width];
  if (width > 0) {
    if (PercentWidth && width > 100) PercentWidth = false;
    else Width = width;
  }
  if (values[html::Height] > 0) Height = values[html::Height] - BordT - BordB;
  if (const auto va = Props.verticalAlignment()) VertAlign = *va;
  if (const int* bg = std::get_if<int>(&Props.prop(BackgroundColor))) BkColor = *bg;
}

// --- Kinds ---

TEditFormControlObj::TEditFormControlObj(TSectionList* Document, ThtmlForm& Form, int Position,
                                         const TAttributeList& Attributes, const std::string& TypeText)
    : TFormControlObj(Document, Form, Position, Attributes), EditType(TypeText) {
  if (const TAttribute* size = Attributes.find(SizeSy)) {
    if (size->Value >= 1) {
      EditSize = size->Value;
    } else {
      const size_t space = size->Name.find(' '), comma = size->Name.find(',');
      if (space != std::string::npos && comma != std::string::npos) {
        const std::string head = size->Name.substr(0, std::min(space, comma));
        int n = 0;
        const auto r = std::from_chars(head.data(), head.data() + head.size(), n);
        EditSize = (r.ec == std::errc() && r.ptr == head.data() + head.size()) ? n : 20;
      }
    }
  }
  if (const TAttribute* m = Attributes.find(MaxLengthSy)) MaxLength = std::max(0, m->Value);
  Password = EditType == "password";
  Text = Value;
}

TButtonFormControlObj::TButtonFormControlObj(TSectionList* Document, ThtmlForm& Form, int Position,
                                             const TAttributeList& Attributes, const std::string& TypeText)
    : TFormControlObj(Document, Form, Position, Attributes) {
  if (TypeText == "submit") {
    Which = TButtonKind::Submit;
    Caption = Value.empty() ? "Submit" : Value;
  } else if (TypeText == "reset") {
    Which = TButtonKind::Reset;
    Caption = Value.empty() ? "Reset" : Value;
  } else if (TypeText == "file") {
    Which = TButtonKind::Browse;
    Caption = "Browse...";
    Value.clear();
    Name.clear();
    ID.clear();
  } else {
    Which = TButtonKind::Button;
    Caption = Value.empty() ? "Button" : Value;
  }
}

TCheckBoxFormControlObj::TCheckBoxFormControlObj(TSectionList* Document, ThtmlForm& Form, int Position,
                                                 const TAttributeList& Attributes)
    : TFormControlObj(Document, Form, Position, Attributes) {
  if (Value.empty()) Value = "on";
  VertAlign = TVerticalAlign::Baseline;
  IsChecked = Attributes.find(CheckedSy) != nullptr;
  Checked = IsChecked;
}

TRadioButtonFormControlObj::TRadioButtonFormControlObj(TSectionList* Document, ThtmlForm& Form, int Position,
                                                       const TAttributeList& Attributes, TCellBasic* Cell)
    : TFormControlObj(Document, Form, Position, Attributes), MyCell(Cell) {
  VertAlign = TVerticalAlign::Baseline;
  IsChecked = Attributes.find(CheckedSy) != nullptr;
  bool othersInGroup = false;
  for (const auto& c : Form.ControlList) {
    auto* radio = dynamic_cast<TRadioButtonFormControlObj*>(c.get());
    if (!radio || radio == this || !equalsNoCase(radio->Name, Name)) continue;
    othersInGroup = true;
    if (IsChecked) {
      radio->Checked = false;
      radio->IsChecked = false;
      radio->TabStop = false;
    }
  }
  TabStop = IsChecked || !othersInGroup;
  Checked = IsChecked;
}

TImageFormControlObj::TImageFormControlObj(TSectionList* Document, ThtmlForm& Form, int Position,
                                           const TAttributeList& Attributes)
    : TFormControlObj(Document, Form, Position, Attributes) {}

void TImageFormControlObj::ApplyStyle(TProperties& Props) {
  if (MyImage) MyImage->processProperties(Props);
}

void ThtOptionStringList::add(std::string Text, TOptionObj option) {
  texts_.push_back(std::move(Text));
  options_.push_back(std::move(option));
}

std::string ThtOptionStringList::ValueOf(int Index) const {
  return Index >= 0 && static_cast<size_t>(Index) < options_.size() ? options_[static_cast<size_t>(Index)].Value
                                                                    : std::string();
}

bool ThtOptionStringList::SelectedOf(int Index) const {
  return Index >= 0 && static_cast<size_t>(Index) < options_.size() && options_[static_cast<size_t>(Index)].Selected;
}

TListBoxFormControlObj::TListBoxFormControlObj(TSectionList* Document, ThtmlForm& Form, int Position,
                                               const TAttributeList& Attributes)
    : TFormControlObj(Document, Form, Position, Attributes) {
  if (const TAttribute* size = Attributes.find(SizeSy)) LBSize = size->Value;
  Multiple = Attributes.find(MultipleSy) != nullptr;
}

void TListBoxFormControlObj::AddOption(std::string Text, bool Selected, const std::vector<std::string>& AttributeStrings) {
  if (Text.empty()) Text = " ";
  TOptionObj option;
  option.Selected = Selected;
  option.Attributes = AttributeStrings;
  for (const std::string& line : AttributeStrings) {
    const size_t eq = line.find('=');
    if (eq != std::string::npos && equalsNoCase(line.substr(0, eq), "value") && eq + 1 < line.size()) {
      option.Value = line.substr(eq + 1);
      break;
    }
  }
  if (option.Value.empty()) option.Value = Text;
  TheOptions.add(std::move(Text), std::move(option));
}

void TListBoxFormControlObj::ResetValue() {
  const int n = static_cast<int>(TheOptions.count());
  SelectedItems.assign(static_cast<size_t>(n), false);
  ItemIndex = -1;
  for (int i = 0; i < n; ++i) {
    if (!TheOptions.SelectedOf(i)) continue;
    if (Multiple) SelectedItems[static_cast<size_t>(i)] = true;
    ItemIndex = i;
  }
  if (!Multiple && ItemIndex >= 0) SelectedItems[static_cast<size_t>(ItemIndex)] = true;
  if (ItemIndex < 0 && n > 0) {
    ItemIndex = 0;
    if (!Multiple) SelectedItems[0] = true;
  }
}

void TComboFormControlObj::ResetValue() {
  const int n = static_cast<int>(TheOptions.count());
  ItemIndex = n > 0 ? 0 : -1;
  for (int i = 0; i < n; ++i)
    if (TheOptions.SelectedOf(i)) ItemIndex = i;
  SelectedItems.assign(static_cast<size_t>(n), false);
  if (ItemIndex >= 0) SelectedItems[static_cast<size_t>(ItemIndex)] = true;
}

TTextAreaFormControlObj::TTextAreaFormControlObj(TSectionList* Document, ThtmlForm& Form, int Position,
                                                 const TAttributeList& Attributes)
    : TFormControlObj(Document, Form, Position, Attributes) {
  // A text area taller or wider than this would only be a way to make the control enormous.
  constexpr int kMaxRowsOrCols = 1000;
  if (const TAttribute* r = Attributes.find(RowsSy)) Rows = std::min(r->Value, kMaxRowsOrCols);
  if (const TAttribute* c = Attributes.find(ColsSy)) Cols = std::min(c->Value, kMaxRowsOrCols);
  if (const TAttribute* w = Attributes.find(WrapSy)) {
    const std::string v = lowerAscii(w->Name);
    Wrap = v == "off" ? TWrapMode::Off : v == "hard" ? TWrapMode::Hard : TWrapMode::Soft;
  }
}

void TTextAreaFormControlObj::AppendText(const std::string& Line) {
  if (!TheText.empty()) TheText += "\r\n";
  TheText += Line;
}

// --- Creation ---

TFormControlObj* createFormControl(TSectionList* Document, ThtmlForm*& CurrentForm, Symb Tag, int Position,
                                   const TAttributeList& Attributes, TCellBasic* Cell) {
  if (!CurrentForm) CurrentForm = &ThtmlForm::Create(Document, nullptr);
  ThtmlForm& form = *CurrentForm;
  std::unique_ptr<TFormControlObj> control;
  if (Tag == InputSy) {
    std::string type;
    if (const TAttribute* t = Attributes.find(TypeSy)) type = lowerAscii(t->Name.substr(0, 20));
    if (type == "submit" || type == "reset" || type == "button")
      control = std::make_unique<TButtonFormControlObj>(Document, form, Position, Attributes, type);
    else if (type == "radio")
      control = std::make_unique<TRadioButtonFormControlObj>(Document, form, Position, Attributes, Cell);
    else if (type == "checkbox")
      control = std::make_unique<TCheckBoxFormControlObj>(Document, form, Position, Attributes);
    else if (type == "hidden")
      control = std::make_unique<THiddenFormControlObj>(Document, form, Position, Attributes);
    else if (type == "image")
      control = std::make_unique<TImageFormControlObj>(Document, form, Position, Attributes);
    else
      control = std::make_unique<TEditFormControlObj>(Document, form, Position, Attributes, type);
  } else if (Tag == SelectSy) {
    const TAttribute* size = Attributes.find(SizeSy);
    if (Attributes.find(MultipleSy) || (size && size->Value > 1))
      control = std::make_unique<TListBoxFormControlObj>(Document, form, Position, Attributes);
    else
      control = std::make_unique<TComboFormControlObj>(Document, form, Position, Attributes);
  } else {
    control = std::make_unique<TTextAreaFormControlObj>(Document, form, Position, Attributes);
  }
  TFormControlObj* result = control.get();
  form.AddControl(std::move(control));
  return result;
}

}  // namespace lumora::html
