#include "platform/resources/version_info.h"

#include <cstring>
#include <string>

#include "platform/base/last_error.h"
#include "platform/resources/module_resources.h"
#include "support/codepage.h"

namespace {

namespace res = quendel::resources;

constexpr std::uint32_t kVersionId = 1;
// The block's total size sits after the signature and the format number.
constexpr std::size_t kSizeOffset = 8;

// The file's version block with ANSI texts, or false with the last error set.
bool ansiVersionBlock(const char* fileName, std::string* out) {
  if (!fileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  std::string path = quendel::cp::toUtf8(quendel::cp::ansiToUnicode(fileName));
  res::ResourceSection section;
  if (DWORD error = res::fileResources(path, &section)) {
    SetLastError(error);
    return false;
  }
  auto data = section.find(res::kVersion, res::ResourceName{kVersionId, {}});
  if (!data) {
    SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return false;
  }
  res::VersionBlock block;
  if (!res::parseVersionBlock(*data, &block)) {
    SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  *out = res::serializeVersionBlock(block, res::TextEncoding::Ansi);
  return true;
}

}  // namespace

DWORD GetFileVersionInfoSizeA(const char* fileName, DWORD* handle) {
  if (handle) *handle = 0;
  std::string block;
  if (!ansiVersionBlock(fileName, &block)) return 0;
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(block.size());
}

BOOL GetFileVersionInfoA(const char* fileName, DWORD /*handle*/, DWORD length, void* data) {
  std::string block;
  if (!data) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!ansiVersionBlock(fileName, &block)) return FALSE;
  if (length < block.size()) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::memcpy(data, block.data(), block.size());
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL VerQueryValueA(const void* block, const char* subBlock, void** buffer, UINT* length) {
  if (!block || !subBlock || !buffer || !length) return FALSE;
  // The block states its own size; what lies before it is checked first.
  const auto* bytes = static_cast<const char*>(block);
  if (std::memcmp(bytes, "QVER", 4) != 0) return FALSE;
  std::uint32_t size = 0;
  for (int i = 3; i >= 0; --i) size = size << 8 | static_cast<unsigned char>(bytes[kSizeOffset + i]);
  res::VersionValue value;
  if (!res::findVersionValue(std::string_view(bytes, size), subBlock, &value)) return FALSE;
  *buffer = const_cast<char*>(bytes + value.offset);
  *length = value.length;
  return TRUE;
}
