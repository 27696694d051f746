// The member table of qndRegistry, in slot order.
#include "toolvane/frame/class_ids.h"
#include "toolvane/frame/class_registration.h"
#include "toolvane/settings/qnd_registry.h"

namespace quendel::toolvane {

namespace {

// A Collection result: the object, or Nothing.
Variant collectionOrNothing(std::shared_ptr<Collection> c) {
  return c ? Variant(ObjectPtr(std::move(c))) : Variant::nothing();
}

ParamDesc optionalByRefBoolean(std::u16string_view name) {
  return ParamDesc{String(name), vbBoolean, kIn | kOut | kOptional, {}};
}

}  // namespace

const ClassDesc& qndRegistry::describe() {
  using C = qndRegistry;
  const auto root = [] { return param(u"RegistryRoot", vbLong); };
  const auto subKey = [] { return param(u"SubKey", vbString); };
  const auto valueName = [] { return optionalParam(u"ValueName", vbString, Variant(String())); };
  const auto valueType = [] { return optionalParam(u"ValueType", vbLong, Variant(LONG{rtString})); };
  static const ClassDesc d =
      ClassBuilder<C>(u"qndRegistry")
          .ids(ids::qndRegistry.clsid, ids::qndRegistry.iid)
          .instancing(Instancing::Creatable)
          .creator([] { return std::make_shared<qndRegistry>(); })
          .get(u"LastRegError", vbLong, [](C& r, CallArgs&) { return Variant(r.LastRegError()); })
          .function(u"GetValue", vbVariant,
                    {root(), subKey(), valueName(), valueType(), optionalByRefBoolean(u"Success")},
                    [](C& r, CallArgs& a) {
                      bool ok = false;
                      Variant v = r.GetValue(a.lng(0), a.str(1), a.str(2), a.lng(3), &ok);
                      a.ref(4) = Variant(ok);
                      return v;
                    })
          .function(u"SetValue", vbBoolean,
                    {root(), subKey(), valueName(), valueType(), optionalParam(u"Value", vbVariant, Variant(String())),
                     optionalParam(u"KeyAlreadyExist", vbBoolean, Variant(false), kIn | kOut)},
                    [](C& r, CallArgs& a) {
                      bool existed = a.isMissing(5) ? false : a.boolean(5);
                      bool ok = r.SetValue(a.lng(0), a.str(1), a.str(2), a.lng(3), a[4], &existed);
                      a.ref(5) = Variant(existed);
                      return Variant(ok);
                    })
          .function(u"DeleteValue", vbBoolean, {root(), subKey(), valueName()},
                    [](C& r, CallArgs& a) { return Variant(r.DeleteValue(a.lng(0), a.str(1), a.str(2))); })
          .function(u"DeleteKey", vbBoolean, {root(), subKey()},
                    [](C& r, CallArgs& a) { return Variant(r.DeleteKey(a.lng(0), a.str(1))); })
          .function(u"DeleteKeyRecurse", vbBoolean, {root(), subKey()},
                    [](C& r, CallArgs& a) { return Variant(r.DeleteKeyRecurse(a.lng(0), a.str(1))); })
          .function(u"GetSubKeysNames", vbObject, {root(), subKey()},
                    [](C& r, CallArgs& a) { return collectionOrNothing(r.GetSubKeysNames(a.lng(0), a.str(1))); })
          .function(u"GetValuesNames", vbObject, {root(), subKey()},
                    [](C& r, CallArgs& a) { return collectionOrNothing(r.GetValuesNames(a.lng(0), a.str(1))); })
          .function(u"CreateKey", vbBoolean,
                    {root(), subKey(), optionalParam(u"KeyAlreadyExist", vbBoolean, Variant(false), kIn | kOut)},
                    [](C& r, CallArgs& a) {
                      bool existed = a.isMissing(2) ? false : a.boolean(2);
                      bool ok = r.CreateKey(a.lng(0), a.str(1), &existed);
                      a.ref(2) = Variant(existed);
                      return Variant(ok);
                    })
          .function(u"IsKeyExist", vbBoolean, {root(), subKey()},
                    [](C& r, CallArgs& a) { return Variant(r.IsKeyExist(a.lng(0), a.str(1))); })
          .build();
  return d;
}

static const ClassRegistration registration(ids::qndRegistry.clsid, &qndRegistry::describe);

}  // namespace quendel::toolvane
