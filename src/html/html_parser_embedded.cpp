// The builder: content read by its own rules inside the token stream: PRE text, form controls with their
// options and text, image maps, scripts and objects.
#include <algorithm>
#include <optional>

#include "html/html_codepage.h"
#include "html/html_parser_internal.h"
#include "html/html_table.h"
#include "html/image_map.h"

namespace lumora::html {

// --- PRE: character by character, one section per source line ---

void THtmlParser::doPre() {
  sectionClose();
  const size_t level = Stack.count();
  const TAttributeList a = attrs();
  push("pre", &a);
  TCellBasic* parent = SectionList;
  TBlock* pre = enterBlock(&a);
  std::optional<TKeep<bool>> keepPre(std::in_place, Mode.InPreChars);
  Mode.InPreChars = true;
  newSection();
  // A line end right after the start tag and an empty last line before the end tag belong to the markup.
  if (L.LCh == '\r') L.NextChar();
  TBlock* para = nullptr;  // an open P or FORM block inside the PRE
  size_t fontPushes = 0;
  for (;;) {
    const char c = L.LCh;
    if (c == '\0') {
      L.Sy = EofSy;
      break;
    }
    if (static_cast<unsigned char>(c) < 9) {
      L.LCh = '?';  // a control character ends the PRE; the token reader shows it as "?"
      L.NextToken();
      ++tokens_;
      break;
    }
    if (c == '\r') {
      if (!keepLineInSection(L.LCPos)) {
        sectionClose();
        newSection();
      }
      L.NextChar();
      continue;
    }
    if (c == '<') {
      L.NextToken();
      ++tokens_;
      const Symb sy = L.Sy;
      if (sy == PreEndSy || sy == TDEndSy || sy == THEndSy || sy == EofSy) break;
      doPreTag(pre, para, fontPushes, level);
      continue;
    }
    const int cp = Top().CodePage();
    L.TextCodePage = cp > 0 ? cp : L.DocCodePage;
    L.nextPreformattedText();
    if (L.Token.count() > 0) {
      ensureSection();
      Section->AppendToken(L.Token, Top());
    }
  }
  keepPre.reset();
  if (Section && Section->Buff.empty() && !SectionList->Items.empty()) dropSection();
  sectionClose();
  if (para && para->MyCell->OwnersTag == "form") CurrentForm = nullptr;
  popTo(level);
  SectionList = parent;
  changeFont();
  if (L.Sy == PreEndSy) Next();
}

void THtmlParser::doPreTag(TBlock* PreBlock, TBlock*& ParaBlock, size_t& FontPushes, size_t PreLevel) {
  const Symb sy = L.Sy;
  const auto openBlock = [&](std::string_view tag) {
    sectionClose();
    if (ParaBlock) {
      SectionList = PreBlock->MyCell.get();
      ParaBlock = nullptr;
    }
    const TAttributeList a = attrs();
    push(tag, &a);
    ParaBlock = enterBlock(&a);
    newSection();
  };
  const auto closeBlock = [&](std::string_view tag) {
    sectionClose();
    popAProp(tag);
    ParaBlock = nullptr;
    SectionList = PreBlock->MyCell.get();
    newSection();
  };
  if (isSimpleInline(sy) || (isEndTag(sy) && isSimpleInline(startOf(sy)))) {
    doInline({});
    return;
  }
  switch (sy) {
    case PSy: openBlock("p"); break;
    case PEndSy:
      if (ParaBlock) closeBlock("p");
      break;
    case FormSy:
      openBlock("form");
      CurrentForm = &ThtmlForm::Create(&Doc, nullptr);
      break;
    case FormEndSy:
      if (ParaBlock) closeBlock("form");
      CurrentForm = nullptr;
      break;
    case BrSy: {
      sectionClose();
      bool before = false, after = false, avoid = false;
      const TAttributeList a = attrs();
      if (push("br", &a)) {
        Top().PageBreaks(before, after, avoid);
        pop();
      }
      if (before || after) SectionList->add(std::make_unique<TPage>(&Doc), L.TagPos);
      newSection();
      break;
    }
    case FontSy:
    case BaseFontSy:
      if (Stack.count() < kMaxPropStack) ++FontPushes;
      doFontTag(true);
      break;
    case FontEndSy:
      if (FontPushes > 0 && Stack.count() > PreLevel) {
        --FontPushes;
        popAProp("font");
        changeFont();
      }
      break;
    case TextSy:
      ensureSection();
      Section->AppendToken(L.Token, Top());
      break;
    case ImgSy: case PanelSy: case ASy: case AEndSy: case InputSy: case SelectSy: case TextAreaSy: case MapSy:
    case PageSy: case ScriptSy: case ObjectSy:
      doInline({});
      if (!Section) newSection();
      break;
    default: break;
  }
}

void THtmlParser::doFormControl() {
  const Symb sy = L.Sy;
  ensureSection();
  const TAttributeList a = attrs();
  const int pos = L.TagPos;
  const std::string tag = tagLower(sy);
  const bool pushed = push(tag, &a, {}, true);
  TFormControlObj* control = createFormControl(&Doc, CurrentForm, sy, static_cast<int>(Section->Buff.size()), a,
                                               SectionList);
  std::string type;
  if (const TAttribute* t = a.find(TypeSy)) type = lowerAscii(t->Name.substr(0, 20));
  if (sy == InputSy && type == "image") {
    auto* imageControl = static_cast<TImageFormControlObj*>(control);
    TImageObj* image = Section->InsertImage(a, Top(), pos);
    image->MyFormControl = control;
    imageControl->MyImage = image;
    // The button's place in the text (and in the keyboard order) is its image's.
    imageControl->MySection = Section.get();
    imageControl->Pos = image->Pos;
  } else if (sy == InputSy && type == "file") {
    auto* edit = static_cast<TEditFormControlObj*>(control);
    Section->InsertFormControl(edit, pos);
    auto browse = std::make_unique<TButtonFormControlObj>(&Doc, *CurrentForm, 0, a, "file");
    browse->MyEdit = edit;
    TButtonFormControlObj* b = browse.get();
    CurrentForm->AddControl(std::move(browse));
    Section->InsertFormControl(b, pos);
    if (!edit->ID.empty()) Doc.IDNameList.addObject(edit->ID, edit);
    edit->Value.clear();
    edit->Text.clear();
  } else {
    Section->InsertFormControl(control, pos);
  }
  control->ApplyStyle(Top());
  bool consumed = false;  // the symbol after the element was already read
  if (sy == SelectSy) {
    auto* list = static_cast<TListBoxFormControlObj*>(control);
    Next();
    while (L.Sy == OptionSy || L.Sy == OptionEndSy || L.Sy == TextSy) {
      if (L.Sy != OptionSy) {
        Next();
        continue;
      }
      const TAttributeList oa = attrs();
      const bool selected = oa.find(SelectedSy) != nullptr;
      Next();
      std::u16string text;
      while (L.Sy == TextSy) {
        text += L.Token.S();
        Next();
      }
      const std::string utf8 = wideToUtf8(text);
      list->AddOption(std::string(trimAscii(utf8)), selected, oa.asStrings());
    }
    list->ResetValue();
    if (L.Sy != SelectEndSy) consumed = true;
  } else if (sy == TextAreaSy) {
    auto* area = static_cast<TTextAreaFormControlObj*>(control);
    std::u16string line;
    bool any = false;
    for (;;) {
      const char c = L.LCh;
      if (c == '\0') {
        L.Sy = EofSy;
        consumed = true;
        break;
      }
      if (c == '\r') {
        area->AppendText(any || !line.empty() ? wideToUtf8(line) : std::string());
        any = true;
        line.clear();
        L.NextChar();
        continue;
      }
      if (c == '<') {
        L.NextToken();
        ++tokens_;
        if (L.Sy == TextAreaEndSy || L.Sy == EofSy) {
          consumed = L.Sy == EofSy;
          break;
        }
        if (L.Sy == TextSy) line += L.Token.S();
        continue;
      }
      if (static_cast<unsigned char>(c) < 9) L.LCh = ' ';
      const int cp = Top().CodePage();
      L.TextCodePage = cp > 0 ? cp : L.DocCodePage;
      L.nextPreformattedText();
      line += L.Token.S();
    }
    if (!line.empty()) area->AppendText(wideToUtf8(line));
    area->ResetValue();
  }
  if (pushed) popAProp(tag);
  if (!consumed) advance();
}

void THtmlParser::doMap() {
  const TAttributeList a = attrs();
  std::u16string name;
  if (const TAttribute* n = a.find(NameSy)) name = toWide(n->Name, kUtf8CodePage);
  auto map = std::make_unique<TMapItem>(name);
  Next();
  int others = 0;
  while (L.Sy != EofSy && L.Sy != MapEndSy && others < 3) {
    if (L.Sy == AreaSy) {
      const TAttributeList aa = attrs();
      std::vector<TAreaAttribute> attrs;
      for (size_t i = 0; i < aa.count(); ++i) attrs.push_back({aa[i].WhichName, toWide(aa[i].Name, kUtf8CodePage)});
      map->AddArea(attrs);
    } else if (L.Sy != TextSy && ++others >= 3) {
      break;  // not a map after all; the third such symbol is read as usual
    }
    Next();
  }
  if (L.Sy == MapEndSy) {
    Doc.MapList.push_back(std::move(map));
    advance();
  }
}

std::string THtmlParser::readScriptText(bool Collect) {
  std::string text;
  std::string tail;  // the last characters, upper-cased, to find the end tag
  static constexpr std::string_view kEnd = "</SCRIPT";
  L.PlainText = true;
  if (L.LCh == '>') L.NextChar();
  while (L.LCh != '\0') {
    const char c = L.LCh;
    const char u = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
    tail += u;
    if (tail.size() > kEnd.size()) tail.erase(0, 1);
    if (Collect) {
      if (c == '\r') text += "\r\n";
      else text += c;
    }
    L.NextChar();
    if (tail == kEnd) {
      if (Collect) text.resize(text.size() - kEnd.size());
      while (L.LCh != '\0' && L.LCh != '>') L.NextChar();
      if (L.LCh == '>') L.NextChar();
      break;
    }
  }
  L.PlainText = false;
  return text;
}

void THtmlParser::doScript() {
  const TAttributeList a = attrs();
  if (Doc.Events.OnScript) {
    const std::string language = attrText(a, LanguageSy);
    const std::string name = attrText(a, NameSy);
    const std::string script = readScriptText(true);
    Doc.Events.OnScript(name, language, script);
  } else {
    readScriptText(false);
  }
  advance();
}

void THtmlParser::doObject() {
  if (!Doc.Events.OnObjectTag) {
    advance();
    return;
  }
  ensureSection();
  const TAttributeList a = attrs();
  const int pos = L.TagPos;
  const bool pushed = push("object", &a, {}, true);
  auto panel = std::make_unique<TPanelObj>(&Doc, 0, a, true);
  Next();
  std::vector<std::string> params;
  while (L.Sy == ParamSy || (L.Sy == TextSy && isBlankText(L.Token.S()))) {
    if (L.Sy == ParamSy) {
      const TAttributeList pa = attrs();
      params.push_back(attrText(pa, NameSy) + "=" + attrText(pa, ValueSy));
    }
    Next();
  }
  bool wantPanel = false;
  Doc.Events.OnObjectTag(*panel, wantPanel, params, a.asStrings());
  if (wantPanel) {
    Section->InsertPanel(std::move(panel), Top(), pos);
    if (pushed) popAProp("object");
    while (L.Sy != ObjectEndSy && L.Sy != EofSy) Next();
    if (L.Sy == ObjectEndSy) advance();
  } else if (pushed) {
    popAProp("object");
  }
}

}  // namespace lumora::html
