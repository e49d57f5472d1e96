// Reading .cur files: the shipped hand pointer, every bitmap depth the reader claims, PNG images,
// and damaged files, which must fail with "Invalid picture" rather than crash or load garbage.
#include "shell/widgets/CursorFile.h"
#include "platform/Error.h"

#include <QBuffer>
#include <QFile>
#include <QtEndian>
#include <QtTest>

using tabulant::shell::ReadCursorFile;

namespace {

void put16(QByteArray& b, quint16 v) { b.append(char(v & 0xFF)).append(char(v >> 8)); }
void put32(QByteArray& b, quint32 v) {
    put16(b, quint16(v & 0xFFFF));
    put16(b, quint16(v >> 16));
}

// A cursor file with one image and the hotspot (hx, hy).
QByteArray wrap(const QByteArray& image, int w, int h, int hx, int hy) {
    QByteArray b;
    put16(b, 0);
    put16(b, 2);
    put16(b, 1);
    b.append(char(w)).append(char(h)).append(char(0)).append(char(0));
    put16(b, quint16(hx));
    put16(b, quint16(hy));
    put32(b, quint32(image.size()));
    put32(b, 22);
    return b + image;
}

QByteArray infoHeader(int w, int h, int bits, int colours = 0) {
    QByteArray b;
    put32(b, 40);
    put32(b, quint32(w));
    put32(b, quint32(h * 2));
    put16(b, 1);
    put16(b, quint16(bits));
    put32(b, 0);
    put32(b, 0);
    put32(b, 0);
    put32(b, 0);
    put32(b, quint32(colours));
    put32(b, 0);
    return b;
}

QByteArray padRow(QByteArray row) {
    while (row.size() % 4) row.append(char(0));
    return row;
}

// A 2x2 image, top row red | green, bottom row blue | (masked out). Rows are stored bottom-up.
QByteArray bitmap2x2(int bits) {
    const QRgb colours[4] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(9, 9, 9)};
    QByteArray b = infoHeader(2, 2, bits, bits <= 8 ? 4 : 0);
    if (bits <= 8)
        for (QRgb c : colours)
            b.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c))).append(char(0));
    const int rows[2][2] = {{2, 3}, {0, 1}}; // bottom row first
    for (const auto& row : rows) {
        QByteArray line;
        if (bits == 4)
            line.append(char(row[0] << 4 | row[1]));
        else if (bits == 8)
            line.append(char(row[0])).append(char(row[1]));
        else if (bits == 1)
            line.append(char((row[0] & 1) << 7 | (row[1] & 1) << 6));
        else
            for (int i : row) {
                line.append(char(qBlue(colours[i])))
                    .append(char(qGreen(colours[i])))
                    .append(char(qRed(colours[i])));
                if (bits == 32) line.append(char(0)); // alpha left at zero: the mask decides
            }
        b += padRow(line);
    }
    // AND mask, bottom row first: the bottom right pixel is transparent.
    b += padRow(QByteArray(1, char(0x40)));
    b += padRow(QByteArray(1, char(0x00)));
    return b;
}

} // namespace

class CursorFileTest : public QObject {
    Q_OBJECT
private slots:
    void shippedHandCursor() {
        QFile f(QStringLiteral(TABULANT_HAND_CURSOR));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const auto cursor = ReadCursorFile(f.readAll());
        QCOMPARE(cursor.image.size(), QSize(32, 32));
        QCOMPARE(cursor.hotspot, QPoint(6, 0));
        QCOMPARE(qAlpha(cursor.image.pixel(6, 0)), 255); // the fingertip's outline
        QCOMPARE(cursor.image.pixel(6, 2), qRgb(255, 255, 255));
        QCOMPARE(qAlpha(cursor.image.pixel(31, 31)), 0);
    }

    void bitmapDepths_data() {
        QTest::addColumn<int>("bits");
        QTest::newRow("1 bit: two palette entries") << 1;
        QTest::newRow("4 bits") << 4;
        QTest::newRow("8 bits") << 8;
        QTest::newRow("24 bits") << 24;
        QTest::newRow("32 bits without alpha") << 32;
    }
    void bitmapDepths() {
        QFETCH(int, bits);
        const auto cursor = ReadCursorFile(wrap(bitmap2x2(bits), 2, 2, 1, 0));
        QCOMPARE(cursor.image.size(), QSize(2, 2));
        QCOMPARE(cursor.hotspot, QPoint(1, 0));
        QCOMPARE(cursor.image.pixel(0, 0), qRgb(255, 0, 0));
        // With one bit the second palette entry stands for every odd index.
        QCOMPARE(cursor.image.pixel(1, 0), qRgb(0, 255, 0));
        if (bits != 1) QCOMPARE(cursor.image.pixel(0, 1), qRgb(0, 0, 255));
        QCOMPARE(qAlpha(cursor.image.pixel(1, 1)), 0);
    }

    void pngImage() {
        QImage image(3, 2, QImage::Format_ARGB32);
        image.fill(qRgba(10, 20, 30, 128));
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(image.save(&buffer, "PNG"));
        const auto cursor = ReadCursorFile(wrap(png, 3, 2, 2, 1));
        QCOMPARE(cursor.image.size(), QSize(3, 2));
        QCOMPARE(cursor.hotspot, QPoint(2, 1));
        QCOMPARE(qAlpha(cursor.image.pixel(0, 0)), 128);
    }

    void damagedFiles_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray good = wrap(bitmap2x2(8), 2, 2, 0, 0);
        QByteArray iconType = good;
        iconType[2] = 1;
        QByteArray noImages = good;
        noImages[4] = 0;
        QByteArray offsetPastEnd = good;
        offsetPastEnd[18] = char(0x7F);
        QByteArray sixteenBits = good;
        sixteenBits[22 + 14] = 16;
        QByteArray hugeWidth = good;
        hugeWidth[22 + 6] = char(0x40);
        QByteArray badPng = wrap(QByteArray("\x89PNG\r\n\x1a\n broken", 16), 2, 2, 0, 0);
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("text") << QByteArray(
            "this is not a cursor, only a text file of some length");
        QTest::newRow("icon, not cursor") << iconType;
        QTest::newRow("no images") << noImages;
        QTest::newRow("image offset past the end") << offsetPastEnd;
        QTest::newRow("truncated pixels") << good.left(good.size() - 12);
        QTest::newRow("16 bits a pixel") << sixteenBits;
        QTest::newRow("huge width") << hugeWidth;
        QTest::newRow("broken PNG") << badPng;
    }
    void damagedFiles() {
        QFETCH(QByteArray, bytes);
        try {
            ReadCursorFile(bytes);
            QFAIL("a damaged file was read");
        } catch (const tabulant::platform::Error& e) {
            QCOMPARE(e.number(), 481L);
            QCOMPARE(QString::fromStdString(e.description()), QStringLiteral("Invalid picture"));
        }
    }
};

QTEST_GUILESS_MAIN(CursorFileTest)
#include "CursorFileTest.moc"
