#include "image/image_cache.h"

#include <algorithm>

#include "image/image_loader.h"

namespace lumora::image {

namespace {

auto lowerBound(std::vector<std::pair<std::string, std::unique_ptr<TBitmapItem>>>& items, std::string_view key) {
  return std::lower_bound(items.begin(), items.end(), key,
                          [](const auto& item, std::string_view k) { return item.first < k; });
}

}  // namespace

std::string TStringBitmapList::makeKey(std::string_view source) {
  std::string key(source);
  for (char& c : key)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  size_t begin = 0, end = key.size();
  while (begin < end && uint8_t(key[begin]) <= ' ') ++begin;
  while (end > begin && uint8_t(key[end - 1]) <= ' ') --end;
  return key.substr(begin, end - begin);
}

int TStringBitmapList::indexOf(std::string_view key) const {
  auto it = std::lower_bound(items_.begin(), items_.end(), key,
                             [](const auto& item, std::string_view k) { return item.first < k; });
  return it != items_.end() && it->first == key ? int(it - items_.begin()) : -1;
}

TImage TStringBitmapList::GetImage(int index) {
  TBitmapItem& item = *items_[size_t(index)].second;
  item.AccessAge = 0;
  ++item.UsageCount;
  return item.Image;
}

bool TStringBitmapList::AddImage(const std::string& key, std::unique_ptr<TBitmapItem> item) {
  auto it = lowerBound(items_, key);
  if (it != items_.end() && it->first == key) return false;
  item->UsageCount = 1;
  items_.insert(it, {key, std::move(item)});
  return true;
}

void TStringBitmapList::ReleaseImage(std::string_view key) {
  int index = indexOf(key);
  if (index >= 0) --items_[size_t(index)].second->UsageCount;
}

void TStringBitmapList::AgeAndPurge() {
  for (size_t i = items_.size(); i-- > 0;) {
    TBitmapItem& item = *items_[i].second;
    ++item.AccessAge;
    if (item.AccessAge > limit_ && item.UsageCount < 1) items_.erase(items_.begin() + std::ptrdiff_t(i));
  }
}

void TStringBitmapList::SetCacheLimit(int limit) {
  std::erase_if(items_, [limit](const auto& item) {
    return item.second->AccessAge > limit && item.second->UsageCount <= 0;
  });
  limit_ = limit;
}

TImage loadImageWithCache(TStringBitmapList& cache, std::string_view source, int& transparency, bool& fromCache,
                          std::shared_ptr<TMask>& mask) {
  fromCache = false;
  mask.reset();
  if (source.empty()) return {};
  std::string key = TStringBitmapList::makeKey(source);
  int index = cache.indexOf(key);
  if (index >= 0) {
    TImage image = cache.GetImage(index);
    TBitmapItem& item = cache.Item(index);
    fromCache = true;
    if (image.Bitmap) {
      if (item.Transparency == kMaskTransparent || item.Transparency == kPngPalette) {
        transparency = item.Transparency;
      } else if (transparency == kLowerLeftColor) {
        // Made once per cached item, then shared by every element that asks for it.
        if (!item.Mask) item.Mask = MakeTransparencyMask(*image.Bitmap);
        if (item.Mask) item.Transparency = kLowerLeftColor;
      }
      mask = item.Mask;
    }
    return image;
  }
  TImage image = ReadImageFile(std::string(source), transparency, mask);
  if (image) {
    auto item = std::make_unique<TBitmapItem>();
    item->Image = image;
    item->Mask = mask;
    item->Transparency = mask ? transparency : 0;
    cache.AddImage(key, std::move(item));
  }
  return image;
}

}  // namespace lumora::image
