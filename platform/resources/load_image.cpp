#include "platform/resources/load_image.h"

#include "platform/base/last_error.h"
#include "platform/codecs/bmp_reader.h"
#include "platform/codecs/ico_reader.h"
#include "platform/resources/module_resources.h"

using quendel::codecs::DecodeStatus;
using quendel::gdi::PixelStore;

namespace {

namespace res = quendel::resources;

constexpr UINT kKnownFlags = 0xFFFF;

// The resource's bytes, or null with the last error set.
bool findResource(HINSTANCE instance, const char* name, std::uint32_t type, res::ResourceSection* section,
                  std::string_view* data) {
  if (!instance) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return false;
  }
  if (DWORD error = res::moduleResources(instance, section)) {
    SetLastError(error);
    return false;
  }
  auto wanted = res::ResourceName::from(name);
  auto found = wanted ? section->find(type, *wanted) : std::nullopt;
  if (!found) {
    SetLastError(section->hasType(type) ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
    return false;
  }
  *data = *found;
  return true;
}

DWORD decodeError(DecodeStatus s) {
  return s == DecodeStatus::NoMemory || s == DecodeStatus::TooLarge ? ERROR_NOT_ENOUGH_MEMORY : ERROR_INVALID_DATA;
}

// A copy of store at width x height, each target pixel taken from the nearest source one.
std::shared_ptr<PixelStore> scaled(const std::shared_ptr<PixelStore>& store, int width, int height) {
  if (store->width() == width && store->height() == height) return store;
  auto out = PixelStore::create(width, height, false);
  if (!out) return nullptr;
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* from = store->row(static_cast<int>(std::int64_t{y} * store->height() / height));
    std::uint32_t* to = out->row(y);
    for (int x = 0; x < width; ++x) to[x] = from[static_cast<std::int64_t>(x) * store->width() / width];
  }
  return out;
}

const auto* bytesOf(std::string_view data) { return reinterpret_cast<const std::uint8_t*>(data.data()); }

HANDLE loadBitmap(std::string_view data, int cx, int cy) {
  quendel::codecs::DecodedPicture picture;
  DecodeStatus s = quendel::codecs::decodeBmp(bytesOf(data), data.size(), &picture);
  if (s != DecodeStatus::Ok) {
    SetLastError(decodeError(s));
    return nullptr;
  }
  auto pixels = cx > 0 && cy > 0 ? scaled(picture.pixels, cx, cy) : picture.pixels;
  HBITMAP bitmap = pixels ? quendel::gdi::createBitmapFromStore(pixels, picture.bitsPerPixel) : nullptr;
  if (!bitmap) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return bitmap;
}

// The wanted size of an icon or cursor: given, the system size, or the first image's.
void iconSize(std::string_view data, UINT flags, int* cx, int* cy) {
  if (*cx > 0 && *cy > 0) return;
  int width = res::kSystemIconSize, height = res::kSystemIconSize;
  std::vector<quendel::codecs::IconEntry> entries;
  if (!(flags & LR_DEFAULTSIZE) &&
      quendel::codecs::readIconDirectory(bytesOf(data), data.size(), &entries) == DecodeStatus::Ok &&
      !entries.empty()) {
    width = entries.front().width;
    height = entries.front().height;
  }
  if (*cx <= 0) *cx = width;
  if (*cy <= 0) *cy = height;
}

HANDLE loadIcon(std::string_view data, int cx, int cy, UINT flags) {
  iconSize(data, flags, &cx, &cy);
  quendel::codecs::DecodedIcon icon;
  DecodeStatus s =
      quendel::codecs::decodeIcon(bytesOf(data), data.size(), cx, cy, quendel::codecs::kDisplayBits, &icon);
  if (s != DecodeStatus::Ok) {
    SetLastError(decodeError(s));
    return nullptr;
  }
  const int width = icon.color.pixels->width(), height = icon.color.pixels->height();
  quendel::gdi::IconImage image;
  image.isIcon = icon.isIcon;
  // A scaled cursor keeps its hot spot on the same pixel of the picture.
  image.xHotspot = static_cast<DWORD>(std::int64_t{icon.hotspotX} * cx / width);
  image.yHotspot = static_cast<DWORD>(std::int64_t{icon.hotspotY} * cy / height);
  image.colorBits = quendel::codecs::kDisplayBits;
  image.hasAlpha = icon.color.alphaFromData;
  image.color = scaled(icon.color.pixels, cx, cy);
  image.mask = scaled(icon.mask, cx, cy);
  HICON handle = image.color && image.mask ? quendel::gdi::createIcon(std::move(image)) : nullptr;
  if (!handle) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return handle;
}

}  // namespace

HANDLE LoadImageA(HINSTANCE instance, const char* name, UINT type, int cx, int cy, UINT flags) {
  if (type > IMAGE_CURSOR || cx < 0 || cy < 0 || (flags & LR_LOADFROMFILE) || (flags & ~kKnownFlags)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  static constexpr std::uint32_t kTypes[] = {res::kBitmap, res::kGroupIcon, res::kGroupCursor};
  res::ResourceSection section;
  std::string_view data;
  if (!findResource(instance, name, kTypes[type], &section, &data)) return nullptr;
  HANDLE image = type == IMAGE_BITMAP ? loadBitmap(data, cx, cy) : loadIcon(data, cx, cy, flags);
  if (image) SetLastError(ERROR_SUCCESS);
  return image;
}

HICON LoadIconA(HINSTANCE instance, const char* iconName) {
  return static_cast<HICON>(LoadImageA(instance, iconName, IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
}

HBITMAP LoadBitmapA(HINSTANCE instance, const char* bitmapName) {
  return static_cast<HBITMAP>(LoadImageA(instance, bitmapName, IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
}
