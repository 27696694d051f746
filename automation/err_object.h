// ErrObject: the client's run-time error object, as members read it by name: Number,
// Description, Source, HelpFile, HelpContext; Clear and Raise.
//
//   auto err = ErrObject::create(RuntimeError(53).info());
//   qndErr->call(u"GetErrorMessage", {Variant(err)});
#pragma once

#include "automation/dispatch.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::automation {

class ErrObject : public Object {
 public:
  static std::shared_ptr<ErrObject> create(ErrorInfo info = {});
  explicit ErrObject(ErrorInfo info) : info_(std::move(info)) {}

  const ErrorInfo& info() const { return info_; }
  ErrorInfo& info() { return info_; }
  void Clear() { info_ = ErrorInfo{}; }
  // Raises the run-time error this object describes (Raise: the number is required).
  [[noreturn]] void Raise(LONG number, const Variant& source, const Variant& description, const Variant& helpFile,
                          const Variant& helpContext);

  String className() const override { return u"ErrObject"; }
  const ClassDesc* classDesc() const override;

 private:
  ErrorInfo info_;
};

}  // namespace quendel::automation

QUENDEL_EXPORT_END
