#include "automation/object.h"

#include <algorithm>

#include "automation/dispatch.h"
#include "automation/safe_array.h"

namespace quendel::automation {

Object::~Object() = default;

Variant Object::invoke(std::u16string_view member, InvokeKind kind, std::vector<Variant>& args,
                       std::vector<NamedArg>& named) {
  if (const ClassDesc* d = classDesc()) return dispatchCall(*this, *d, member, kind, args, named);
  throw RuntimeError(438);
}

String Object::className() const {
  if (const ClassDesc* d = classDesc()) return d->name;
  return u"Object";
}

Object::Cookie Object::advise(std::shared_ptr<EventSink> sink) {
  if (!sink) throw RuntimeError(91);
  Cookie c = nextCookie_++;
  sinks_.emplace_back(c, std::move(sink));
  return c;
}

void Object::unadvise(Cookie cookie) {
  auto it = std::find_if(sinks_.begin(), sinks_.end(), [&](const auto& p) { return p.first == cookie; });
  if (it == sinks_.end()) throw RuntimeError(5);
  sinks_.erase(it);
}

void Object::raiseEvent(std::u16string_view name, std::vector<Variant>& args) {
  // A copy, so that a sink may subscribe or unsubscribe while the event runs; the object
  // stays alive for the whole round even when a sink drops the last other reference.
  auto keepAlive = weak_from_this().lock();
  auto sinks = sinks_;
  for (auto& entry : sinks) {
    Cookie cookie = entry.first;
    bool stillSubscribed = std::any_of(sinks_.begin(), sinks_.end(), [&](const auto& p) { return p.first == cookie; });
    if (stillSubscribed) entry.second->onEvent(*this, name, args);
  }
}

Variant Object::get(std::u16string_view name, std::vector<Variant> args) {
  std::vector<NamedArg> named;
  return invoke(name, InvokeKind::PropertyGet, args, named);
}

void Object::let(std::u16string_view name, Variant value) {
  std::vector<Variant> args{std::move(value)};
  std::vector<NamedArg> named;
  invoke(name, InvokeKind::PropertyLet, args, named);
}

void Object::set(std::u16string_view name, ObjectPtr value) {
  std::vector<Variant> args{Variant(std::move(value))};
  std::vector<NamedArg> named;
  invoke(name, InvokeKind::PropertySet, args, named);
}

Variant Object::call(std::u16string_view name, std::vector<Variant> args) { return callRef(name, args); }

Variant Object::callRef(std::u16string_view name, std::vector<Variant>& args) {
  std::vector<NamedArg> named;
  return invoke(name, InvokeKind::Method, args, named);
}

ObjectPtr requireObject(const Variant& v) {
  if (!v.isObject()) throw RuntimeError(424);
  ObjectPtr o = v.toObject();
  if (!o) throw RuntimeError(91);
  return o;
}

Variant getProperty(const Variant& object, std::u16string_view name) { return requireObject(object)->get(name); }

// ---- Member tables ----

const MemberDesc* ClassDesc::find(std::u16string_view member, InvokeKind kind) const {
  auto matches = [&](const MemberDesc& m) { return member.empty() ? m.isDefault : equalsText(m.name, member); };
  auto kindFits = [](InvokeKind want, InvokeKind have) {
    if (want == InvokeKind::Method || want == InvokeKind::PropertyGet)
      return have == InvokeKind::Method || have == InvokeKind::PropertyGet;
    return want == have;
  };
  for (const auto& m : members)
    if (matches(m) && kindFits(kind, m.kind)) return &m;
  // A let of an object property, or a set of a value property, takes the other form.
  if (kind == InvokeKind::PropertyLet || kind == InvokeKind::PropertySet) {
    InvokeKind other = kind == InvokeKind::PropertyLet ? InvokeKind::PropertySet : InvokeKind::PropertyLet;
    for (const auto& m : members)
      if (matches(m) && m.kind == other) return &m;
  }
  return nullptr;
}

const ClassDesc* TypeLibDesc::findClass(std::u16string_view n) const {
  for (const ClassDesc* c : classes)
    if (equalsText(c->name, n)) return c;
  return nullptr;
}

const ClassDesc* TypeLibDesc::findClass(const GUID& clsid) const {
  for (const ClassDesc* c : classes)
    if (c->clsid == clsid) return c;
  return nullptr;
}

bool CallArgs::isMissing(std::size_t i) const { return i >= slots_.size() || slots_[i]->isMissing(); }

const Variant& CallArgs::operator[](std::size_t i) const {
  if (i >= slots_.size()) throw RuntimeError(449);
  return *slots_[i];
}

Variant& CallArgs::ref(std::size_t i) {
  if (i >= slots_.size()) throw RuntimeError(449);
  return *slots_[i];
}

Variant dispatchCall(Object& self, const ClassDesc& desc, std::u16string_view member, InvokeKind kind,
                     std::vector<Variant>& args, std::vector<NamedArg>& named) {
  const MemberDesc* m = desc.find(member, kind);
  if (!m) {
    // Calling an object without naming a member, when it has no default: 438 as well.
    throw RuntimeError(438);
  }
  const auto& params = m->params;
  bool hasParamArray = !params.empty() && (params.back().flags & kParamArray);
  std::size_t fixed = hasParamArray ? params.size() - 1 : params.size();

  // For a let/set the value is the caller's last positional argument and fills the last
  // parameter, whatever named arguments say.
  bool isPut = m->kind == InvokeKind::PropertyLet || m->kind == InvokeKind::PropertySet;
  std::size_t positional = args.size();
  if (isPut) {
    if (args.empty()) throw RuntimeError(450);
    --positional;
    --fixed;
  }

  std::vector<Variant*> slots(params.size() - (hasParamArray ? 1 : 0), nullptr);
  std::vector<Variant> rest;
  if (positional > fixed) {
    if (!hasParamArray) throw RuntimeError(450);
    for (std::size_t i = fixed; i < positional; ++i) {
      if (args[i].isMissing()) throw RuntimeError(449);
      rest.push_back(args[i]);
    }
  }
  for (std::size_t i = 0; i < std::min(positional, fixed); ++i) slots[i] = &args[i];
  if (isPut) slots.back() = &args.back();

  for (auto& na : named) {
    std::size_t idx = fixed;
    for (std::size_t i = 0; i < fixed; ++i)
      if (equalsText(params[i].name, na.name)) idx = i;
    if (idx == fixed) throw RuntimeError(448);
    if (slots[idx] && !slots[idx]->isMissing()) throw RuntimeError(5);  // given twice
    slots[idx] = &na.value;
  }

  // Missing arguments: defaults, the missing marker, or 449.
  std::vector<Variant> defaults(slots.size());
  for (std::size_t i = 0; i < slots.size(); ++i) {
    if (slots[i] && !slots[i]->isMissing()) continue;
    const ParamDesc& p = params[i];
    if (!(p.flags & kOptional)) throw RuntimeError(449);
    if (p.flags & kHasDefault) {
      // A by-reference slot keeps pointing at the caller's missing Variant so that the
      // caller sees what the member writes; it starts as the default.
      if (slots[i] && (p.flags & kOut)) {
        *slots[i] = p.defaultValue;
        continue;
      }
      defaults[i] = p.defaultValue;
    } else {
      defaults[i] = Variant::missing();
      if (slots[i]) continue;
    }
    slots[i] = &defaults[i];
  }
  CallArgs call(std::move(slots), std::move(rest));
  return m->thunk(self, call);
}

}  // namespace quendel::automation
