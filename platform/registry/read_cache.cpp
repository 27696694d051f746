#include "platform/registry/read_cache.h"

#include <cstring>

namespace quendel::registry {

std::string_view ReadCache::lookupKey(std::int64_t id, std::string_view text) {
  // The id's bytes, then the text: a fixed-size prefix, so no two pairs give one key.
  scratch_.resize(sizeof id + text.size());
  std::memcpy(scratch_.data(), &id, sizeof id);
  if (!text.empty()) std::memcpy(scratch_.data() + sizeof id, text.data(), text.size());
  return scratch_;
}

void ReadCache::makeRoom() {
  if (size() >= kMaxEntries) clear();
}

const std::int64_t* ReadCache::findKey(std::int64_t parent, std::string_view path) {
  auto it = keys_.find(lookupKey(parent, path));
  return it == keys_.end() ? nullptr : &it->second;
}

void ReadCache::putKey(std::int64_t parent, std::string_view path, std::int64_t id) {
  makeRoom();
  keys_.insert_or_assign(std::string(lookupKey(parent, path)), id);
}

const ReadCache::Value* ReadCache::findValue(std::int64_t key, std::string_view name) {
  auto it = values_.find(lookupKey(key, name));
  return it == values_.end() ? nullptr : &it->second;
}

void ReadCache::putValue(std::int64_t key, std::string_view name, Value value) {
  makeRoom();
  values_.insert_or_assign(std::string(lookupKey(key, name)), std::move(value));
}

const ReadCache::Value* ReadCache::findValueAt(std::int64_t from, std::string_view path, std::string_view name) {
  if (!lastValues_ || lastFrom_ != from || lastPath_ != path) {
    auto it = valuesAt_.find(lookupKey(from, path));
    if (it == valuesAt_.end()) return nullptr;
    lastFrom_ = from;
    lastPath_.assign(path);
    lastValues_ = &it->second;
  }
  auto it = lastValues_->find(name);
  return it == lastValues_->end() ? nullptr : &it->second;
}

void ReadCache::putValueAt(std::int64_t from, std::string_view path, std::string_view name, Value value) {
  makeRoom();
  Map<Value>& byName = valuesAt_[std::string(lookupKey(from, path))];
  if (byName.insert_or_assign(std::string(name), std::move(value)).second) ++valuesAtCount_;
}

void ReadCache::clear() {
  keys_.clear();
  values_.clear();
  valuesAt_.clear();
  valuesAtCount_ = 0;
  lastValues_ = nullptr;
}

}  // namespace quendel::registry
