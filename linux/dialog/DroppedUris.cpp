#include "linux/dialog/DroppedUris.h"

#include <QByteArray>
#include <QSysInfo>

namespace {

bool ThisComputer(const QString& host)
{
    return host.isEmpty() || host.compare("localhost", Qt::CaseInsensitive) == 0 ||
           host.compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) == 0;
}

}  // namespace

// Decoded from the URI's encoded path, not through QString: a name's bytes
// need not be UTF-8, and only the bytes name the item.
std::vector<std::string> LocalPaths(const QList<QUrl>& uris, QStringList& refused)
{
    std::vector<std::string> paths;
    for (const QUrl& uri : uris) {
        const QByteArray encoded = uri.path(QUrl::FullyEncoded).toLatin1();
        const QByteArray path = QByteArray::fromPercentEncoding(encoded);
        if (!uri.isValid() || uri.scheme() != "file" || !ThisComputer(uri.host()) || !path.startsWith('/') ||
            path.contains('\0') || uri.hasQuery() || uri.hasFragment()) {
            refused.push_back(uri.toDisplayString());
            continue;
        }
        paths.emplace_back(path.constData(), static_cast<std::size_t>(path.size()));
    }
    return paths;
}
