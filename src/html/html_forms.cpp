#include "html/html_forms.h"

#include <algorithm>
#include <charconv>
#include <unordered_map>

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

void ThtmlForm::UncheckOthersInGroup(TRadioButtonFormControlObj& Radio) {
  if (Radio.Name.empty()) return;
  for (const auto& c : ControlList) {
    auto* other = dynamic_cast<TRadioButtonFormControlObj*>(c.get());
    if (!other || other == &Radio || !equalsNoCase(other->Name, Radio.Name)) continue;
    other->SetChecked(false);
    other->TabStop = false;
    other->CheckChange();
  }
}

void ThtmlForm::HandleEditKeyPress(TFormControlObj& Sender, char16_t& Key) {
  if (Key != 13 || !dynamic_cast<TEditFormControlObj*>(&Sender)) return;
  SubmitValues(std::nullopt);
  Key = 0;
}

bool ThtmlForm::HandleRadioArrowKey(TFormControlObj& Sender, int Key, TRadioButtonFormControlObj*& Target) {
  Target = nullptr;
  auto* radio = dynamic_cast<TRadioButtonFormControlObj*>(&Sender);
  if (!radio || Key < 37 || Key > 40) return false;
  std::vector<TRadioButtonFormControlObj*> group;
  for (const auto& c : ControlList)
    if (auto* r = dynamic_cast<TRadioButtonFormControlObj*>(c.get()); r && equalsNoCase(r->Name, radio->Name))
      group.push_back(r);
  const auto at = std::find(group.begin(), group.end(), radio);
  if (at == group.end()) return true;
  const bool forward = Key == 39 || Key == 40;
  if (forward && at + 1 != group.end()) Target = *(at + 1);
  if (!forward && at != group.begin()) Target = *(at - 1);
  return true;
}

void ThtmlForm::ResetAll() {
  for (const auto& c : ControlList) c->ResetValue();
}

void ThtmlForm::SubmitValues(const std::optional<std::string>& ButtonText) {
  if (!Document->Events.OnFormSubmit) return;
  std::vector<std::string> results;
  for (const auto& c : ControlList) {
    if (c->Disabled) continue;
    std::string text;
    for (int i = 0; c->GetSubmission(i, text); ++i)
      if (!text.empty()) results.push_back(text);
  }
  if (ButtonText) results.push_back(*ButtonText);
  Document->Events.OnFormSubmit(Action, Target, EncType, Method, std::move(results));
}

std::vector<std::string> ThtmlForm::CollectValues() {
  std::vector<std::string> values;
  for (const auto& c : ControlList) {
    // A hard-wrapped area keeps the text as typed: its shown lines would come back as typed line ends.
    if (auto* area = dynamic_cast<TTextAreaFormControlObj*>(c.get())) {
      values.push_back(area->Name + "=" + area->Text);
      continue;
    }
    std::string text;
    for (int i = 0; c->GetSubmission(i, text); ++i)
      if (!text.empty()) values.push_back(text);
  }
  return values;
}

void ThtmlForm::ApplyValues(const std::vector<std::string>& Strings) {
  // The lines by name, so a form of many controls is not a scan of every line for each.
  std::unordered_map<std::string, std::vector<std::string>> byName;
  for (const std::string& line : Strings) {
    const size_t eq = line.find('=');
    if (eq != std::string::npos) byName[lowerAscii(line.substr(0, eq))].push_back(line.substr(eq + 1));
  }
  for (const auto& c : ControlList) {
    c->ClearForRestore();
    const auto it = byName.find(lowerAscii(c->Name));
    if (it == byName.end()) continue;
    for (size_t k = 0; k < it->second.size(); ++k) c->SetValue(static_cast<int>(k), it->second[k]);
  }
}

void ThtmlForm::SizeControls() {
  IFormControlHost* host = Document->Host ? Document->Host->Controls : nullptr;
  for (const auto& c : ControlList) {
    if (!c->takesPlace()) continue;
    if (host) {
      const TControlSize size = host->controlSize(*c);
      c->Width = size.Width;
      c->Height = size.Height;
    } else {
      c->Width = c->StyleWidth;
      c->Height = c->StyleHeight;
    }
  }
}

// --- The document's form values ---

TSectionList::TFormValues TSectionList::SaveFormValues() {
  TFormValues values;
  for (const auto& form : htmlFormList) values.push_back(form->CollectValues());
  return values;
}

void TSectionList::RestoreFormValues(const TFormValues& Values) {
  for (size_t i = 0; i < Values.size() && i < htmlFormList.size(); ++i) htmlFormList[i]->ApplyValues(Values[i]);
}

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

TFormControlObj::~TFormControlObj() {
  if (Document->Host && Document->Host->Controls) Document->Host->Controls->releaseControl(*this);
}

bool TFormControlObj::GetSubmission(int, std::string&) { return false; }

void TFormControlObj::GotFocus() {
  Active = true;
  const THtmlDocumentEvents& events = Document->Events;
  if (events.OnShowControl) events.OnShowControl(*this);
  if (!OnFocusMessage.empty() && events.OnObjectFocus) events.OnObjectFocus(*this, OnFocusMessage);
  if (!OnChangeMessage.empty()) SaveState();
}

