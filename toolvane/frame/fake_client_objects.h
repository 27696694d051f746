// Test fakes of a client's controls, forms and control arrays, reached by name like the
// real ones. For the tests of the code above them only.
//
//   auto log = std::make_shared<CallLog>();
//   auto opt = FakeControl::create(u"OptionButton", log, {{u"Value", Variant(false)}});
//   auto group = FakeControlArray::create({{0, opt}, {2, other}});    // a gap at 1
//   opt->fail(u"Value", 5);                                          // reads and writes raise 5
//
// A FakeControl answers property gets from its values (438 for a name it lacks), stores
// lets and sets, logs every let, set and method call as "<name>.<member>[=<value>]" into the
// shared log, and runs the handler given for a method. A FakeControlArray answers LBound,
// UBound and its items by index (the default member), 340 for a missing index.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "automation/object.h"
#include "support/codepage.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane::testing {

using automation::InvokeKind;
using automation::NamedArg;
using automation::Object;
using automation::ObjectPtr;
using automation::String;
using automation::Variant;

using CallLog = std::vector<std::string>;

inline std::string narrow(const String& s) { return cp::toUtf8(s); }

inline std::string describeValue(const Variant& v) {
  if (v.isObject()) return v.isNothing() ? "Nothing" : "<object>";
  try {
    return narrow(v.toString());
  } catch (const RuntimeError&) {
    return "?";
  }
}

class FakeControl : public Object {
 public:
  using Method = std::function<Variant(FakeControl&, std::vector<Variant>&)>;

  static std::shared_ptr<FakeControl> create(String type, std::shared_ptr<CallLog> log,
                                             const std::map<String, Variant>& values = {}, String name = {}) {
    auto c = std::make_shared<FakeControl>();
    c->type_ = std::move(type);
    c->log_ = std::move(log);
    for (auto& [k, v] : values) c->values_[automation::upperCase(k)] = v;
    c->name_ = name.empty() ? c->type_ : std::move(name);
    return c;
  }

  void fail(std::u16string_view member, LONG number) { failing_[automation::upperCase(member)] = number; }
  void unfail(std::u16string_view member) { failing_.erase(automation::upperCase(member)); }
  void method(std::u16string_view member, Method m) { methods_[automation::upperCase(member)] = std::move(m); }
  Variant value(std::u16string_view member) const {
    auto it = values_.find(automation::upperCase(member));
    return it == values_.end() ? Variant() : it->second;
  }
  void setValue(std::u16string_view member, Variant v) { values_[automation::upperCase(member)] = std::move(v); }

  Variant invoke(std::u16string_view member, InvokeKind kind, std::vector<Variant>& args,
                 std::vector<NamedArg>&) override {
    String key = automation::upperCase(member);
    if (auto f = failing_.find(key); f != failing_.end()) throw RuntimeError(f->second);
    if (kind == InvokeKind::PropertyLet || kind == InvokeKind::PropertySet) {
      if (args.empty()) throw RuntimeError(450);
      if (log_) log_->push_back(narrow(name_) + "." + narrow(String(member)) + "=" + describeValue(args.back()));
      values_[key] = args.back();
      if (auto m = methods_.find(u"LET " + key); m != methods_.end()) m->second(*this, args);
      return Variant();
    }
    if (auto m = methods_.find(key); m != methods_.end()) {
      if (log_) log_->push_back(narrow(name_) + "." + narrow(String(member)));
      return m->second(*this, args);
    }
    if (auto v = values_.find(key); v != values_.end() && args.empty()) return v->second;
    throw RuntimeError(438);
  }
  String className() const override { return type_; }
  const String& name() const { return name_; }

 private:
  String type_;
  String name_;
  std::shared_ptr<CallLog> log_;
  std::map<String, Variant> values_;
  std::map<String, LONG> failing_;
  std::map<String, Method> methods_;
};

class FakeControlArray : public Object {
 public:
  static std::shared_ptr<FakeControlArray> create(std::map<LONG, ObjectPtr> items) {
    auto a = std::make_shared<FakeControlArray>();
    a->items_ = std::move(items);
    return a;
  }
  Variant invoke(std::u16string_view member, InvokeKind, std::vector<Variant>& args, std::vector<NamedArg>&) override {
    if (automation::equalsText(member, u"LBound")) return Variant(items_.empty() ? LONG{0} : items_.begin()->first);
    if (automation::equalsText(member, u"UBound")) return Variant(items_.empty() ? LONG{-1} : items_.rbegin()->first);
    if (automation::equalsText(member, u"Count")) return Variant(static_cast<LONG>(items_.size()));
    if (member.empty() || automation::equalsText(member, u"Item")) {
      if (args.size() != 1) throw RuntimeError(450);
      auto it = items_.find(args[0].toLong());
      if (it == items_.end()) throw RuntimeError(340, u"Control array element doesn't exist");
      return Variant(it->second);
    }
    throw RuntimeError(438);
  }
  String className() const override { return u"Object"; }

 private:
  std::map<LONG, ObjectPtr> items_;
};

}  // namespace quendel::toolvane::testing

QUENDEL_EXPORT_END
