#pragma once
// Everything the HTML engine asks of the program that shows its documents, in one place:
//
//   ITextMetrics       installed fonts, fonts realised into handles, character advances
//   ICanvas            drawing only (layout and hit testing never need one)
//   IImageHost         pictures for a page, with a way back for pictures that arrive later
//   IResourceReader    style sheets and frame documents named by a page
//   IFormControlHost   the native controls behind a page's form elements
//   THtmlDocumentEvents what a document tells its viewer while it is built (meta, links, sounds, ...)
//
// THtmlHost groups the first four with the display's pixels per inch; a document is given one when it is
// created, and the host outlives it (clearing a document gives its pictures back). The Qt implementation lives in the viewer; tests and `lumora-html --metrics fixed` use a
// deterministic one with fixed metrics and a canvas that records every call.
//
// Pixels. Coordinates are integer device pixels, x to the right and y down. A rectangle covers the pixels
// (x, y) with Left <= x < Right and Top <= y < Bottom: its right and bottom edges are outside it, so
// {0, 0, 10, 10} covers 100 pixels and an empty rectangle (Right <= Left or Bottom <= Top) covers none.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/geometry.h"
#include "html/html_codepage.h"
#include "html/html_style_convert.h"
#include "image/image_cache.h"
#include "image/image_types.h"

