#include "image/image_types.h"

#include "image/gif_image.h"

namespace lumora::image {

int GetImageWidth(const TImage& image) {
  if (image.Bitmap) return image.Bitmap->Width;
  if (image.Gif) return image.Gif->Width;
  throw EGDIPlus("Not a TBitmap, TGifImage, TMetafile, or TGpImage");
}

int GetImageHeight(const TImage& image) {
  if (image.Bitmap) return image.Bitmap->Height;
  if (image.Gif) return image.Gif->Height;
  throw EGDIPlus("Not a TBitmap, TGifImage, TMetafile, or TGpImage");
}

std::shared_ptr<TMask> MakeTransparencyMask(const TBitmap& bitmap, const Pixel* color) {
  if (bitmap.Width <= 0 || bitmap.Height <= 0) return nullptr;
  const Pixel key = (color ? *color : bitmap.at(0, bitmap.Height - 1)) & 0x00FFFFFFu;
  auto mask = std::make_shared<TMask>(bitmap.Width, bitmap.Height, 0);
  for (size_t i = 0; i < bitmap.Pixels.size(); ++i) mask->Bits[i] = (bitmap.Pixels[i] & 0x00FFFFFFu) == key;
  return mask;
}

TBitmap applyMaskAsAlpha(TBitmap bitmap, const TMask* mask) {
  if (!mask || mask->Width != bitmap.Width || mask->Height != bitmap.Height) return bitmap;
  for (size_t i = 0; i < bitmap.Pixels.size(); ++i)
    if (mask->Bits[i]) bitmap.Pixels[i] &= 0x00FFFFFFu;
  bitmap.HasAlpha = true;
  bitmap.HostCache.reset();
  return bitmap;
}

}  // namespace lumora::image
