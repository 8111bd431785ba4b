#pragma once

#include <QString>
#include <QTemporaryDir>

namespace velmora {

// A folder of the program's own in TMPDIR ("velmora-XXXXXX"), removed with it. It holds a lock that
// its program keeps while it lives, so that a later start can tell a folder that a killed program
// left behind from one in use.
class PrivateFolder
{
public:
    PrivateFolder();
    ~PrivateFolder();
    PrivateFolder(const PrivateFolder &) = delete;
    PrivateFolder &operator=(const PrivateFolder &) = delete;

    bool isValid() const { return m_lock >= 0; }
    QString filePath(const QString &name) const { return m_folder.filePath(name); }

private:
    QTemporaryDir m_folder;
    int m_lock = -1;
};

// Removes what killed programs left: each "velmora-*" entry directly in TMPDIR that is a real
// directory of this user and whose lock is free, emptied without following a link. Nothing else is
// touched, a folder in use or without a lock included.
void removeLeftPrivateFolders();

} // namespace velmora
