// quendel-clipboard-owner: serves the session's clipboard store on the desktop's X11
// CLIPBOARD selection, so that what a program put on the clipboard can still be pasted
// after that program has ended. Started on demand by the library (desktop_bridge.h) with
// the store's folder as its only argument; one per session (owner.lock). It ends when
// another program takes the selection over, when the display closes, or when the store's
// folder disappears.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <list>
#include <string>

#include "platform/clipboard/clipboard_formats.h"
#include "platform/clipboard/clipboard_store.h"
#include "platform/clipboard/desktop_bridge.h"
#include "platform/clipboard/desktop_conversions.h"
#include "platform/clipboard/x_selection.h"

using namespace quendel::clipboard;
using Clock = std::chrono::steady_clock;

namespace {

constexpr auto kTransferIdle = std::chrono::seconds(10);

struct Transfer {  // an INCR transfer to one requestor
  xcb_window_t requestor;
  xcb_atom_t property;
  xcb_atom_t type;
  std::string data;
  std::size_t sent = 0;
  bool finished = false;
  Clock::time_point last;
};

class Owner {
 public:
  Owner(XSession& x, std::string folder) : x_(x), folderPath_(std::move(folder)) {
    clipboard_ = x_.atom("CLIPBOARD");
    targets_ = x_.atom("TARGETS");
    timestamp_ = x_.atom("TIMESTAMP");
    multiple_ = x_.atom("MULTIPLE");
    atomPair_ = x_.atom("ATOM_PAIR");
    incr_ = x_.atom("INCR");
    changed_ = x_.atom(kChangedMessage);
    generation_ = x_.atom(kGenerationProperty);
    manager_ = x_.atom("CLIPBOARD_MANAGER");
    saveTargets_ = x_.atom("SAVE_TARGETS");
    saveProperty_ = x_.atom("_QUENDEL_SAVE");
  }

  bool takeOver(const SessionFolder& folder) {
    snapshot_ = readSnapshot(folder);
    UINT html = formatIdOf(folder, kHtmlFormatName);
    offers_ = offersFor(
        snapshot_.entries, [&](UINT id) { return formatNameOf(folder, id); }, html);
    offerAtoms_.clear();
    for (const auto& o : offers_) offerAtoms_.push_back(x_.atom(o.target));
    time_ = x_.serverTime();
    xcb_set_selection_owner(x_.conn(), x_.window(), clipboard_, time_);
    if (x_.selectionOwner(clipboard_) != x_.window()) return false;
    std::string gen = std::to_string(snapshot_.generation);
    xcb_change_property(x_.conn(), XCB_PROP_MODE_REPLACE, x_.window(), generation_, XCB_ATOM_STRING, 8,
                        static_cast<uint32_t>(gen.size()), gen.data());
    handToManager();
    xcb_flush(x_.conn());
    return true;
  }

  // False when the owner should end.
  bool handle(xcb_generic_event_t* e, const SessionFolder& folder) {
    switch (e->response_type & 0x7F) {
      case XCB_SELECTION_REQUEST: serve(*reinterpret_cast<xcb_selection_request_event_t*>(e)); return true;
      case XCB_SELECTION_CLEAR: return reinterpret_cast<xcb_selection_clear_event_t*>(e)->selection != clipboard_;
      case XCB_CLIENT_MESSAGE:
        if (reinterpret_cast<xcb_client_message_event_t*>(e)->type == changed_) return takeOver(folder);
        return true;
      case XCB_PROPERTY_NOTIFY: progress(*reinterpret_cast<xcb_property_notify_event_t*>(e)); return true;
      default: return true;
    }
  }

  void dropIdleTransfers() {
    auto now = Clock::now();
    transfers_.remove_if([&](const Transfer& t) { return now - t.last > kTransferIdle; });
  }

 private:
  void handToManager() {
    if (x_.selectionOwner(manager_) == XCB_WINDOW_NONE) return;
    xcb_change_property(x_.conn(), XCB_PROP_MODE_REPLACE, x_.window(), saveProperty_, XCB_ATOM_ATOM, 32,
                        static_cast<uint32_t>(offerAtoms_.size()), offerAtoms_.data());
    xcb_convert_selection(x_.conn(), x_.window(), manager_, saveTargets_, saveProperty_, time_);
  }

  // Writes one answer; false when the target is not offered.
  bool answer(xcb_window_t requestor, xcb_atom_t target, xcb_atom_t property) {
    if (target == targets_) {
      std::vector<xcb_atom_t> list = {targets_, timestamp_, multiple_};
      list.insert(list.end(), offerAtoms_.begin(), offerAtoms_.end());
      xcb_change_property(x_.conn(), XCB_PROP_MODE_REPLACE, requestor, property, XCB_ATOM_ATOM, 32,
                          static_cast<uint32_t>(list.size()), list.data());
      return true;
    }
    if (target == timestamp_) {
      xcb_change_property(x_.conn(), XCB_PROP_MODE_REPLACE, requestor, property, XCB_ATOM_INTEGER, 32, 1, &time_);
      return true;
    }
    for (std::size_t i = 0; i < offers_.size(); ++i) {
      if (offerAtoms_[i] != target) continue;
      auto bytes = exportTarget(offers_[i], snapshot_.entries);
      if (!bytes) return false;
      xcb_atom_t type = target;
      if (offers_[i].kind == TargetKind::Latin1Text) type = XCB_ATOM_STRING;
      if (bytes->size() > x_.maxChunk()) {
        const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(x_.conn(), requestor, XCB_CW_EVENT_MASK, &mask);
        uint32_t size = static_cast<uint32_t>(std::min<std::size_t>(bytes->size(), 0xFFFFFFFFu));
        xcb_change_property(x_.conn(), XCB_PROP_MODE_REPLACE, requestor, property, incr_, 32, 1, &size);
        transfers_.push_back(Transfer{requestor, property, type, std::move(*bytes), 0, false, Clock::now()});
      } else {
        xcb_change_property(x_.conn(), XCB_PROP_MODE_REPLACE, requestor, property, type, 8,
                            static_cast<uint32_t>(bytes->size()), bytes->data());
      }
      return true;
    }
    return false;
  }

