#pragma once

#include <QList>
#include <QStringList>
#include <QUrl>

#include <string>
#include <vector>

// The local paths a drop's URIs name, as the file system's own bytes: a
// file:// URI without a host, or with this computer's, percent-decoded.
// Every other URI is refused, as the user gave it.
std::vector<std::string> LocalPaths(const QList<QUrl>& uris, QStringList& refused);