void TFormControlObj::LostFocus() {
  Active = false;
  if (!OnChangeMessage.empty()) CheckChange();
  const THtmlDocumentEvents& events = Document->Events;
  if (!OnBlurMessage.empty() && events.OnObjectBlur) events.OnObjectBlur(*this, OnBlurMessage);
}

void TFormControlObj::ControlClick() {
  if (Document->Events.OnObjectClick) Document->Events.OnObjectClick(*this, OnClickMessage);
}

void TFormControlObj::valueChanged() {
  if (Document->Host && Document->Host->Controls) Document->Host->Controls->controlChanged(*this);
}

namespace {

void raiseChange(TFormControlObj& Control) {
  if (Control.Document->Events.OnObjectChange) Control.Document->Events.OnObjectChange(Control, Control.OnChangeMessage);
}

}  // namespace

void TFormControlObj::ApplyStyle(TProperties& Props) {
  TVMarginArray box;
  getVMarginArray(Props, box);
  Font = Props.MakeFont();
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
  BorderDrawn = Props.BorderStyleCode() != 0;
  if (BorderDrawn) {
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
    else StyleWidth = width;
  }
  if (values[html::Height] > 0) StyleHeight = values[html::Height] - BordT - BordB;
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
  // A list of no rows would show nothing at all: it gets as many as it has options, like one without SIZE.
  if (LBSize < 1) LBSize = -1;
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
  valueChanged();
}

