#pragma once

#include <QByteArray>
#include <QCursor>
#include <QImage>
#include <QPoint>
#include <QString>

#include <string>

namespace tabulant::shell {

// One image of a Windows cursor file (.cur): the picture with its transparency and the hotspot.
struct CursorImage {
    QImage image;
    QPoint hotspot;
};

// Reads the first image of a .cur file: an icon-style directory whose entry carries the hotspot,
// and an image that is either a PNG or a device-independent bitmap (1, 4, 8, 24 or 32 bits per
// pixel, followed by its AND mask). Throws platform::Error 481 "Invalid picture" for anything
// else. Needs no running application.
CursorImage ReadCursorFile(const QByteArray& bytes);

// Loads the file at `path` as a cursor. Throws platform::Error when it cannot be read or is not a
// cursor. Needs a QGuiApplication.
QCursor LoadCursorFile(const QString& path);

// Where every window looks for its hand pointer: the program folder's "HAND-M.CUR".
std::string HandCursorPath();

} // namespace tabulant::shell
