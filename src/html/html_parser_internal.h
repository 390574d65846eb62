#pragma once
// The builder's working state and procedures, shared by the files of the builder (html_parser*.cpp).
// Not for use outside the builder.

#include <bitset>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "html/html_blocks.h"
#include "html/html_document.h"
#include "html/html_forms.h"
#include "html/html_lexer.h"
#include "html/html_parser.h"
#include "html/html_section.h"

namespace lumora::html {

using TSymbSet = std::bitset<SymbCount>;

TSymbSet Syms(std::initializer_list<Symb> list);
const TSymbSet& InlineGroup();
const TSymbSet& FlowGroup();
const TSymbSet& ListGroup();
const TSymbSet& DivisionGroup();
const TSymbSet& CellTerminators();
// Inline elements that only push and pop a property set named after the tag.
bool IsSimpleInline(Symb sy);
Symb StartOf(Symb endSy);
Symb EndOf(Symb startSy);
std::string TagLower(Symb sy);
bool IsBlankText(const std::u16string& s);
std::string JoinLines(const std::vector<std::string>& lines);
// "left", "center", "right", "justify" from an ALIGN value ("middle" is centre); empty for anything else.
std::string AlignHint(std::string_view value);
int VAlignCode(std::string_view value);

class THtmlParser {
 public:
  THtmlParser(TSectionList& Doc, const THtmlParseCallbacks& Callbacks) : Doc(Doc), Cb(Callbacks) {}

  void ParseHtml(std::string Text);
  void ParsePlain(std::string Text);

 private:
  // --- Tokens ---
  void Next() {
    const int cp = Top().CodePage();
    L.TextCodePage = cp > 0 ? cp : L.DocCodePage;
    L.NextToken();
    ++tokens_;
  }
  // After a handler: the next token, except while PRE content is read character by character (the lexer
  // then already stands after the tag).
  void Advance() {
    if (!InPreChars) Next();
  }
  void SkipSpaces() {
    while (L.Sy == TextSy && IsBlankText(L.Token.S())) Next();
  }
  // The current tag's attributes with their values as UTF-8.
  TAttributeList Attrs() const;
  void StartDocument(std::string Text);
  std::string AttrText(const TAttributeList& a, Symb sy) const {
    const TAttribute* at = a.Find(sy);
    return at ? at->Name : std::string();
  }

  // --- Property stack ---
  TProperties& Top() { return Stack.Last(); }
  bool Push(std::string_view Tag, const TAttributeList* A, std::string_view Pseudo = {}, bool Inline = false);
  void Pop() {
    if (Stack.Count() > 1) Stack.Pop();
  }
  void PopTo(size_t Count) {
    while (Stack.Count() > std::max<size_t>(Count, 1)) Stack.Pop();
  }
  void PopAProp(std::string_view Tag);
  void Hint(const TAttributeList& A, int Index = TextAlign) {
    if (const TAttribute* al = A.Find(AlignSy)) {
      if (const std::string h = AlignHint(al->Name); !h.empty()) Top().AssignHint(h, Index);
    }
  }

  // --- Sections ---
  void NewSection(const TAttributeList* A = nullptr, bool FirstInBlock = true);
  void EnsureSection() {
    if (!Section) NewSection();
  }
  void SectionClose() {
    if (Section) SectionList->Add(std::move(Section), L.TagPos);
    Section.reset();
  }
  void ChangeFont() {
    if (Section) Section->StartLinkRun(Top(), LinkOpen ? CurrentUrlTarget : nullptr);
  }
  void AddText(const TokenObj& Token);
  void AddBlock(std::unique_ptr<TBlock> Block) { SectionList->Add(std::move(Block), L.TagPos); }
  // Adds a block for the element whose set is on top of the stack; its content becomes current.
  template <typename B = TBlock, typename... Args>
  B* EnterBlock(const TAttributeList* A, Args&&... Extra) {
    auto block = std::make_unique<B>(SectionList, Top(), A, std::forward<Args>(Extra)...);
    B* b = block.get();
    AddBlock(std::move(block));
    SectionList = b->MyCell.get();
    return b;
  }
  void EndLink();

  // --- Procedures ---
  void DoBody(const TSymbSet& Term);
  void DoP(const TSymbSet& Term);
  void DoInline(const TSymbSet& Term);
  void DoHeading(const TSymbSet& Term);
  void DoBr();
  void DoHr();
  void DoPre();
  void DoPreTag(TBlock* PreBlock, TBlock*& ParaBlock, size_t& FontPushes, size_t PreLevel);
  void DoLists(const TSymbSet& Term);
  void DoListItem(TListKind Kind, int Number, bool Plain, char Type, const TSymbSet& Term);
  void DoDivision(const TSymbSet& Term);
  void DoTable(const TSymbSet& Term);
  void DoAnchor();
  void DoFontTag(bool InPre);
  void DoFormControl();
  void DoMap();
  void DoScript();
  void DoObject();
  void DoMeta();
  void DoLinkTag();
  void DoBodyTag();
  void DoTitle();
  void DoBgSound();
  void DoStyle();
  // Reads SCRIPT content up to its end tag; returns it with line ends as CR LF.
  std::string ReadScriptText(bool Collect);

  TSectionList& Doc;
  const THtmlParseCallbacks& Cb;
  THtmlLexer L;
  TPropStack Stack;
  TCellBasic* SectionList = nullptr;
  std::unique_ptr<TSection> Section;
  TBodyBlock* Body = nullptr;
  bool BodySeen = false;
  std::shared_ptr<TUrlTarget> CurrentUrlTarget;  // the open link's target, shared by its runs
  bool LinkOpen = false;
  ThtmlForm* CurrentForm = nullptr;
  bool NoBreak = false;
  bool InPreChars = false;
  int ListLevel = 0;
  int TableLevel = 0;
  int BlockDepth = 0;
  int BaseFontSize = 3;
  uint64_t tokens_ = 0;
};


}  // namespace lumora::html
