#include "music/files/privatefolder.h"

#include <QDir>
#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

namespace velmora {

namespace {

constexpr char Prefix[] = "velmora-";
constexpr char LockName[] = "lock";

// Calls `each` with the name of every entry of the directory open as `dir` but "." and "..".
template <typename Each>
void forEachEntry(int dir, Each each)
{
    const int listed = dup(dir);
    DIR *entries = listed < 0 ? nullptr : fdopendir(listed);
    if (!entries) {
        if (listed >= 0)
            close(listed);
        return;
    }
    while (const dirent *entry = readdir(entries)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            each(entry->d_name);
    }
    closedir(entries);
}

void removeIfLeft(int temp, const char *name)
{
    struct stat seen{};
    if (fstatat(temp, name, &seen, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(seen.st_mode) || seen.st_uid != getuid())
        return;
    const int folder = openat(temp, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder < 0)
        return;
    struct stat opened{};
    const int lock = openat(folder, LockName, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    // The folder looked at is the one opened, and its program no longer holds its lock.
    if (fstat(folder, &opened) == 0 && opened.st_dev == seen.st_dev && opened.st_ino == seen.st_ino && lock >= 0
        && flock(lock, LOCK_EX | LOCK_NB) == 0) {
        forEachEntry(folder, [folder](const char *entry) {
            struct stat inside{};
            if (fstatat(folder, entry, &inside, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISDIR(inside.st_mode))
                unlinkat(folder, entry, 0);
        });
        unlinkat(temp, name, AT_REMOVEDIR); // fails, harmlessly, on a folder that is not empty
    }
    if (lock >= 0)
        close(lock);
    close(folder);
}

} // namespace

PrivateFolder::PrivateFolder() : m_folder(QDir::temp().filePath(QStringLiteral("velmora-XXXXXX")))
{
    if (!m_folder.isValid())
        return;
    // Locked before it has its name, so that no start ever finds the lock free while it is in use.
    const QByteArray staged = QFile::encodeName(m_folder.filePath(QStringLiteral("lock.new")));
    const int lock = open(staged.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (lock < 0)
        return;
    if (flock(lock, LOCK_EX) != 0 || rename(staged.constData(), QFile::encodeName(m_folder.filePath(QLatin1String(LockName))).constData()) != 0) {
        close(lock);
        return;
    }
    m_lock = lock;
}

PrivateFolder::~PrivateFolder()
{
    // The folder goes first (QTemporaryDir's own destructor), its lock with the descriptor after.
    m_folder.remove();
    if (m_lock >= 0)
        close(m_lock);
}

void removeLeftPrivateFolders()
{
    const int temp = open(QFile::encodeName(QDir::tempPath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (temp < 0)
        return;
    forEachEntry(temp, [temp](const char *name) {
        if (std::strncmp(name, Prefix, sizeof Prefix - 1) == 0)
            removeIfLeft(temp, name);
    });
    close(temp);
}

} // namespace velmora
