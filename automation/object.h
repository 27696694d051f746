// Object: an automation object reached by member name (late binding), and the event
// model that objects use to call back the code that listens to them.
//
//   ObjectPtr parser = qndMain->get(u"CommandLine").toObject();
//   parser->call(u"SetNewCommandLine", {Variant(u"3p \"a b.png\" c.png")});
//   LONG n = parser->get(u"Count").toLong();
//   String first = parser->get(u"", {Variant(0)}).toString();   // the default member
//
// Names are matched without regard to letter case. A property get may be called as a
// method and the other way round, as the runtime allows. For a property let or set the
// value is the last positional argument. By-reference parameters are written back into
// the caller's argument vector. Failures are run-time errors: 438 for an unknown member,
// 449 for a missing required argument, 450 for too many arguments, 448 for an unknown
// named argument, 13 and 6 for arguments that do not convert.
//
// Classes of the library describe their members in a ClassDesc (automation/dispatch.h);
// objects of other origins (a Python object, a Qt widget adapter) override invoke().
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "automation/variant.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::automation {

enum class InvokeKind : int { Method = 1, PropertyGet = 2, PropertyLet = 4, PropertySet = 8 };

struct NamedArg {
  String name;
  Variant value;
};

struct ClassDesc;
class EventSink;

class Object : public std::enable_shared_from_this<Object> {
 public:
  Object() = default;
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;
  virtual ~Object();

  // The late-bound call. The default implementation binds through classDesc().
  virtual Variant invoke(std::u16string_view member, InvokeKind kind, std::vector<Variant>& args,
                         std::vector<NamedArg>& named);
  // The class name that TypeName reports ("qndRegistry", "Collection", "ComboBox").
  virtual String className() const;
  // The member table, or null for objects that bind by themselves.
  virtual const ClassDesc* classDesc() const { return nullptr; }

  // Events: sinks subscribed here receive what raiseEvent sends, in subscription order.
  using Cookie = std::uint32_t;
  virtual Cookie advise(std::shared_ptr<EventSink> sink);
  virtual void unadvise(Cookie cookie);
  // Sends an event to every subscribed sink; sinks may change by-reference arguments and
  // may subscribe or unsubscribe while it runs. Errors of a sink reach the caller.
  void raiseEvent(std::u16string_view name, std::vector<Variant>& args);
  bool hasSinks() const { return !sinks_.empty(); }

  // Convenience forms of invoke().
  Variant get(std::u16string_view name, std::vector<Variant> args = {});
  void let(std::u16string_view name, Variant value);
  void set(std::u16string_view name, ObjectPtr value);
  Variant call(std::u16string_view name, std::vector<Variant> args = {});
  // As call(), with by-reference results left in args.
  Variant callRef(std::u16string_view name, std::vector<Variant>& args);

 private:
  std::vector<std::pair<Cookie, std::shared_ptr<EventSink>>> sinks_;
  Cookie nextCookie_ = 1;
};

// Receives the events of the objects it is subscribed to.
class EventSink {
 public:
  virtual ~EventSink() = default;
  virtual void onEvent(Object& source, std::u16string_view name, std::vector<Variant>& args) = 0;
};

// An EventSink over a function, for C++ listeners.
class FunctionSink : public EventSink {
 public:
  using Handler = std::function<void(Object&, std::u16string_view, std::vector<Variant>&)>;
  explicit FunctionSink(Handler h) : handler_(std::move(h)) {}
  void onEvent(Object& source, std::u16string_view name, std::vector<Variant>& args) override {
    handler_(source, name, args);
  }

 private:
  Handler handler_;
};

// Reads a property of an object held in a Variant, raising 424 when it holds none and 91
// when it holds Nothing.
Variant getProperty(const Variant& object, std::u16string_view name);
ObjectPtr requireObject(const Variant& v);

}  // namespace quendel::automation

QUENDEL_EXPORT_END
