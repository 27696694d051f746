// A GDI+ session for one test: started on construction, shut down when it goes out of
// scope. `status` is GdiplusStartup's answer.
//
//   Session s;
//   ASSERT_EQ(s.status, Ok);
#pragma once

#include "platform/gdiplus/gdiplus.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

class Session {
 public:
  Session() {
    GdiplusStartupInput in;
    status = GdiplusStartup(&token, &in, nullptr);
  }
  ~Session() { GdiplusShutdown(token); }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  Status status;
  ULONG_PTR token = 0;
};

QUENDEL_EXPORT_END