void TComboFormControlObj::ResetValue() {
  const int n = static_cast<int>(TheOptions.count());
  ItemIndex = n > 0 ? 0 : -1;
  for (int i = 0; i < n; ++i)
    if (TheOptions.SelectedOf(i)) ItemIndex = i;
  select(ItemIndex);
  valueChanged();
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


// --- Edit boxes ---

void TEditFormControlObj::ResetValue() {
  Text = Value;
  valueChanged();
}

bool TEditFormControlObj::GetSubmission(int Index, std::string& Result) {
  if (Index != 0) return false;
  Result = Name + "=" + Text;
  return true;
}

void TEditFormControlObj::SetValue(int, const std::string& NewText) {
  Text = NewText;
  valueChanged();
}

void TEditFormControlObj::CheckChange() {
  if (Text != OldText) raiseChange(*this);
}

// --- Buttons ---

void TButtonFormControlObj::ButtonClick() {
  ControlClick();
  switch (Which) {
    case TButtonKind::Reset: MyForm->ResetAll(); break;
    case TButtonKind::Submit:
      MyForm->SubmitValues(Name.empty() ? std::nullopt : std::optional<std::string>(Name + "=" + Value));
      break;
    case TButtonKind::Browse:
      if (MyEdit && Document->Events.OnFileBrowse) {
        std::string s = MyEdit->Text;
        Document->Events.OnFileBrowse(*MyEdit, s);
        MyEdit->Text = s;
        MyEdit->valueChanged();
      }
      break;
    case TButtonKind::Button: break;
  }
}

// --- Check boxes and radio buttons ---

void TCheckBoxFormControlObj::SetChecked(bool On) {
  if (On == Checked) return;
  Checked = On;
  valueChanged();
  ControlClick();
}

bool TCheckBoxFormControlObj::GetSubmission(int Index, std::string& Result) {
  if (Index != 0 || !Checked) return false;
  Result = Name + "=" + Value;
  return true;
}

void TCheckBoxFormControlObj::SetValue(int, const std::string& Text) {
  if (equalsNoCase(Text, Value)) SetChecked(true);
}

void TCheckBoxFormControlObj::CheckChange() {
  if (Checked != WasChecked) raiseChange(*this);
}

void TRadioButtonFormControlObj::SetChecked(bool On) {
  if (On == Checked) return;
  Checked = On;
  TabStop = On;
  valueChanged();
  if (!On) return;
  MyForm->UncheckOthersInGroup(*this);
  ControlClick();
}

bool TRadioButtonFormControlObj::isTabStop() const {
  if (Disabled) return false;
  if (Checked) return true;
  // A group without a checked radio is reached through its first one.
  for (const auto& c : MyForm->ControlList) {
    const auto* r = dynamic_cast<const TRadioButtonFormControlObj*>(c.get());
    if (!r || !equalsNoCase(r->Name, Name)) continue;
    if (r->Checked) return false;
  }
  for (const auto& c : MyForm->ControlList) {
    const auto* r = dynamic_cast<const TRadioButtonFormControlObj*>(c.get());
    if (r && !r->Disabled && equalsNoCase(r->Name, Name)) return r == this;
  }
  return false;
}

bool TRadioButtonFormControlObj::GetSubmission(int Index, std::string& Result) {
  if (Index != 0 || !Checked) return false;
  Result = Name + "=" + Value;
  return true;
}

void TRadioButtonFormControlObj::SetValue(int, const std::string& Text) {
  if (equalsNoCase(Text, Value)) SetChecked(true);
}

void TRadioButtonFormControlObj::CheckChange() {
  if (Checked != WasChecked) raiseChange(*this);
}

// --- Image buttons and hidden fields ---

bool TImageFormControlObj::GetSubmission(int Index, std::string& Result) {
  if (XPos < 0 || Index > 1) return false;
  Result = Name.empty() ? std::string() : Name + ".";
  Result += Index == 0 ? "x=" + std::to_string(XPos) : "y=" + std::to_string(YPos);
  if (Index == 1) XPos = YPos = -1;
  return true;
}

void TImageFormControlObj::ImageClick() {
  ControlClick();
  XPos = XTmp;
  YPos = YTmp;
  if (!Disabled) MyForm->SubmitValues(std::nullopt);
  // A point that was not sent is not sent by a later submission either.
  XPos = YPos = -1;
}

bool THiddenFormControlObj::GetSubmission(int Index, std::string& Result) {
  if (Index != 0) return false;
  Result = Name + "=" + Value;
  return true;
}

// --- Lists ---

bool TListBoxFormControlObj::GetSubmission(int Index, std::string& Result) {
  if (Index < 0 || static_cast<size_t>(Index) >= TheOptions.count()) return false;
  const bool selected = Multiple ? SelectedItems.size() > static_cast<size_t>(Index) && SelectedItems[static_cast<size_t>(Index)]
                                 : Index == ItemIndex;
  Result = selected ? Name + "=" + TheOptions.ValueOf(Index) : std::string();
  return true;
}

void TListBoxFormControlObj::SetValue(int Index, const std::string& Text) {
  const size_t n = TheOptions.count();
  SelectedItems.resize(n, false);
  if (Index == 0) {
    ItemIndex = n > 0 ? 0 : -1;
    if (Multiple) std::fill(SelectedItems.begin(), SelectedItems.end(), false);
  }
  for (size_t i = 0; i < n; ++i) {
    if (!equalsNoCase(TheOptions.option(i).Value, Text)) continue;
    if (Multiple) SelectedItems[i] = true;
    else ItemIndex = static_cast<int>(i);
  }
  if (!Multiple)
    for (size_t i = 0; i < n; ++i) SelectedItems[i] = static_cast<int>(i) == ItemIndex;
  valueChanged();
}

void TListBoxFormControlObj::SaveState() {
  SavedCount = TheOptions.count();
  SavedSelection.assign(SelectedItems.begin(), SelectedItems.begin() + static_cast<std::ptrdiff_t>(
                                                                          std::min(SelectedItems.size(), kWatchedItems)));
}

void TListBoxFormControlObj::CheckChange() {
  const size_t watched = std::min(SelectedItems.size(), kWatchedItems);
  const bool same = SavedCount == TheOptions.count() && SavedSelection.size() == watched &&
                    std::equal(SavedSelection.begin(), SavedSelection.end(), SelectedItems.begin());
  if (!same) raiseChange(*this);
}

bool TComboFormControlObj::GetSubmission(int Index, std::string& Result) {
  if (Index != 0) return false;
  Result = ItemIndex >= 0 && static_cast<size_t>(ItemIndex) < TheOptions.count()
               ? Name + "=" + TheOptions.ValueOf(ItemIndex)
               : std::string();
  return true;
}

void TComboFormControlObj::SetValue(int, const std::string& Text) {
  for (size_t i = 0; i < TheOptions.count(); ++i)
    if (equalsNoCase(TheOptions.option(i).Value, Text)) ItemIndex = static_cast<int>(i);
  select(ItemIndex);
  valueChanged();
}

void TComboFormControlObj::CheckChange() {
  if (ItemIndex != SavedIndex) raiseChange(*this);
}

void TComboFormControlObj::select(int Index) {
  ItemIndex = Index >= 0 && static_cast<size_t>(Index) < TheOptions.count() ? Index : -1;
  SelectedItems.assign(TheOptions.count(), false);
  if (ItemIndex >= 0) SelectedItems[static_cast<size_t>(ItemIndex)] = true;
}

// --- Text areas ---

void TTextAreaFormControlObj::ResetValue() {
  Text = TheText;
  valueChanged();
}

bool TTextAreaFormControlObj::GetSubmission(int Index, std::string& Result) {
  if (Index != 0) return false;
  std::string text = Text;
  if (Wrap == TWrapMode::Hard) {
    // The lines as the area shows them.
    const std::vector<std::string> lines = Document->Host && Document->Host->Controls
                                               ? Document->Host->Controls->displayedLines(*this, Text)
                                               : IFormControlHost::textLines(Text);
    text.clear();
    for (size_t i = 0; i < lines.size(); ++i) text += (i ? "\r\n" : "") + lines[i];
  }
  Result = Name + "=" + text;
  return true;
}

void TTextAreaFormControlObj::SetValue(int, const std::string& NewText) {
  Text = NewText;
  valueChanged();
}

void TTextAreaFormControlObj::CheckChange() {
  if (Text != OldText) raiseChange(*this);
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
