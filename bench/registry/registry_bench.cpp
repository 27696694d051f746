// How fast the settings store writes and reads compared with Qt's QSettings in INI
// format, measured in one run on the same machine; exits 1 when a goal is missed.
//
//   registry_bench [reads] [writes] [rounds]   (default 20000 reads and 200 writes per
//                                               round, best of 5 rounds)
//
// Ours: SaveSetting (every call one committed transaction that any process sees at
// once), LoadSetting of the current version, LoadSetting through the fall-back to the
// newest of several earlier versions. Peer: QSettings::setValue followed by sync() for
// every write (the only way its file holds each value when the call returns), and
// QSettings::value for reads (served from its in-memory copy, which never learns of
// another process's writes). Durability differs and is printed beside each write figure:
// ours commits with synchronous=NORMAL (safe when the process is killed, not on power
// loss) and is measured again with QUENDEL_REGISTRY_SYNC=full (a flush per commit, as
// QSettings::sync() does). Everything lives in a temporary folder removed at the end.
#include <stdlib.h>

#include <QSettings>
#include <QString>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "support/codepage.h"
#include "toolvane/settings/qnd_quendel_settings.h"

using quendel::automation::String;
using quendel::automation::Variant;
using namespace quendel::toolvane;

namespace {

constexpr char16_t kTitle[] = u"Quendel - Bench";

String number(int i) { return String(quendel::cp::fromUtf8(std::to_string(i))); }

// Calls per second of the best round; round(r) makes count calls.
double perSecond(int rounds, int count, const std::function<void(int round)>& round) {
  double best = 0;
  for (int r = 0; r < rounds; ++r) {
    auto start = std::chrono::steady_clock::now();
    round(r);
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    best = std::max(best, count / s);
  }
  return best;
}

struct Goal {
  const char* what;
  double ratio, atLeast;
};

}  // namespace

int main(int argc, char** argv) {
  const int reads = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20000;
  const int writes = argc > 2 ? std::max(1, std::atoi(argv[2])) : 200;
  const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
  char pattern[] = "/tmp/quendel-registry-bench-XXXXXX";
  if (!mkdtemp(pattern)) {
    std::perror("mkdtemp");
    return 1;
  }
  const std::string dir = pattern;
  setenv("QUENDEL_REGISTRY_DIR", (dir + "/registry").c_str(), 1);
  unsetenv("QUENDEL_REGISTRY_SYNC");
  long failures = 0;

  qndQuendelSettings s;
  // Earlier versions beside the one the fall-back finds, as a program accumulates them.
  for (int minor = 0; minor < 8; ++minor) s.SaveSetting(u"", u"installed", rtLong, Variant(LONG{1}), kTitle, 0, minor);
  auto saveAll = [&](int r) {
    for (int i = 0; i < writes; ++i)
      if (!s.SaveSetting(u"Bench", u"v" + number(i), rtString, Variant(u"value " + number(i + r)), kTitle, 1, 0))
        ++failures;
  };
  const double ourWrites = perSecond(rounds, writes, saveAll);
  const double ourReads = perSecond(rounds, reads, [&](int) {
    bool ok = false;
    for (int i = 0; i < reads; ++i) {
      s.LoadSetting(u"Bench", u"v" + number(i % writes), rtString, kTitle, 1, 0, Variant::missing(), true, &ok);
      if (!ok) ++failures;
    }
  });
  const double ourFallbackReads = perSecond(rounds, reads, [&](int) {
    bool ok = false;
    for (int i = 0; i < reads; ++i) {
      s.LoadSetting(u"Bench", u"v" + number(i % writes), rtString, kTitle, 1, 1, Variant::missing(), true, &ok);
      if (!ok) ++failures;
    }
  });
  // The same writes committed with a flush each, into a hive of their own.
  setenv("QUENDEL_REGISTRY_DIR", (dir + "/registry-full").c_str(), 1);
  setenv("QUENDEL_REGISTRY_SYNC", "full", 1);
  const double ourFullWrites = perSecond(rounds, writes, saveAll);
  unsetenv("QUENDEL_REGISTRY_SYNC");

  QSettings q(QString::fromStdString(dir + "/peer.ini"), QSettings::IniFormat);
  const double peerWrites = perSecond(rounds, writes, [&](int r) {
    for (int i = 0; i < writes; ++i) {
      q.setValue(QString("Bench/v%1").arg(i), QString("value %1").arg(i + r));
      q.sync();
      if (q.status() != QSettings::NoError) ++failures;
    }
  });
  const double peerReads = perSecond(rounds, reads, [&](int) {
    for (int i = 0; i < reads; ++i)
      if (!q.value(QString("Bench/v%1").arg(i % writes)).isValid()) ++failures;
  });

  std::printf("per round: %d reads, %d writes; best of %d rounds\n", reads, writes, rounds);
  std::printf("%-46s %12.0f /s  (synchronous=NORMAL: survives a killed process)\n", "SaveSetting", ourWrites);
  std::printf("%-46s %12.0f /s  (synchronous=FULL: survives power loss)\n", "SaveSetting, QUENDEL_REGISTRY_SYNC=full",
              ourFullWrites);
  std::printf("%-46s %12.0f /s  (sync() after each: its file holds the value)\n", "QSettings setValue + sync",
              peerWrites);
  std::printf("%-46s %12.0f /s\n", "LoadSetting", ourReads);
  std::printf("%-46s %12.0f /s\n", "LoadSetting through the fall-back", ourFallbackReads);
  std::printf("%-46s %12.0f /s  (its own copy: blind to other processes)\n", "QSettings value", peerReads);

  const Goal goals[] = {
      {"writes  SaveSetting / QSettings+sync", ourWrites / peerWrites, 5},
      {"writes  SaveSetting full sync / QSettings+sync", ourFullWrites / peerWrites, 0},
      {"reads   LoadSetting / QSettings::value", ourReads / peerReads, 0.5},
      {"reads   fall-back / QSettings::value", ourFallbackReads / peerReads, 0.1},
  };
  int missed = 0;
  for (const Goal& g : goals) {
    bool met = g.ratio >= g.atLeast;
    if (g.atLeast > 0) {
      std::printf("ratio %-48s %8.3f  (goal >= %g)%s\n", g.what, g.ratio, g.atLeast, met ? "" : "  MISSED");
    } else {
      std::printf("ratio %-48s %8.3f  (for comparison)\n", g.what, g.ratio);
    }
    if (!met) ++missed;
  }
  if (failures) std::printf("FAILED calls: %ld\n", failures);

  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  return failures || missed ? 1 : 0;
}
