#include "platform/clipboard/desktop_bridge.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <thread>

#include "platform/clipboard/clipboard.h"
#include "platform/clipboard/desktop_conversions.h"
#include "platform/clipboard/x_selection.h"
#include "support/quendelsupport.h"

namespace quendel::clipboard {
namespace {

constexpr int kConvertTimeoutMs = 2000;
constexpr int kOwnerStartMs = 10000;
constexpr int kAckTimeoutMs = 5000;

void debugLine(const std::string& text) {
  std::u16string t;
  for (char c : text) t.push_back(static_cast<unsigned char>(c));
  (void)asOutputDebugString(t);
}

std::uint64_t fnv(std::uint64_t h, std::string_view s) {
  for (unsigned char c : s) h = (h ^ c) * 0x100000001B3ull;
  // Lengths too, so that moving bytes between targets changes the print.
  for (int i = 0; i < 8; ++i) h = (h ^ ((s.size() >> (8 * i)) & 0xFF)) * 0x100000001B3ull;
  return h;
}

bool ownerAlive(const SessionFolder& folder) {
  int fd = ::open(folder.file("owner.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
  ::close(fd);
  return held;
}

void spawnOwner(const SessionFolder& folder, const std::string& program) {
  // Everything the child needs is prepared before fork: only async-signal-safe calls follow.
  const std::string& dir = folder.path();
  char* const argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(dir.c_str()), nullptr};
  const bool keepErrors = std::getenv("QUENDEL_DEBUG") != nullptr;
  pid_t child = ::fork();
  if (child < 0) return;
  if (child == 0) {
    ::setsid();
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    if (::fork() != 0) ::_exit(0);  // the owner is nobody's child: no zombie, no shared fate
    int null = ::open("/dev/null", O_RDWR);
    if (null >= 0) {
      ::dup2(null, 0);
      ::dup2(null, 1);
      if (!keepErrors) ::dup2(null, 2);
    }
    ::close_range(3, ~0u, 0);
    ::execv(program.c_str(), argv);
    ::_exit(127);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
}

std::uint32_t waitForOwner(const SessionFolder& folder) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kOwnerStartMs);
  while (std::chrono::steady_clock::now() < deadline) {
    if (std::uint32_t w = runningOwnerWindow(folder)) return w;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return 0;
}

std::uint64_t ownerGeneration(XSession& x, xcb_window_t owner) {
  auto v = x.readProperty(owner, x.atom(kGenerationProperty), nullptr, 64);
  return v ? std::strtoull(v->c_str(), nullptr, 10) : 0;
}

bool acknowledged(XSession& x, xcb_window_t owner, std::uint64_t generation, xcb_atom_t clipboard) {
  return ownerGeneration(x, owner) >= generation && x.selectionOwner(clipboard) == owner;
}

bool notifyOwner(XSession& x, xcb_window_t owner, std::uint64_t generation) {
  const xcb_atom_t clipboard = x.atom("CLIPBOARD");
  const xcb_atom_t genProp = x.atom(kGenerationProperty);
  const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
  if (auto* err = xcb_request_check(x.conn(),
                                    xcb_change_window_attributes_checked(x.conn(), owner, XCB_CW_EVENT_MASK, &mask))) {
    std::free(err);  // the window is gone
    return false;
  }
  if (acknowledged(x, owner, generation, clipboard)) return true;
  xcb_client_message_event_t m{};
  m.response_type = XCB_CLIENT_MESSAGE;
  m.format = 32;
  m.window = owner;
  m.type = x.atom(kChangedMessage);
  m.data.data32[0] = static_cast<uint32_t>(generation);
  m.data.data32[1] = static_cast<uint32_t>(generation >> 32);
  xcb_send_event(x.conn(), 0, owner, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&m));
  xcb_flush(x.conn());
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kAckTimeoutMs);
  for (;;) {
    int left = static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count());
    if (left <= 0) return false;
    bool gone = false;
    auto e = x.waitFor(
        [&](xcb_generic_event_t* ev) {
          int type = ev->response_type & 0x7F;
          if (type == XCB_DESTROY_NOTIFY) gone = true;
          return type == XCB_DESTROY_NOTIFY ||
                 (type == XCB_PROPERTY_NOTIFY && reinterpret_cast<xcb_property_notify_event_t*>(ev)->atom == genProp);
        },
        left);
    if (gone || !e) return false;
    if (acknowledged(x, owner, generation, clipboard)) return true;
  }
}

}  // namespace

