#pragma once
// Symbols of the HTML lexer: one start symbol per known tag, one end symbol per tag that has an end form,
// the attribute symbols, and four special symbols. Some names are both tags and attributes and share one
// symbol (SELECTED, WRAP, READONLY, TITLE, STYLE, SPAN, LABEL).

#include <cstdint>
#include <span>
#include <string_view>

namespace lumora::html {

// X(Identifier, "NAME") in table order.
#define LUMORA_HTML_TAGS_WITH_END(X)                                                                      \
  X(Html, "HTML") X(Title, "TITLE") X(Body, "BODY") X(Head, "HEAD") X(B, "B") X(I, "I") X(H, "H")          \
  X(Em, "EM") X(Strong, "STRONG") X(U, "U") X(Cite, "CITE") X(Var, "VAR") X(TT, "TT") X(Code, "CODE")      \
  X(Kbd, "KBD") X(Samp, "SAMP") X(OL, "OL") X(UL, "UL") X(Dir, "DIR") X(Menu, "MENU") X(DL, "DL")          \
  X(A, "A") X(Address, "ADDRESS") X(BlockQuote, "BLOCKQUOTE") X(Pre, "PRE") X(Center, "CENTER")            \
  X(Table, "TABLE") X(TD, "TD") X(TH, "TH") X(Caption, "CAPTION") X(Form, "FORM")                         \
  X(TextArea, "TEXTAREA") X(Select, "SELECT") X(Option, "OPTION") X(Font, "FONT") X(Sub, "SUB")            \
  X(Sup, "SUP") X(Big, "BIG") X(Small, "SMALL") X(P, "P") X(Map, "MAP") X(FrameSet, "FRAMESET")            \
  X(NoFrames, "NOFRAMES") X(Script, "SCRIPT") X(Div, "DIV") X(S, "S") X(Strike, "STRIKE") X(TR, "TR")      \
  X(NoBr, "NOBR") X(Style, "STYLE") X(Span, "SPAN") X(ColGroup, "COLGROUP") X(Label, "LABEL")              \
  X(THead, "THEAD") X(TBody, "TBODY") X(TFoot, "TFOOT") X(Object, "OBJECT")

#define LUMORA_HTML_TAGS_WITHOUT_END(X)                                                                   \
  X(Li, "LI") X(Br, "BR") X(Hr, "HR") X(DD, "DD") X(DT, "DT") X(Img, "IMG") X(Base, "BASE")               \
  X(Button, "BUTTON") X(Input, "INPUT") X(Selected, "SELECTED") X(BaseFont, "BASEFONT") X(Area, "AREA")    \
  X(Frame, "FRAME") X(Page, "PAGE") X(BgSound, "BGSOUND") X(Wrap, "WRAP") X(Meta, "META")                  \
  X(Panel, "PANEL") X(Wbr, "WBR") X(Link, "LINK") X(Col, "COL") X(Param, "PARAM") X(ReadOnly, "READONLY")

// Attributes that are not also tags.
#define LUMORA_HTML_ATTRIBUTES_ONLY(X)                                                                    \
  X(Href, "HREF") X(Name, "NAME") X(Src, "SRC") X(Alt, "ALT") X(Align, "ALIGN") X(TextAttr, "TEXT")        \
  X(BgColor, "BGCOLOR") X(LinkAttr, "LINK") X(Background, "BACKGROUND") X(ColSpan, "COLSPAN")              \
  X(RowSpan, "ROWSPAN") X(Border, "BORDER") X(CellPadding, "CELLPADDING") X(CellSpacing, "CELLSPACING")    \
  X(VAlign, "VALIGN") X(Width, "WIDTH") X(Start, "START") X(Value, "VALUE") X(Type, "TYPE")                 \
  X(CheckBox, "CHECKBOX") X(Radio, "RADIO") X(Method, "METHOD") X(Action, "ACTION") X(Checked, "CHECKED")  \
  X(Size, "SIZE") X(MaxLength, "MAXLENGTH") X(Cols, "COLS") X(Rows, "ROWS") X(Multiple, "MULTIPLE")        \
  X(Face, "FACE") X(Color, "COLOR") X(Transp, "TRANSP") X(Clear, "CLEAR") X(IsMap, "ISMAP")                \
  X(BorderColor, "BORDERCOLOR") X(UseMap, "USEMAP") X(Shape, "SHAPE") X(Coords, "COORDS")                  \
  X(NoHref, "NOHREF") X(Height, "HEIGHT") X(Plain, "PLAIN") X(Target, "TARGET") X(NoResize, "NORESIZE")    \
  X(Scrolling, "SCROLLING") X(HSpace, "HSPACE") X(Language, "LANGUAGE") X(FrameBorder, "FRAMEBORDER")      \
  X(MarginWidth, "MARGINWIDTH") X(MarginHeight, "MARGINHEIGHT") X(Loop, "LOOP") X(OnClick, "ONCLICK")      \
  X(NoShade, "NOSHADE") X(HttpEquiv, "HTTP-EQUIV") X(Content, "CONTENT") X(EncType, "ENCTYPE")             \
  X(VLink, "VLINK") X(OLink, "OLINK") X(Active, "ACTIVE") X(VSpace, "VSPACE") X(Class, "CLASS")            \
  X(Id, "ID") X(Rel, "REL") X(Rev, "REV") X(NoWrap, "NOWRAP") X(BorderColorLight, "BORDERCOLORLIGHT")      \
  X(BorderColorDark, "BORDERCOLORDARK") X(CharSet, "CHARSET") X(Ratio, "RATIO") X(OnFocus, "ONFOCUS")      \
  X(OnBlur, "ONBLUR") X(OnChange, "ONCHANGE") X(TabIndex, "TABINDEX") X(BgProperties, "BGPROPERTIES")      \
  X(Disabled, "DISABLED") X(TopMargin, "TOPMARGIN") X(LeftMargin, "LEFTMARGIN")

#define LUMORA_HTML_SYMBOL(id, name) id##Sy,
#define LUMORA_HTML_END_SYMBOL(id, name) id##EndSy,

enum Symb : uint8_t {
  TextSy,          // a run of text
  UnknownSy,       // a tag or end tag not in the table, or an end tag of a tag without end form
  EofSy,           // end of input
  OtherAttribute,  // an attribute not in the table
  LUMORA_HTML_TAGS_WITH_END(LUMORA_HTML_SYMBOL)
  LUMORA_HTML_TAGS_WITHOUT_END(LUMORA_HTML_SYMBOL)
  LUMORA_HTML_TAGS_WITH_END(LUMORA_HTML_END_SYMBOL)
  LUMORA_HTML_ATTRIBUTES_ONLY(LUMORA_HTML_SYMBOL)
  SymbCount
};

#undef LUMORA_HTML_SYMBOL
#undef LUMORA_HTML_END_SYMBOL

struct TagEntry {
  std::string_view Name;
  Symb StartSy;
  Symb EndSy;  // UnknownSy for a tag without end form
};

struct AttributeEntry {
  std::string_view Name;
  Symb Sy;
};

// The 80 tags in table order.
std::span<const TagEntry> tagTable();
// The 84 attribute rows in table order (VALUE appears twice with the same symbol).
std::span<const AttributeEntry> attributeTable();

// Symbol of an upper-case tag name: the start symbol, or for an end tag the end symbol;
// UnknownSy when the name is not a tag or an end tag has no end form.
Symb lookupTag(std::string_view upperName, bool endTag);
// Symbol of an upper-case attribute name; OtherAttribute when it is not in the table.
Symb lookupAttribute(std::string_view upperName);

// The table spelling of a tag symbol (start or end), or of an attribute symbol; empty for the specials.
std::string_view tagName(Symb sy);
std::string_view attributeName(Symb sy);
bool isEndTag(Symb sy);

}  // namespace lumora::html
