#pragma once
// TStringBitmapList: decoded pictures kept by source name, shared by the documents of one viewer (or all
// frames of a frame viewer) so pages that reuse pictures do not decode them again.

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "image/image_types.h"

namespace lumora::image {

struct TBitmapItem {
  TImage Image;
  std::shared_ptr<TMask> Mask;
  int AccessAge = 0;   // document loads since the item was last handed out
  int UsageCount = 0;  // live image elements using it
  int Transparency = 0;
};

class TStringBitmapList {
 public:
  static constexpr int kDefaultLimit = 4;

  // The cache key of an image source: upper-cased (ASCII letters), then trimmed.
  static std::string makeKey(std::string_view source);

  int count() const { return int(items_.size()); }
  // Index of `key` (made with makeKey), or -1.
  int indexOf(std::string_view key) const;
  const std::string& Key(int index) const { return items_[size_t(index)].first; }
  TBitmapItem& Item(int index) { return *items_[size_t(index)].second; }

  // Hands out the image: its AccessAge becomes 0 and its UsageCount grows by one.
  TImage GetImage(int index);
  // Adds the item with UsageCount 1; false (the item is dropped) when the key is already there.
  bool AddImage(const std::string& key, std::unique_ptr<TBitmapItem> item);
  // An element that got its picture from the cache gives it back.
  void ReleaseImage(std::string_view key);
  // run at the start of every document load: every item ages by one; unused items older than the limit go.
  void AgeAndPurge();
  void SetCacheLimit(int limit);
  int cacheLimit() const { return limit_; }
  void Clear() { items_.clear(); }

 private:
  std::vector<std::pair<std::string, std::unique_ptr<TBitmapItem>>> items_;  // sorted by key
  int limit_ = kDefaultLimit;
};

// The part of a document's image request that needs no viewer: the cached item when the source is in the
// cache, otherwise the file, decoded and added. `transparency` comes in as 0 or 1 (as the element asks) and
// goes out as the kind in force; `fromCache` tells whether the cache supplied it.
TImage loadImageWithCache(TStringBitmapList& cache, std::string_view source, int& transparency, bool& fromCache,
                          std::shared_ptr<TMask>& mask);

}  // namespace lumora::image