namespace lumora::html {

using core::TPoint;
using core::TRect;

class TFormControlObj;
class TPanelObj;

// ---------------------------------------------------------------------------------------------------------
// Fonts and text metrics

inline constexpr int kFontBold = 1, kFontItalic = 2, kFontUnderline = 4, kFontStrikeOut = 8;
inline constexpr uint8_t kSymbolCharSet = 2;

struct TFontRequest {
  std::string Name;
  int Height = 0;  // character height in pixels (not cell height)
  int Style = 0;   // kFont* bits; underline and strike-out are drawn with the text
  uint8_t CharSet = kDefaultCharSet;
  bool operator==(const TFontRequest&) const = default;
};

struct TRealizedFont {
  int CellHeight = 0, InternalLeading = 0, Descent = 0, ExternalLeading = 0;
  int AveCharWidth = 0, MaxCharWidth = 0;
  uint8_t CharSet = 0;  // the set the font really has (its natural set when asked for the default one)
};

// A realised font. Handles are small positive numbers, valid for the life of the host that made them.
using TFontHandle = int;
inline constexpr TFontHandle kNoFont = 0;

class ITextMetrics {
 public:
  virtual ~ITextMetrics() = default;
  // Whether a family is installed, directly or through the host's substitutions for the classic faces.
  virtual bool isFontInstalled(std::string_view Family) const = 0;
  // The font for Request. The same request always gives the same handle, so callers need not cache.
  virtual TFontHandle realizeFont(const TFontRequest& Request) = 0;
  virtual const TRealizedFont& fontMetrics(TFontHandle Font) const = 0;
  // The advance of every UTF-16 unit of Text in Font, without letter spacing (the engine adds it), into
  // Advances (Text.size() entries; may be null). A surrogate pair's advance goes to its first unit and its
  // second unit gets 0. Returns the sum.
  virtual int textAdvances(TFontHandle Font, std::u16string_view Text, int* Advances) = 0;
};

// ---------------------------------------------------------------------------------------------------------
// Drawing

enum class TPenStyle { Solid, Dash, Dot, Clear };

// A surface to draw on. Colours are engine colours (red in the low byte; system colours are resolved by
// the host; kColorNone draws nothing). The rules every implementation follows:
// - fillRect fills exactly the pixels of the rectangle.
// - frameRect draws Width pixels along each edge inside the rectangle, never outside it.
// - drawLine draws a line Width pixels wide from From up to, not including, To (so two lines that meet
//   at a point do not draw it twice); a line of Width w covers the pixels within w / 2 of its centre line,
//   rounded down on the left and top side. Dash and Dot repeat from From with the background showing.
// - drawPolygon and drawEllipse fill the pixels whose centres lie inside the shape (winding rule); an
//   outline is one pixel wide, inside the fill. drawEllipse's shape is the ellipse inscribed in Box.
// - drawText puts the top of the font's cell at Y and the first character's origin at X; character i
//   advances by Advances[i]. A Background other than kColorNone fills the cell behind the text first.
// - drawImage stretches the Source pixels of Image onto the Dest pixels; where Mask is transparent (1) the
//   canvas keeps its pixels; an image with HasAlpha is blended by its alpha.
// - pushClip limits drawing to the current clip intersected with the union of Rects; popClip returns to
//   the clip before the matching pushClip. An empty list clips everything away.
class ICanvas {
 public:
  virtual ~ICanvas() = default;
  virtual void fillRect(const TRect& Rect, TColor Color) = 0;
  virtual void frameRect(const TRect& Rect, TColor Color, int Width, TPenStyle Style) = 0;
  virtual void drawLine(TPoint From, TPoint To, TColor Color, int Width, TPenStyle Style) = 0;
  virtual void drawPolygon(const std::vector<TPoint>& Points, TColor Fill, TColor Outline) = 0;
  virtual void drawEllipse(const TRect& Box, TColor Fill, TColor Outline) = 0;
  virtual void drawText(int X, int Y, TFontHandle Font, TColor Color, std::u16string_view Text,
                        const int* Advances, TColor Background) = 0;
  virtual void drawImage(const image::TBitmap& Image, const image::TMask* Mask, const TRect& Source,
                         const TRect& Dest) = 0;
  virtual void pushClip(const std::vector<TRect>& Rects) = 0;
  virtual void popClip() = 0;
  // Color as plain 0x00BBGGRR: a system colour as the host shows it (the classic desktop colours unless
  // the host has its own), the palette-relative mark removed; kColorNone stays as it is.
  virtual TColor resolveColor(TColor Color) const;
};

// ---------------------------------------------------------------------------------------------------------
// Images

// What an image request returns: the picture (still or animated) with its transparency kind and mask; or
// nothing yet (Deferred: the host delivers it later through TSectionList::imageArrived); or no picture at
// all (an empty Image, not deferred), for which the engine shows its error picture.
struct TImageAnswer {
  image::TImage Image;
  int Transparency = image::kOpaque;
  std::shared_ptr<image::TMask> Mask;
  bool Deferred = false;
};

class IImageHost {
 public:
  virtual ~IImageHost() = default;
  // Source is the address as the page wrote it, expanded against the page's base. Transparency is 0, or 1
  // when the element asks for the lower-left colour to be transparent.
  virtual TImageAnswer requestImage(const std::string& Source, int Transparency) = 0;
  // The document no longer shows a picture it got from requestImage.
  virtual void releaseImage(const std::string& Source) = 0;
};

// Pictures from the local file system, decoded by the program's own decoders and kept in a cache shared by
// the documents this host serves.
class TFileImageHost : public IImageHost {
 public:
  TImageAnswer requestImage(const std::string& Source, int Transparency) override;
  void releaseImage(const std::string& Source) override;
  image::TStringBitmapList Cache;
};

// ---------------------------------------------------------------------------------------------------------
// Style sheets and frame documents

enum class TResourceKind { StyleSheet, Frame };

class IResourceReader {
 public:
  virtual ~IResourceReader() = default;
  // The bytes of the resource Url names (already expanded), or nothing with Error set to a message that
  // names it. Implementations refuse what is not a regular file and apply the limit of its kind.
  virtual std::optional<std::string> readResource(const std::string& Url, TResourceKind Kind,
                                                  std::string& Error) = 0;
};

// Reads resources from the local file system: the name is turned into a path as pages write them ("file:"
// URLs, "\" separators, any letter case) and read with the limit of its kind.
class TFileResourceReader : public IResourceReader {
 public:
  std::optional<std::string> readResource(const std::string& Url, TResourceKind Kind, std::string& Error) override;
};

// ---------------------------------------------------------------------------------------------------------
// Form controls

// The size of a native control, in pixels.
struct TControlSize {
  int Width = 0, Height = 0;
};

// The viewer's native controls. The engine asks for a control when it lays out a form element, places it
// after layout, and lets it go when the document is cleared.
class IFormControlHost {
 public:
  virtual ~IFormControlHost() = default;
  // The size the control of Control takes with its font, SIZE, COLS, ROWS and value.
  virtual TControlSize controlSize(const TFormControlObj& Control) = 0;
  // Shows the control with its top-left corner at (X, Y) of the document: the paint drew its place.
  // Controls that leave the view go through hideControlsOutOfView.
  virtual void placeControl(TFormControlObj& Control, int X, int Y) = 0;
  virtual void releaseControl(TFormControlObj& Control) = 0;
  // A paint after the page moved has placed what it drew: the controls shown before that are now out of
  // the view are to be hidden. The host keeps what it shows, so this costs what is on screen, not what the
  // page holds.
  virtual void hideControlsOutOfView() {}
  // The model's value of Control (text, checked state, selection) changed outside the native control (a
  // reset, a restore from the history): the native control shows it. Nothing to do without one.
  virtual void controlChanged(TFormControlObj& Control) { (void)Control; }
  // The lines of a text area as its native control shows them (wrapped at its edge). Without a native
  // control: the text's own lines (Text uses CR LF between lines).
  virtual std::vector<std::string> displayedLines(const TFormControlObj& Control, const std::string& Text);
  // Text cut at its CR LF line ends.
  static std::vector<std::string> textLines(const std::string& Text);
};

// ---------------------------------------------------------------------------------------------------------
// The host

struct THtmlHost {
  ITextMetrics* Metrics = nullptr;       // null: fonts are not realised (the model alone, as the dump shows it)
  IImageHost* Images = nullptr;          // null: images are not requested
  IResourceReader* Resources = nullptr;  // null: linked style sheets and frames are read from files
  IFormControlHost* Controls = nullptr;  // null: controls get a fixed size and are not shown
  int PixelsPerInch = kDefaultPixelsPerInch;
};

// ---------------------------------------------------------------------------------------------------------
// What a document tells its viewer, and the one thing it asks of it (all optional)

// LINK tags: REL, REV and HREF.
using TLinkType = std::function<void(const std::string& Rel, const std::string& Rev, const std::string& Href)>;
// META tags: HTTP-EQUIV, NAME and CONTENT as written.
using TMetaType = std::function<void(const std::string& HttpEq, const std::string& Name, const std::string& Content)>;
// BGSOUND: the sound, its LOOP count, and whether an earlier one is to stop.
using TSoundType = std::function<void(const std::string& Src, int Loop, bool Terminate)>;
// <!--#Command name=value ...-->: Params holds "name=value" lines; a non-empty IString is read next, as if
// it stood in the document in place of the comment.
using TIncludeType =
    std::function<void(const std::string& Command, const std::vector<std::string>& Params, std::string& IString)>;
// SCRIPT elements: NAME, LANGUAGE and the script with CR LF line ends.
using TScriptEvent = std::function<void(const std::string& Name, const std::string& Language, const std::string& Script)>;

// Form controls: the control and the element's ONFOCUS, ONBLUR or ONCHANGE text.
using ThtObjectEvent = std::function<void(TFormControlObj& Obj, const std::string& Attribute)>;
// A click on a control, with its ONCLICK text.
using TObjectClickEvent = std::function<void(TFormControlObj& Obj, const std::string& OnClick)>;
// A file field's browse button: Obj is the field; S its text, and what the handler leaves in it.
using TFileBrowseEvent = std::function<void(TFormControlObj& Obj, std::string& S)>;
// A submitted form: its ACTION, TARGET, ENCTYPE and method, and the name=value lines (the handler's own).
using TFormSubmitEvent = std::function<void(const std::string& Action, const std::string& Target,
                                            const std::string& EncType, const std::string& Method,
                                            std::vector<std::string> Results)>;

struct THtmlDocumentEvents {
  // A name as the page wrote it, made absolute; without it the document's base (or its own path) is used.
  std::function<std::string(const std::string& Name)> OnExpandName;
  TMetaType OnMeta;
  TLinkType OnLink;
  TSoundType OnSoundRequest;
  TIncludeType OnInclude;
  TScriptEvent OnScript;
  // OBJECT tags: the host may keep the panel (WantPanel) and sees the PARAM lines and the attributes.
  std::function<void(TPanelObj& Panel, bool& WantPanel, const std::vector<std::string>& Params,
                     const std::vector<std::string>& Attributes)>
      OnObjectTag;
  // The document's background colour or picture changed.
  std::function<void()> OnBackgroundChange;
  // Pictures the host delivered later (through imageArrived) are in place: lay out and paint again.
  std::function<void()> OnImagesArrived;
  // While the page is read: how far the reading got, in bytes of its text.
  std::function<void(size_t BytesRead, size_t Total)> OnParseProgress;

  // Form controls (html_forms.h): focus, blur and change with the element's ONFOCUS, ONBLUR or ONCHANGE
  // text; a click with its ONCLICK text (also when empty); a browse button's click with the file field's
  // text; a submit (without a handler a submit does nothing).
  ThtObjectEvent OnObjectFocus, OnObjectBlur, OnObjectChange;
  TObjectClickEvent OnObjectClick;
  TFileBrowseEvent OnFileBrowse;
  TFormSubmitEvent OnFormSubmit;
  // A control got the keyboard focus: the viewer scrolls it into view.
  std::function<void(TFormControlObj& Obj)> OnShowControl;
};

}  // namespace lumora::html