  void serve(const xcb_selection_request_event_t& r) {
    xcb_atom_t property = r.property == XCB_ATOM_NONE ? r.target : xcb_atom_t{r.property};  // obsolete requestors
    bool ok = false;
    if (r.selection == clipboard_) {
      if (r.target == multiple_ && r.property != XCB_ATOM_NONE) {
        ok = answerMultiple(r.requestor, r.property);
      } else {
        ok = answer(r.requestor, r.target, property);
      }
    }
    xcb_selection_notify_event_t n{};
    n.response_type = XCB_SELECTION_NOTIFY;
    n.time = r.time;
    n.requestor = r.requestor;
    n.selection = r.selection;
    n.target = r.target;
    n.property = ok ? property : xcb_atom_t{XCB_ATOM_NONE};
    xcb_send_event(x_.conn(), 0, r.requestor, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&n));
    xcb_flush(x_.conn());
  }

  bool answerMultiple(xcb_window_t requestor, xcb_atom_t property) {
    auto pairs = x_.readProperty(requestor, property, nullptr, 64 * 1024);
    if (!pairs) return false;
    std::vector<xcb_atom_t> list = atomsOf(*pairs);
    for (std::size_t i = 0; i + 1 < list.size(); i += 2) {
      if (list[i] == multiple_ || !answer(requestor, list[i], list[i + 1])) list[i + 1] = XCB_ATOM_NONE;
    }
    xcb_change_property(x_.conn(), XCB_PROP_MODE_REPLACE, requestor, property, atomPair_, 32,
                        static_cast<uint32_t>(list.size()), list.data());
    return true;
  }

  void progress(const xcb_property_notify_event_t& p) {
    if (p.state != XCB_PROPERTY_DELETE) return;
    for (auto it = transfers_.begin(); it != transfers_.end(); ++it) {
      if (it->requestor != p.window || it->property != p.atom) continue;
      std::size_t n = std::min(x_.maxChunk(), it->data.size() - it->sent);
      xcb_change_property(x_.conn(), XCB_PROP_MODE_REPLACE, it->requestor, it->property, it->type, 8,
                          static_cast<uint32_t>(n), it->data.data() + it->sent);
      it->sent += n;
      it->last = Clock::now();
      if (n == 0) {  // the empty chunk that ends the transfer has gone out
        const uint32_t none = 0;
        xcb_change_window_attributes(x_.conn(), it->requestor, XCB_CW_EVENT_MASK, &none);
        transfers_.erase(it);
      }
      xcb_flush(x_.conn());
      return;
    }
  }

  XSession& x_;
  std::string folderPath_;
  Snapshot snapshot_;
  std::vector<Offer> offers_;
  std::vector<xcb_atom_t> offerAtoms_;
  std::list<Transfer> transfers_;
  xcb_timestamp_t time_ = XCB_CURRENT_TIME;
  xcb_atom_t clipboard_, targets_, timestamp_, multiple_, atomPair_, incr_, changed_, generation_, manager_,
      saveTargets_, saveProperty_;
};

bool stillOurs(const std::string& folder, ino_t lockInode) {
  struct stat st {};
  return ::stat((folder + "/owner.lock").c_str(), &st) == 0 && st.st_ino == lockInode;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    (void)std::fprintf(stderr, "usage: quendel-clipboard-owner STORE-FOLDER\n");  // the status tells
    return 2;
  }
  ::setenv("QUENDEL_CLIPBOARD_DIR", argv[1], 1);
  auto folder = SessionFolder::open();
  if (!folder) return 1;
  int lockFd = ::open(folder->file("owner.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (lockFd < 0 || ::flock(lockFd, LOCK_EX | LOCK_NB) != 0) return 0;  // another owner serves
  struct stat lockStat {};
  ::fstat(lockFd, &lockStat);
  auto x = XSession::connect();
  if (!x) return 1;
  Owner owner(*x, folder->path());
  {
    std::string tmp = folder->file("owner.window.tmp");
    // Only a whole record replaces the published one: readers never see half of it.
    if (FILE* f = std::fopen(tmp.c_str(), "w")) {
      const bool written = std::fprintf(f, "%u %d\n", x->window(), static_cast<int>(::getpid())) > 0;
      const bool closed = std::fclose(f) == 0;
      if (!written || !closed || ::rename(tmp.c_str(), folder->file("owner.window").c_str()) != 0) {
        (void)std::remove(tmp.c_str());  // a leftover of a failed write, if any
        (void)std::fprintf(stderr, "quendel-clipboard-owner: cannot publish %s\n", tmp.c_str());
      }
    }
  }
  bool running = owner.takeOver(*folder);
  while (running && !x->broken()) {
    while (running) {
      xcb_generic_event_t* e = xcb_poll_for_event(x->conn());
      if (!e) break;
      running = owner.handle(e, *folder);
      std::free(e);
    }
    if (!running) break;
    pollfd p{xcb_get_file_descriptor(x->conn()), POLLIN, 0};
    if (::poll(&p, 1, 1000) == 0) {
      owner.dropIdleTransfers();
      if (!stillOurs(folder->path(), lockStat.st_ino)) break;
    }
  }
  if (stillOurs(folder->path(), lockStat.st_ino)) ::unlink(folder->file("owner.window").c_str());
  return 0;
}
