#include "Form1Harness.h"

#include <QDir>
#include <QLineEdit>

namespace tabulant::testing {

QString Form1Harness::text(const char* box) const { return child<QLineEdit>(box)->text(); }

void Form1Harness::writeFile(const QString& relative, const QByteArray& bytes) const {
    const QString path = folder.filePath(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
    f.write(bytes);
}

} // namespace tabulant::testing
