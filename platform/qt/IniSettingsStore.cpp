#include "IniSettingsStore.h"
#include "QtText.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tabulant::platform {

namespace {

QString keyOf(std::string_view key) {
    return QString::fromLatin1(IniSettingsStore::Section) + QLatin1Char('/') + ToQString(key);
}

// The file must be private before the first value reaches it: QSettings saves through a
// temporary file that takes over the mode of the existing file, but a new file would get the
// umask's mode, readable by everyone with the usual 022.
bool makePrivateFile(const std::string& path) {
    const QString dir = QFileInfo(QString::fromStdString(path)).absolutePath();
    if (!QDir(dir).exists()) {
        if (!QDir().mkpath(dir)) return false;
        ::chmod(QFile::encodeName(dir).constData(), 0700);
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    struct stat st {};
    const bool ok =
        ::fstat(fd, &st) == 0 && ((st.st_mode & 07777) == 0600 || ::fchmod(fd, 0600) == 0);
    ::close(fd);
    return ok;
}

} // namespace

IniSettingsStore::IniSettingsStore() : IniSettingsStore(DefaultPath()) {}

IniSettingsStore::IniSettingsStore(std::string filePath)
    : path_(std::move(filePath)),
      settings_(std::make_unique<QSettings>(QString::fromStdString(path_), QSettings::IniFormat)) {
    settings_->setAtomicSyncRequired(true);
    // An existing file gets its mode mended at once, not only at the next change.
    struct stat st {};
    if (::stat(path_.c_str(), &st) == 0 && (st.st_mode & 07777) != 0600)
        ::chmod(path_.c_str(), 0600);
}

IniSettingsStore::~IniSettingsStore() = default;

std::string IniSettingsStore::DefaultPath() {
    const QSettings user(QSettings::IniFormat, QSettings::UserScope,
                         QString::fromLatin1(Organization), QString::fromLatin1(Section));
    return user.fileName().toStdString();
}

std::string IniSettingsStore::Read(std::string_view key, std::string_view defaultValue) const {
    const QVariant value = settings_->value(keyOf(key));
    if (!value.isValid()) return std::string(defaultValue);
    // A hand-edited line "a, b" without quotes comes back as a list; keep its text.
    if (value.userType() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1String(", ")).toStdString();
    return value.toString().toStdString();
}

void IniSettingsStore::Write(std::string_view key, std::string_view value) {
    if (!makePrivateFile(path_)) {
        lastWriteSucceeded_ = false;
        return;
    }
    settings_->setValue(keyOf(key), ToQString(value));
    settings_->sync();
    lastWriteSucceeded_ = settings_->status() == QSettings::NoError;
}

} // namespace tabulant::platform
