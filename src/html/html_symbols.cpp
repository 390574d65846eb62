#include "html/html_symbols.h"

#include <array>
#include <string>
#include <unordered_map>

namespace lumora::html {

namespace {

#define LUMORA_TAG_WITH_END(id, name) TagEntry{name, id##Sy, id##EndSy},
#define LUMORA_TAG_WITHOUT_END(id, name) TagEntry{name, id##Sy, UnknownSy},

constexpr TagEntry kTags[] = {
    LUMORA_HTML_TAGS_WITH_END(LUMORA_TAG_WITH_END) LUMORA_HTML_TAGS_WITHOUT_END(LUMORA_TAG_WITHOUT_END)};

#undef LUMORA_TAG_WITH_END
#undef LUMORA_TAG_WITHOUT_END

constexpr AttributeEntry kAttributes[] = {
    {"HREF", HrefSy}, {"NAME", NameSy}, {"SRC", SrcSy}, {"ALT", AltSy}, {"ALIGN", AlignSy},
    {"TEXT", TextAttrSy}, {"BGCOLOR", BgColorSy}, {"LINK", LinkAttrSy}, {"BACKGROUND", BackgroundSy},
    {"COLSPAN", ColSpanSy}, {"ROWSPAN", RowSpanSy}, {"BORDER", BorderSy}, {"CELLPADDING", CellPaddingSy},
    {"CELLSPACING", CellSpacingSy}, {"VALIGN", VAlignSy}, {"WIDTH", WidthSy}, {"START", StartSy},
    {"VALUE", ValueSy}, {"TYPE", TypeSy}, {"CHECKBOX", CheckBoxSy}, {"RADIO", RadioSy},
    {"METHOD", MethodSy}, {"ACTION", ActionSy}, {"CHECKED", CheckedSy}, {"SIZE", SizeSy},
    {"MAXLENGTH", MaxLengthSy}, {"COLS", ColsSy}, {"ROWS", RowsSy}, {"MULTIPLE", MultipleSy},
    {"VALUE", ValueSy}, {"SELECTED", SelectedSy}, {"FACE", FaceSy}, {"COLOR", ColorSy},
    {"TRANSP", TranspSy}, {"CLEAR", ClearSy}, {"ISMAP", IsMapSy}, {"BORDERCOLOR", BorderColorSy},
    {"USEMAP", UseMapSy}, {"SHAPE", ShapeSy}, {"COORDS", CoordsSy}, {"NOHREF", NoHrefSy},
    {"HEIGHT", HeightSy}, {"PLAIN", PlainSy}, {"TARGET", TargetSy}, {"NORESIZE", NoResizeSy},
    {"SCROLLING", ScrollingSy}, {"HSPACE", HSpaceSy}, {"LANGUAGE", LanguageSy},
    {"FRAMEBORDER", FrameBorderSy}, {"MARGINWIDTH", MarginWidthSy}, {"MARGINHEIGHT", MarginHeightSy},
    {"LOOP", LoopSy}, {"ONCLICK", OnClickSy}, {"WRAP", WrapSy}, {"NOSHADE", NoShadeSy},
    {"HTTP-EQUIV", HttpEquivSy}, {"CONTENT", ContentSy}, {"ENCTYPE", EncTypeSy}, {"VLINK", VLinkSy},
    {"OLINK", OLinkSy}, {"ACTIVE", ActiveSy}, {"VSPACE", VSpaceSy}, {"CLASS", ClassSy}, {"ID", IdSy},
    {"STYLE", StyleSy}, {"REL", RelSy}, {"REV", RevSy}, {"NOWRAP", NoWrapSy},
    {"BORDERCOLORLIGHT", BorderColorLightSy}, {"BORDERCOLORDARK", BorderColorDarkSy},
    {"CHARSET", CharSetSy}, {"RATIO", RatioSy}, {"TITLE", TitleSy}, {"ONFOCUS", OnFocusSy},
    {"ONBLUR", OnBlurSy}, {"ONCHANGE", OnChangeSy}, {"SPAN", SpanSy}, {"TABINDEX", TabIndexSy},
    {"BGPROPERTIES", BgPropertiesSy}, {"DISABLED", DisabledSy}, {"TOPMARGIN", TopMarginSy},
    {"LEFTMARGIN", LeftMarginSy}, {"LABEL", LabelSy}, {"READONLY", ReadOnlySy},
};

struct Index {
  std::unordered_map<std::string_view, const TagEntry*> tags;
  std::unordered_map<std::string_view, Symb> attributes;
  std::array<std::string_view, SymbCount> tagNames{};
  std::array<std::string_view, SymbCount> attributeNames{};

  Index() {
    for (const TagEntry& t : kTags) {
      tags.emplace(t.Name, &t);
      tagNames[t.StartSy] = t.Name;
      if (t.EndSy != UnknownSy) tagNames[t.EndSy] = t.Name;
    }
    // emplace keeps the first row of a repeated name, so the first match wins.
    for (const AttributeEntry& a : kAttributes) {
      attributes.emplace(a.Name, a.Sy);
      if (attributeNames[a.Sy].empty()) attributeNames[a.Sy] = a.Name;
    }
  }
};

const Index& index() {
  static const Index instance;
  return instance;
}

}  // namespace

std::span<const TagEntry> tagTable() { return kTags; }
std::span<const AttributeEntry> attributeTable() { return kAttributes; }

Symb lookupTag(std::string_view upperName, bool endTag) {
  const auto& tags = index().tags;
  const auto it = tags.find(upperName);
  if (it == tags.end()) return UnknownSy;
  return endTag ? it->second->EndSy : it->second->StartSy;
}

Symb lookupAttribute(std::string_view upperName) {
  const auto& attributes = index().attributes;
  const auto it = attributes.find(upperName);
  return it == attributes.end() ? OtherAttribute : it->second;
}

std::string_view tagName(Symb sy) { return sy < SymbCount ? index().tagNames[sy] : std::string_view(); }
std::string_view attributeName(Symb sy) {
  return sy < SymbCount ? index().attributeNames[sy] : std::string_view();
}
bool isEndTag(Symb sy) { return sy >= HtmlEndSy && sy <= ObjectEndSy; }

}  // namespace lumora::html
