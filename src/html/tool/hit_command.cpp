#include "html/tool/hit_command.h"

#include <filesystem>
#include <nlohmann/json.hpp>

#include "html/html_document.h"
#include "html/html_parser.h"
#include "html/html_section.h"

namespace lumora::html {

int writeHit(const std::string& path, const std::string& document, THtmlHost& Host, int Width, int X, int Y,
             std::ostream& out) {
  TSectionList doc(&Host);
  doc.DocumentPath = std::filesystem::absolute(path).generic_string();
  doc.SetDefaults();
  ParseHtmlText(document, doc);
  int scrollWidth = 0;
  doc.LayOut(*Host.Metrics, 600, Width, scrollWidth);

  nlohmann::ordered_json answer = nlohmann::ordered_json::object();
  TUrlTarget link;
  TFormControlObj* control = nullptr;
  std::string title;
  const THitFlags flags = doc.LinkAtPoint(*Host.Metrics, X, Y, link, control, title);
  if (flags & kHitLink) {
    answer["link"] = link.Url;
    if (!link.Target.empty()) answer["target"] = link.Target;
  }
  if (flags & kHitTitle) answer["title"] = title;
  int caretX = 0, caretY = 0, caretHeight = 0;
  bool inText = false;
  const int position = doc.PositionAtPoint(*Host.Metrics, X, Y, caretX, caretY, caretHeight, inText);
  if (position >= 0) answer["position"] = position;
  TIDObject* object = nullptr;
  int ix = 0, iy = 0;
  if (doc.ObjectAtPoint(X, Y, object, ix, iy))
    if (const auto* image = dynamic_cast<const TImageObj*>(object)) answer["image"] = image->Source;
  out << answer.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
  out.flush();
  return out ? 0 : 1;
}

}  // namespace lumora::html