bool desktopBridgeEnabled() {
  const char* d = std::getenv("DISPLAY");
  const char* off = std::getenv("QUENDEL_CLIPBOARD_DESKTOP");
  return d && *d && !(off && std::strcmp(off, "0") == 0);
}

std::string ownerProgramPath() {
  if (const char* p = std::getenv("QUENDEL_CLIPBOARD_OWNER"); p && *p) return p;
  Dl_info info{};
  if (::dladdr(reinterpret_cast<void*>(&ownerProgramPath), &info) && info.dli_fname) {
    std::string lib = info.dli_fname;
    std::string dir = lib.substr(0, lib.rfind('/') == std::string::npos ? 0 : lib.rfind('/'));
    if (dir.empty()) dir = ".";
    for (const char* rel : {"/../bin/", "/", "/../libexec/quendel/"}) {
      std::string candidate = dir + rel + "quendel-clipboard-owner";
      if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
  }
  return {};
}

std::uint32_t runningOwnerWindow(const SessionFolder& folder, int* pid) {
  if (!ownerAlive(folder)) return 0;
  std::ifstream in(folder.file("owner.window"));
  unsigned long window = 0;
  long p = 0;
  if (!(in >> window >> p) || window == 0 || window > 0xFFFFFFFFul) return 0;
  if (pid) *pid = static_cast<int>(p);
  return static_cast<std::uint32_t>(window);
}

bool importFromDesktop(const SessionFolder& folder, const Snapshot& current, Snapshot* imported) {
  if (!desktopBridgeEnabled()) return false;
  auto x = XSession::connect();
  if (!x) return false;
  const xcb_atom_t clipboard = x->atom("CLIPBOARD");
  const xcb_window_t owner = x->selectionOwner(clipboard);
  if (owner == XCB_WINDOW_NONE || owner == runningOwnerWindow(folder)) return false;
  auto targetList = x->convert(clipboard, x->atom("TARGETS"), kConvertTimeoutMs);
  if (!targetList) return false;
  std::vector<std::string> targets;
  for (xcb_atom_t a : atomsOf(*targetList)) {
    if (auto n = x->atomName(a)) targets.push_back(*n);
  }
  IdOf idOf = [&](const std::string& name) { return formatIdOf(folder, name); };
  std::map<std::string, std::string> fetched;
  std::uint64_t print = fnv(0xCBF29CE484222325ull, std::to_string(owner));
  for (const auto& t : importPlan(targets, idOf)) {
    auto bytes = x->convert(clipboard, x->atom(t), kConvertTimeoutMs);
    if (!bytes) continue;
    print = fnv(fnv(print, t), *bytes);
    fetched.emplace(t, std::move(*bytes));
  }
  if (print == current.desktopFingerprint) return false;
  imported->entries = importEntries(fetched, idOf, registerFormatName(folder, kHtmlFormatName), GetThreadLocale());
  imported->desktopFingerprint = print;
  return true;
}

void publishToDesktop(const SessionFolder& folder, std::uint64_t generation) {
  if (!desktopBridgeEnabled()) return;
  // A server that is resetting after its last client left refuses for a moment.
  auto x = XSession::connect();
  for (int retry = 0; !x && retry < 3; ++retry) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    x = XSession::connect();
  }
  if (!x) {
    debugLine("clipboard: the display cannot be reached; the desktop does not see the clipboard");
    return;
  }
  for (int attempt = 0; attempt < 2; ++attempt) {
    std::uint32_t owner = runningOwnerWindow(folder);
    if (!owner) {
      std::string program = ownerProgramPath();
      if (program.empty()) {
        debugLine("clipboard: quendel-clipboard-owner not found; the desktop does not see the clipboard");
        return;
      }
      spawnOwner(folder, program);
      owner = waitForOwner(folder);
      if (!owner) continue;
    }
    if (notifyOwner(*x, owner, generation)) return;
  }
  debugLine("clipboard: the owner process did not take the desktop clipboard");
}

}  // namespace quendel::clipboard
