// How fast the settings store writes and reads compared with Qt's QSettings in INI
// format, measured in one run on the same machine.
//
//   registry_bench [values]      (default 2000 values per round, best of 3 rounds)
//
// Ours: SaveSetting (every call one committed transaction that any process sees at
// once), LoadSetting of the current version, LoadSetting through the fall-back to the
// newest of several earlier versions. Peer: QSettings::setValue followed by sync() for
// every write (the only way its file holds each value when the call returns), and
// QSettings::value for reads (served from its in-memory copy). Everything lives in a
// temporary folder that is removed at the end.
#include <stdlib.h>

#include <QSettings>
#include <QString>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "support/codepage.h"
#include "toolvane/settings/qnd_quendel_settings.h"

using quendel::automation::String;
using quendel::automation::Variant;
using namespace quendel::toolvane;

namespace {

constexpr char16_t kTitle[] = u"Quendel - Bench";

String number(int i) { return String(quendel::cp::fromUtf8(std::to_string(i))); }

// Calls per second of the best of three rounds; fail counts the calls that went wrong.
double perSecond(int count, const std::function<void(int round)>& round) {
  double best = 0;
  for (int r = 0; r < 3; ++r) {
    auto start = std::chrono::steady_clock::now();
    round(r);
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    best = std::max(best, count / s);
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  const int n = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
  char pattern[] = "/tmp/quendel-registry-bench-XXXXXX";
  if (!mkdtemp(pattern)) {
    std::perror("mkdtemp");
    return 1;
  }
  const std::string dir = pattern;
  setenv("QUENDEL_REGISTRY_DIR", (dir + "/registry").c_str(), 1);
  long failures = 0;

  qndQuendelSettings s;
  // Earlier versions beside the one the fall-back finds, as a program accumulates them.
  for (int minor = 0; minor < 8; ++minor) s.SaveSetting(u"", u"installed", rtLong, Variant(LONG{1}), kTitle, 0, minor);

  const double ourWrites = perSecond(n, [&](int r) {
    for (int i = 0; i < n; ++i)
      if (!s.SaveSetting(u"Bench", u"v" + number(i), rtString, Variant(u"value " + number(i + r)), kTitle, 1, 0))
        ++failures;
  });
  const double ourReads = perSecond(n, [&](int) {
    bool ok = false;
    for (int i = 0; i < n; ++i) {
      s.LoadSetting(u"Bench", u"v" + number(i), rtString, kTitle, 1, 0, Variant::missing(), true, &ok);
      if (!ok) ++failures;
    }
  });
  const int fallbackCount = std::max(1, n / 4);
  const double ourFallbackReads = perSecond(fallbackCount, [&](int) {
    bool ok = false;
    for (int i = 0; i < fallbackCount; ++i) {
      s.LoadSetting(u"Bench", u"v" + number(i), rtString, kTitle, 1, 1, Variant::missing(), true, &ok);
      if (!ok) ++failures;
    }
  });

  QSettings q(QString::fromStdString(dir + "/peer.ini"), QSettings::IniFormat);
  const double peerWrites = perSecond(n, [&](int r) {
    for (int i = 0; i < n; ++i) {
      q.setValue(QString("Bench/v%1").arg(i), QString("value %1").arg(i + r));
      q.sync();
      if (q.status() != QSettings::NoError) ++failures;
    }
  });
  const double peerReads = perSecond(n, [&](int) {
    for (int i = 0; i < n; ++i)
      if (!q.value(QString("Bench/v%1").arg(i)).isValid()) ++failures;
  });

  std::printf("values per round: %d (fall-back reads: %d), best of 3 rounds\n", n, fallbackCount);
  std::printf("%-44s %12.0f /s\n", "SaveSetting", ourWrites);
  std::printf("%-44s %12.0f /s\n", "QSettings setValue + sync", peerWrites);
  std::printf("%-44s %12.0f /s\n", "LoadSetting", ourReads);
  std::printf("%-44s %12.0f /s\n", "LoadSetting through the fall-back", ourFallbackReads);
  std::printf("%-44s %12.0f /s\n", "QSettings value", peerReads);
  std::printf("ratio writes   SaveSetting / QSettings+sync:  %8.2f  (goal >= 5)\n", ourWrites / peerWrites);
  std::printf("ratio reads    LoadSetting / QSettings::value: %8.3f  (goal >= 0.5)\n", ourReads / peerReads);
  std::printf("ratio reads    fall-back   / QSettings::value: %8.3f\n", ourFallbackReads / peerReads);
  if (failures) std::printf("FAILED calls: %ld\n", failures);

  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  return failures ? 1 : 0;
}
