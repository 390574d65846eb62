#pragma once
// The builder's working state and procedures, shared by the files of the builder (html_parser*.cpp).
// Not for use outside the builder.

#include <bitset>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/scoped_level.h"
#include "html/html_blocks.h"
#include "html/html_document.h"
#include "html/html_forms.h"
#include "html/html_lexer.h"
#include "html/html_parser.h"
#include "html/html_section.h"

namespace lumora::html {

using TSymbSet = std::bitset<SymbCount>;

TSymbSet syms(std::initializer_list<Symb> list);
const TSymbSet& inlineGroup();
const TSymbSet& flowGroup();
const TSymbSet& listGroup();
const TSymbSet& divisionGroup();
const TSymbSet& cellTerminators();
// Inline elements that only push and pop a property set named after the tag.
bool isSimpleInline(Symb sy);
Symb startOf(Symb endSy);
Symb endOf(Symb startSy);
std::string tagLower(Symb sy);
bool isBlankText(const std::u16string& s);
std::string joinLines(const std::vector<std::string>& lines);
// "left", "center", "right", "justify" from an ALIGN value ("middle" is centre); empty for anything else.
std::string alignHint(std::string_view value);
int VAlignCode(std::string_view value);

class THtmlParser {
 public:
  explicit THtmlParser(TSectionList& Doc) : Doc(Doc) {}

  void parseHtml(std::string Text);
  void parsePlain(std::string Text);

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
  void advance() {
    if (!Mode.InPreChars) Next();
  }
  void skipSpaces() {
    while (L.Sy == TextSy && isBlankText(L.Token.S())) Next();
  }
  // The current tag's attributes with their values as UTF-8.
  TAttributeList attrs() const;
  void startDocument(std::string Text);
  std::string attrText(const TAttributeList& a, Symb sy) const {
    const TAttribute* at = a.find(sy);
    return at ? at->Name : std::string();
  }

  // --- Property stack ---
  TProperties& Top() { return Stack.last(); }
  bool push(std::string_view Tag, const TAttributeList* A, std::string_view Pseudo = {}, bool Inline = false);
  void pop() {
    if (Stack.count() > 1) Stack.pop();
  }
  void popTo(size_t count) {
    while (Stack.count() > std::max<size_t>(count, 1)) Stack.pop();
  }
  void popAProp(std::string_view Tag);
  void Hint(const TAttributeList& A, int Index = TextAlign) {
    if (const TAttribute* al = A.find(AlignSy)) {
      if (const std::string h = alignHint(al->Name); !h.empty()) Top().AssignHint(h, Index);
    }
  }

  // --- Sections ---
  void newSection(const TAttributeList* A = nullptr, bool FirstInBlock = true);
  void ensureSection() {
    if (!Section) newSection();
  }
  void sectionClose() {
    if (Section) SectionList->add(std::move(Section), L.TagPos);
    Section.reset();
  }
  // Throws the current section away without adding it.
  void dropSection() {
    if (Section) Doc.unlinkRuns(*Section);
    Section.reset();
  }
  void changeFont() {
    if (Section) Section->StartLinkRun(Top(), LinkOpen ? CurrentUrlTarget : nullptr);
  }
  void addText(const TokenObj& Token);
  void addBlock(std::unique_ptr<TBlock> Block) { SectionList->add(std::move(Block), L.TagPos); }
  // Adds a block for the element whose set is on top of the stack; its content becomes current.
  template <typename B = TBlock, typename... Args>
  B* enterBlock(const TAttributeList* A, Args&&... Extra) {
    ++BlockCount;
    auto block = std::make_unique<B>(SectionList, Top(), A, std::forward<Args>(Extra)...);
    B* b = block.get();
    addBlock(std::move(block));
    SectionList = b->MyCell.get();
    return b;
  }
  void endLink();

  // --- Procedures ---
  void doBody(const TSymbSet& Term);
  void doP(const TSymbSet& Term);
  void doInline(const TSymbSet& Term);
  void doHeading(const TSymbSet& Term);
  void doBr();
  void doHr();
  void doPre();
  void doPreTag(TBlock* PreBlock, TBlock*& ParaBlock, size_t& FontPushes, size_t PreLevel);
  void doLists(const TSymbSet& Term);
  void doListItem(TListKind Kind, int Number, bool Plain, char Type, const TSymbSet& Term);
  void doDivision(const TSymbSet& Term);
  void doTable(const TSymbSet& Term);
  void doAnchor();
  void doFontTag(bool InPre);
  void doFormControl();
  void doMap();
  void doScript();
  void doObject();
  void doMeta();
  void doLinkTag();
  void doBodyTag();
  void doTitle();
  void doBgSound();
  void doStyle();
  // Reads SCRIPT content up to its end tag; returns it with line ends as CR LF.
  std::string readScriptText(bool Collect);

  // --- State the procedures share ---
  TSectionList& Doc;
  THtmlLexer L;
  TPropStack Stack;
  uint64_t tokens_ = 0;  // tokens read, so a loop can tell it made progress

  // Where content goes: the cell receiving items, the section receiving text, the body block.
  TCellBasic* SectionList = nullptr;
  std::unique_ptr<TSection> Section;
  TBodyBlock* Body = nullptr;
  bool BodySeen = false;

  // What is open: the link (its target shared by its runs), the form, the BASEFONT size.
  std::shared_ptr<TUrlTarget> CurrentUrlTarget;
  bool LinkOpen = false;
  ThtmlForm* CurrentForm = nullptr;
  int BaseFontSize = 3;

  // How text is read; a construct that changes a mode for its content puts the modes back at its end.
  struct TModes {
    bool NoBreak = false;     // inside NOBR or a NOWRAP cell: new text is unbreakable
    bool InPreChars = false;  // PRE content is read character by character
    int ListLevel = 0;        // OL, UL, DIR and MENU around the text (a table starts again at 0)
  } Mode;
  // Puts one mode back as it was when the scope began.
  template <typename T>
  class TKeep {
   public:
    explicit TKeep(T& Mode) : mode_(Mode), saved_(Mode) {}
    ~TKeep() { mode_ = saved_; }
    TKeep(const TKeep&) = delete;
    TKeep& operator=(const TKeep&) = delete;

   private:
    T& mode_;
    T saved_;
  };

  // Nesting that the limits above bound; a TNesting counts one level for its scope.
  struct TDepths {
    int Table = 0;
    int Block = 0;
  } Depth;
  int BlockCount = 0;  // blocks and cells made so far
  int BlockLimit = 0;  // how many the page may have (see kBytesPerBlock)
  // Past Doc.MaxSections a line end stays inside the open section as a line-break code.
  bool keepLineInSection(int SourcePosition) {
    if (Doc.SectionCount < Doc.MaxSections) return false;
    ensureSection();
    Section->AppendChar(kLineBreakCode, SourcePosition, Top());
    return true;
  }
  // A block tag read as if it were absent because the page has all it may have: a space keeps the
  // content apart from what came before.
  void skipBlockTag() {
    ensureSection();
    Section->AppendChar(u' ', L.TagPos, Top());
    Next();
  }
  using TNesting = core::ScopedLevel;

  friend class TTableBuilder;
};


}  // namespace lumora::html
