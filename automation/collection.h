// Collection: the runtime's ordered, 1-based collection of Variants with optional keys.
//
//   auto c = Collection::create();
//   c->add(Variant(u"a"), u"first");
//   c->item(Variant(1));            // "a"
//   c->item(Variant(u"FIRST"));     // "a": keys ignore letter case
//
// Errors as the runtime raises them: 5 for a key that is not there, 457 for a key that
// is already there, 9 (Subscript out of range) for a position outside 1 to Count, 13 for
// an index that is neither a number nor a text. Late-bound members: Add, Count, Item
// (default), Remove, _NewEnum.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "automation/dispatch.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::automation {

class Collection : public Object {
 public:
  static std::shared_ptr<Collection> create() { return std::make_shared<Collection>(); }

  // Adds item under key (none when empty or missing); before/after are a position or a
  // key, at most one of them given.
  void add(const Variant& item, const Variant& key = Variant::missing(), const Variant& before = Variant::missing(),
           const Variant& after = Variant::missing());
  LONG count() const { return static_cast<LONG>(items_.size()); }
  const Variant& item(const Variant& index) const;
  void remove(const Variant& index);
  bool containsKey(std::u16string_view key) const;
  // The items in order, for C++ callers.
  std::vector<Variant> items() const;

  String className() const override { return u"Collection"; }
  const ClassDesc* classDesc() const override;

 private:
  struct Entry {
    Variant value;
    std::optional<String> key;
  };
  std::size_t positionOf(const Variant& index) const;  // 0-based; raises

  std::vector<Entry> items_;
};

}  // namespace quendel::automation

QUENDEL_EXPORT_END
