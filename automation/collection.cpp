#include "automation/collection.h"

#include "automation/safe_array.h"

namespace quendel::automation {

namespace {
bool isKey(const Variant& v) { return v.isString(); }
}  // namespace

bool Collection::containsKey(std::u16string_view key) const {
  for (const auto& e : items_)
    if (e.key && equalsText(*e.key, key)) return true;
  return false;
}

std::size_t Collection::positionOf(const Variant& index) const {
  Variant idx = index;
  if (idx.isObject()) idx = idx.toString();  // an object's default value
  if (isKey(idx)) {
    const String& key = *idx.asString();
    for (std::size_t i = 0; i < items_.size(); ++i)
      if (items_[i].key && equalsText(*items_[i].key, key)) return i;
    throw RuntimeError(5);
  }
  if (!idx.isNumeric()) throw RuntimeError(13);
  LONG pos = idx.toLong();
  if (pos < 1 || pos > count()) throw RuntimeError(9);
  return static_cast<std::size_t>(pos - 1);
}

void Collection::add(const Variant& item, const Variant& key, const Variant& before, const Variant& after) {
  std::optional<String> k;
  if (!key.isMissing() && !key.isEmpty()) {
    if (key.isNumeric() || key.isString()) {
      String text = key.toString();
      k = text;
    } else {
      throw RuntimeError(13);
    }
    if (containsKey(*k)) throw RuntimeError(457);
  }
  bool hasBefore = !before.isMissing(), hasAfter = !after.isMissing();
  if (hasBefore && hasAfter) throw RuntimeError(5);
  std::size_t at = items_.size();
  if (hasBefore) at = positionOf(before);
  if (hasAfter) at = positionOf(after) + 1;
  items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(at), Entry{item, std::move(k)});
}

const Variant& Collection::item(const Variant& index) const { return items_[positionOf(index)].value; }

void Collection::remove(const Variant& index) {
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(positionOf(index)));
}

std::vector<Variant> Collection::items() const {
  std::vector<Variant> r;
  r.reserve(items_.size());
  for (const auto& e : items_) r.push_back(e.value);
  return r;
}

const ClassDesc* Collection::classDesc() const {
  static const ClassDesc d =
      ClassBuilder<Collection>(u"Collection")
          .sub(u"Add",
               {param(u"Item", vbVariant), optionalVariant(u"Key"), optionalVariant(u"Before"),
                optionalVariant(u"After")},
               [](Collection& c, CallArgs& a) { c.add(a[0], a[1], a[2], a[3]); })
          .get(u"Count", vbLong, [](Collection& c, CallArgs&) { return Variant(c.count()); })
          .function(u"Item", vbVariant, {param(u"Index", vbVariant)},
                    [](Collection& c, CallArgs& a) { return c.item(a[0]); })
          .defaultMember()
          .sub(u"Remove", {param(u"Index", vbVariant)}, [](Collection& c, CallArgs& a) { c.remove(a[0]); })
          .function(u"_NewEnum", VarType(vbArray | vbVariant), {},
                    [](Collection& c, CallArgs&) {
                      // Enumeration hands out the items as a Variant array, 1-based like the collection.
                      return Variant(SafeArray::fromVariants(vbVariant, c.items(), 1));
                    })
          .hidden()
          .build();
  return &d;
}

}  // namespace quendel::automation
