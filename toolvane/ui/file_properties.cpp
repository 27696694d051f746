#include "toolvane/ui/file_properties.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QUrl>

namespace quendel::toolvane::ui {

bool showFileProperties(const BStr& path) {
  if (path.empty()) return false;
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return false;
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
      QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItemProperties"));
  QString file = QString::fromUtf16(path.data(), static_cast<qsizetype>(path.size()));
  call << QStringList{QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded)} << QString();
  // The file manager's window is its own; the call is not waited for.
  return bus.send(call);
}

}  // namespace quendel::toolvane::ui
