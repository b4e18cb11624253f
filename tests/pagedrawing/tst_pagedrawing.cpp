// The month's page as the page drawing makes it: the days and their colours, the month's
// picture read and drawn, the bitmap written a band of rows at a time.

#include "pagecomposer.h"
#include "pageexport.h"
#include "pagefiles.h"
#include "picturecache.h"
#include "testsupport.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <cstdio>
#include <cstring>

extern "C" {
#include <jpeglib.h>
}

using namespace velaria;
using namespace velaria::testing;

namespace {

// How close two RGB32 images are in a box, in decibels: 40 is a difference the eye does not see.
double peakSignalToNoise(const QImage &made, const QImage &expected, const QRect &box)
{
    double squares = 1e-9;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int i = 4 * box.left(); i < 4 * box.right() + 4; ++i)
            squares += std::pow(made.constScanLine(y)[i] - expected.constScanLine(y)[i], 2);
    }
    return 10 * std::log10(4 * 255 * 255.0 * box.width() * box.height() / squares);
}

// A picture with detail everywhere.
QImage photo(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 7 % 256, y * 5 % 256, (x + y) % 256));
    }
    return image;
}

// The JPEG with an Exif segment whose one tag is this orientation: 6 turns it a quarter
// clockwise.
QByteArray withOrientation(const QByteArray &jpeg, int orientation)
{
    return jpeg.left(2) +
           QByteArray::fromHex("ffe100224578696600004d4d002a000000080001011200030000000100" +
                               QByteArray::number(orientation, 16).rightJustified(2, '0') +
                               "000000000000") +
           jpeg.mid(2);
}

// A JPEG in printing inks, as prepress programs write it (Qt writes none).
QByteArray inkJpeg(QSize size)
{
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char *data = nullptr;
    unsigned long bytes = 0;
    jpeg_mem_dest(&info, &data, &bytes);
    info.image_width = static_cast<JDIMENSION>(size.width());
    info.image_height = static_cast<JDIMENSION>(size.height());
    info.input_components = 4;
    info.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_start_compress(&info, TRUE);
    QByteArray row(4 * size.width(), Qt::Uninitialized);
    while (info.next_scanline < info.image_height) {
        const auto y = static_cast<int>(info.next_scanline);
        for (int x = 0; x < size.width(); ++x) {
            const char inks[] = {char(x * 7), char(y * 5), char(x + y), 40}; // cyan ... black
            std::memcpy(row.data() + 4 * x, inks, 4);
        }
        auto *pointer = reinterpret_cast<JSAMPROW>(row.data());
        jpeg_write_scanlines(&info, &pointer, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    const QByteArray file(reinterpret_cast<const char *>(data), static_cast<qsizetype>(bytes));
    std::free(data);
    return file;
}

} // namespace

class TestPageDrawing : public QObject
{
    Q_OBJECT
    QTemporaryDir m_folder;

private slots:
    void dayColours_data()
    {
        QTest::addColumn<QColor>("colour"); // none: the month has no such day
        QTest::addColumn<bool>("labelled");
        QTest::newRow("2027-05-01 holiday") << QColor(255, 0, 0) << true;
        QTest::newRow("2027-05-02 Sunday") << QColor(128, 0, 0) << false;
        QTest::newRow("2027-05-12 <b>") << QColor(0, 0, 255) << true;
        QTest::newRow("2027-05-15 <v>") << QColor(0, 192, 0) << true;
        QTest::newRow("2027-05-21 <a>") << QColor(255, 128, 0) << true;
        QTest::newRow("2027-05-25 <g>") << QColor(128, 128, 0) << true;
        QTest::newRow("2027-05-28 untagged") << QColor(255, 0, 0) << true;
        QTest::newRow("2028-02-29") << QColor(0, 0, 0) << false;
        QTest::newRow("2027-02-29") << QColor() << false;
    }
    // The number in the day's colour and no other, on the canvas and its quarter, the preview.
    void dayColours()
    {
        QFETCH(QColor, colour);
        QFETCH(bool, labelled);
        const QStringList date = QString(QTest::currentDataTag()).left(10).split('-');
        PageContent content{date[0].toInt(), date[1].toInt(), "Banner", {}, {}};
        content.recurrences.readLines({"05/12 - <b>Blu", "05/15 - <v>Verde", "05/21 - <a>Arancio",
                                       "05/25 - <g>Oliva", "05/28 - Rosso"});
        ComposedPage page;
        composePage(content, page);
        QCOMPARE(page.preview.size() * CanvasScale, page.canvas.size());
        const int column = std::min((date[2].toInt() - 1) / 10, 2);
        const int top = 6580 + 350 * (date[2].toInt() - 10 * column);
        const auto at = [](QRect twips, int scale) {
            return QTransform::fromScale(scale / 15.0, scale / 15.0).mapRect(twips);
        };
        for (const QColor ink : {0xff0000, 0x800000, 0x0000ff, 0x00c000, 0xff8000, 0x808000, 0}) {
            for (int scale : {CanvasScale, 1}) {
                const QImage &surface = scale == 1 ? page.preview : page.canvas;
                QCOMPARE(countColour(surface, at({column * 2600, top, 530, 300}, scale), ink) > 0,
                         ink == colour);
            }
        }
        const QRect label = at({550 + column * 2650, top + 20, 1500, 130}, CanvasScale);
        QCOMPARE(countColour(page.canvas, label, colour) > 0, labelled);
    }

    // The rules between the rows are drawn on both surfaces, and a Sunday's one-digit number
    // sits a little left of a weekday's.
    void dayBlock()
    {
        ComposedPage may, june; // the 2nd is a Sunday, a Wednesday
        composePage({2027, 5, "", {}, {}}, may);
        composePage({2027, 6, "", {}, {}}, june);
        for (const QImage &surface : {may.canvas, may.preview}) {
            const double scale = surface.width() / double(june.preview.width()) / 15;
            const int left = qRound(100 * scale), width = qRound(7900 * scale);
            for (int y = 7250; y <= 10400; y += 350) { // the rule, give or take a pixel
                const QRect rows(left, qRound(y * scale) - 1, width, 3);
                QVERIFY2(countColour(surface, rows, Qt::black) > width * 9 / 10,
                         qPrintable(QString::number(y)));
            }
        }
        const auto inkLeft = [](const QImage &canvas) { // of the 2nd's number
            const QRect at = QTransform::fromScale(CanvasScale / 15.0, CanvasScale / 15.0)
                                 .mapRect(QRect(0, 7280, 530, 300));
            for (int x = at.left(); x <= at.right(); ++x) {
                if (countColour(canvas, {x, at.top(), 1, at.height()}, Qt::white) < at.height())
                    return x;
            }
            return -1;
        };
        const int shift = inkLeft(may.canvas) - inkLeft(june.canvas);
        QVERIFY2(shift < 0, qPrintable(QString::number(shift)));
    }

    void pictureFailures_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // of the file; none for a folder
        QTest::addColumn<int>("limitMb");      // the reader's allocation limit
        QTest::addColumn<QString>("reason");
        QBuffer jpeg;
        QImage photo(64, 48, QImage::Format_RGB32);
        photo.fill(Qt::darkCyan);
        QVERIFY(jpeg.open(QIODevice::WriteOnly) && photo.save(&jpeg, "jpeg"));
        const QByteArray start = QByteArray::fromHex("ffd8");
        QTest::newRow("folder") << QByteArray() << 256 << "non è un file";
        QTest::newRow("text") << QByteArray("foto") << 256 << "non è un'immagine JPEG, BMP o PNG";
        QBuffer grey;
        QVERIFY(grey.open(QIODevice::WriteOnly) &&
                photo.convertToFormat(QImage::Format_Grayscale8).save(&grey, "jpeg"));
        QTest::newRow("cut JPEG") << jpeg.data().chopped(20) << 256 << "incompleta o danneggiata";
        QTest::newRow("cut grey JPEG") << grey.data().chopped(20) << 256 << "incompleta";
        QTest::newRow("trailer past the end") << jpeg.data() + "EXIF" << 256 << "";
        QTest::newRow("JPEG over the limit")
            << start + QByteArray(1 << 20, 'x') << 1 << "il file è troppo grande (1 MB)";
        QTest::newRow("JPEG under it") << start + QByteArray(1 << 19, 'x') << 1 << "danneggiati";
        QBuffer deep; // 1.2 MB in 16-bit colours, half in 8-bit ones
        QImage colours(400, 400, QImage::Format_RGBA64);
        colours.fill(Qt::darkCyan);
        QVERIFY(deep.open(QIODevice::WriteOnly) && colours.save(&deep, "png"));
        QTest::newRow("16-bit PNG over the limit")
            << deep.data() << 1 << "troppo grande (400 x 400";
    }
    // A picture that cannot be shown is no picture, with the reason named; a JPEG over the
    // reader's limit is not even read.
    void pictureFailures()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, limitMb);
        QFETCH(QString, reason);
        QTemporaryDir folder;
        const QString path = folder.filePath("foto.jpg");
        QVERIFY(bytes.isEmpty() ? QDir(folder.path()).mkdir("foto.jpg") : writeBytes(path, bytes));
        const int limit = QImageReader::allocationLimit();
        QImageReader::setAllocationLimit(limitMb);
        const LoadedPicture picture = readPicture(path, 100);
        QImageReader::setAllocationLimit(limit);
        QCOMPARE(picture.image.isNull(), !reason.isEmpty());
        QVERIFY2(reason.isEmpty() ? picture.error.isEmpty()
                                  : picture.error.contains('"' + path + "\": ") &&
                                        picture.error.contains(reason),
                 qPrintable(picture.error));
    }

    void jpegPictures_data()
    {
        QTest::addColumn<bool>("grey");
        QTest::addColumn<int>("orientation"); // the Exif tag's: 1 upright, 6 a quarter clockwise
        QTest::addColumn<int>("height");      // asked for
        QTest::addColumn<QSize>("size");      // upright, as the picture comes
        // Qt's reader decodes halves and quarters as libjpeg does; other sizes it smooths.
        QTest::addColumn<bool>("exact");
        QTest::newRow("half its size") << false << 1 << 150 << QSize(200, 150) << true;
        QTest::newRow("whole") << false << 1 << 300 << QSize(400, 300) << true;
        QTest::newRow("five eighths") << false << 1 << 180 << QSize(250, 188) << false;
        QTest::newRow("turned") << false << 6 << 400 << QSize(300, 400) << true;
        QTest::newRow("turned, a quarter") << false << 6 << 100 << QSize(75, 100) << true;
        QTest::newRow("turned back") << false << 8 << 200 << QSize(150, 200) << true;
        QTest::newRow("upside down") << false << 3 << 150 << QSize(200, 150) << true;
        QTest::newRow("mirrored") << false << 2 << 150 << QSize(200, 150) << true;
        QTest::newRow("mirrored and turned") << false << 5 << 200 << QSize(150, 200) << true;
        QTest::newRow("grey, half its size") << true << 1 << 150 << QSize(200, 150) << true;
    }
    // A JPEG is the picture Qt's reader makes of it at the size it comes in, upright; at five
    // eighths, close to it (the pattern is all fine detail, which two filters render apart).
    void jpegPictures()
    {
        QFETCH(bool, grey);
        QFETCH(int, orientation);
        QFETCH(int, height);
        QFETCH(QSize, size);
        QFETCH(bool, exact);
        QBuffer jpeg;
        QVERIFY(jpeg.open(QIODevice::WriteOnly) &&
                photo(400, 300)
                    .convertToFormat(grey ? QImage::Format_Grayscale8 : QImage::Format_RGB32)
                    .save(&jpeg, "jpeg", 90));
        QTemporaryDir folder;
        const QString path = folder.filePath("foto.jpg");
        QVERIFY(writeBytes(path, withOrientation(jpeg.data(), orientation)));
        const bool turned = orientation >= 5;
        QImageReader reader(path);
        reader.setAutoTransform(true);
        reader.setScaledSize(turned ? size.transposed() : size);
        const QImage expected = reader.read().convertToFormat(QImage::Format_RGB32);
        const QImage picture = readPicture(path, height).image;
        QCOMPARE(picture.size(), size);
        if (exact)
            QCOMPARE(picture, expected);
        else
            QCOMPARE_GE(peakSignalToNoise(picture, expected, picture.rect()), 28);
    }

    // A picture read ahead is the one load() returns, unless its file changed meanwhile.
    void readAhead()
    {
        const QString path = m_folder.filePath("avanti.png");
        QImage first(40, 30, QImage::Format_RGB32), second(60, 30, QImage::Format_RGB32);
        first.fill(Qt::red);
        second.fill(Qt::blue);
        PictureCache cache;
        QVERIFY(first.save(path));
        cache.readAhead(path, 30);
        QCOMPARE(cache.load(path, 30).image, first);
        QVERIFY(second.save(path));
        cache.readAhead(path, 30);
        QVERIFY(first.save(path)); // back, but the file is not the one read ahead
        QCOMPARE(cache.load(path, 30).image, first);
        QVERIFY(QFile::remove(path));
        cache.readAhead(path, 30);
        QVERIFY(cache.load(path, 30).error.contains("il file non esiste"));
    }

    void cacheLimit_data()
    {
        QTest::addColumn<qsizetype>("limit");
        QTest::addColumn<int>("later"); // seconds the file's time moves on as it changes
        QTest::addColumn<bool>("kept");
        const qsizetype both = 40 * 30 * 4 + 60 * 30 * 4;
        QTest::newRow("room for both") << both << 0 << true;
        QTest::newRow("room for one") << qsizetype(60 * 30 * 4) << 0 << false;
        QTest::newRow("room for both, file changed later") << both << 1 << false;
    }
    // A picture stays in the cache while the pictures read after it leave room for it: a file
    // that looks unchanged, as large and as old, is then not read again.
    void cacheLimit()
    {
        QFETCH(qsizetype, limit);
        QFETCH(int, later);
        QFETCH(bool, kept);
        QTemporaryDir folder;
        const QString first = folder.filePath("a.bmp"), second = folder.filePath("b.bmp");
        QImage red(40, 30, QImage::Format_RGB32), blue(60, 30, QImage::Format_RGB32);
        red.fill(Qt::red);
        blue.fill(Qt::blue);
        QVERIFY(red.save(first) && blue.save(second));
        PictureCache cache(limit);
        QCOMPARE(cache.load(first, 30).image, red);
        QCOMPARE(cache.load(second, 30).image, blue);
        const QDateTime modified = QFileInfo(first).lastModified();
        QVERIFY(blue.copy(0, 0, 40, 30).save(first)); // as large, with the same time
        QFile file(first);
        QVERIFY(file.open(QIODevice::ReadWrite) &&
                file.setFileTime(modified.addSecs(later), QFileDevice::FileModificationTime));
        file.close();
        QCOMPARE(cache.load(first, 30).image.pixel(0, 0), (kept ? red : blue).pixel(0, 0));
    }

    void bitmapFiles_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QImage::Format>("format");
        QTest::newRow("one pixel") << QSize(1, 1) << QImage::Format_RGB32;
        QTest::newRow("rows padded") << QSize(5, 3) << QImage::Format_RGB32;
        QTest::newRow("alpha dropped") << QSize(6, 2) << QImage::Format_ARGB32;
        QTest::newRow("over a block of rows") << QSize(2188, 170) << QImage::Format_RGB32;
    }
    // A saved page is the bitmap Qt's own writer makes of it, and replaces an older one whole.
    void bitmapFiles()
    {
        QFETCH(QSize, size);
        QFETCH(QImage::Format, format);
        QImage image(size, format);
        QRandomGenerator noise(size.width());
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x)
                image.setPixel(x, y, noise.generate());
        }
        QBuffer qt;
        QVERIFY(qt.open(QIODevice::WriteOnly) &&
                QImageWriter(&qt, "bmp").write(image.convertToFormat(QImage::Format_RGB32)));
        QTemporaryDir folder;
        const QString path = folder.filePath("PAGINA.bmp");
        QVERIFY(writeBytes(path, QByteArray(100000, 'x')));
        QCOMPARE(saveBitmap(image, path), QString());
        QCOMPARE(readBytes(path), qt.data());
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{"PAGINA.bmp"});
    }

    void pictureKinds_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("drawn");
        const auto encoded = [](const QImage &image, const char *format, bool progressive = false) {
            QBuffer buffer;
            QImageWriter writer(&buffer, format);
            writer.setProgressiveScanWrite(progressive);
            return buffer.open(QIODevice::WriteOnly) && writer.write(image) ? buffer.data()
                                                                            : QByteArray();
        };
        const QByteArray jpeg = encoded(photo(1200, 900), "jpeg");
        QTest::newRow("panorama 39:1") << encoded(photo(3900, 100), "png") << true;
        QTest::newRow("panorama 41:1") << encoded(photo(4100, 100), "png") << true;
        QTest::newRow("panorama 200:1") << encoded(photo(20000, 100), "png") << true;
        QTest::newRow("panorama past pixman's reach") << encoded(photo(33000, 100), "png") << true;
        QTest::newRow("strip 1:200") << encoded(photo(10, 2000), "png") << true;
        QTest::newRow("PNG") << encoded(photo(1200, 900), "png") << true;
        QTest::newRow("JPEG without its end marker") << jpeg.chopped(2) << true;
        QTest::newRow("JPEG cut inside its rows") << jpeg.chopped(3000) << false;
        QTest::newRow("progressive") << encoded(photo(1600, 1200), "jpeg", true) << true;
        QTest::newRow("turned by Exif") << withOrientation(jpeg, 6) << true;
        QTest::newRow("grey")
            << encoded(photo(1200, 900).convertToFormat(QImage::Format_Grayscale8), "jpeg") << true;
        QTest::newRow("printing inks") << inkJpeg({1200, 900}) << true;
    }
    // Whatever the picture, the page shows it whole or shows a white box, never what was there
    // before: in the window, after a month with another picture, and in velaria-pagine's bitmap,
    // after another page and as a thread's first. Its rows are a plain drawing of it within
    // 40 dB; the rest of the page is the page without a picture.
    void pictureKinds()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, drawn);
        const QString path = m_folder.filePath("foto"), other = m_folder.filePath("altra.png");
        QVERIFY(writeBytes(path, file) && QImage(900, 1200, QImage::Format_RGB32).save(other));
        QImageReader reader(path);
        reader.setAutoTransform(true);
        const QImage picture = reader.read();
        QVERIFY(!picture.isNull());
        QImage expected(2188, 2940, QImage::Format_RGB32), plain = expected;
        composeSurface({2027, 8, "", {}, {}}, CanvasScale, plain);
        expected.fill(Qt::white);
        const int width = qRound(picture.width() * 1600.0 / picture.height());
        const QRect box = QRect((2188 - width) / 2, 67, width, 1600) & expected.rect();
        if (drawn) {
            QPainter painter(&expected);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(QRect((2188 - width) / 2, 67, width, 1600), picture);
        }
        PictureCache window = canvasPictureCache();
        ComposedPage page;
        composePage({2027, 7, "", {}, loadMonthPicture(window, other).image}, page);
        composePage({2027, 8, "", {}, loadMonthPicture(window, path).image}, page);
        ExportPage first, after;
        after.compose({2027, 7, "", {}, readMonthPicture(other).image}, CanvasScale);
        QVERIFY(saveBitmap(after.bitmapRows(), m_folder.filePath("prima.bmp")).isEmpty());
        after.compose({2027, 8, "", {}, readMonthPicture(path).image}, CanvasScale);
        first.compose({2027, 8, "", {}, readMonthPicture(path).image}, CanvasScale);
        QVERIFY(saveBitmap(after.bitmapRows(), m_folder.filePath("dopo.bmp")).isEmpty());
        QVERIFY(saveBitmap(first.bitmapRows(), m_folder.filePath("primo.bmp")).isEmpty());
        const QImage pages[] = {page.canvas, QImage(m_folder.filePath("dopo.bmp")),
                                QImage(m_folder.filePath("primo.bmp"))};
        for (QImage made : pages) {
            made.convertTo(QImage::Format_RGB32);
            QCOMPARE_GE(peakSignalToNoise(made, expected, box), 40);
            QPainter(&made).drawImage(box.topLeft(), plain.copy(box));
            QVERIFY(made == plain);
        }
    }

    void exportPages_data()
    {
        QTest::addColumn<QImage>("picture");
        const QImage picture = photo(2000, 1500);
        QImage veiled = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QPainter(&veiled).fillRect(0, 0, 500, 500, QColor(0, 0, 0, 0));
        QTest::newRow("none") << QImage();
        QTest::newRow("enlarged") << picture;
        QTest::newRow("at its size") << picture.scaledToHeight(1600);
        QTest::newRow("transparent") << veiled;
    }
    // A page written out a band of rows at a time is the page composed at once, whatever page
    // was composed before.
    void exportPages()
    {
        QFETCH(QImage, picture);
        QImage before(3000, 1800, QImage::Format_RGB32);
        before.fill(Qt::green);
        const PageContent content{2027, 4, "Ferramenta Rossi", {}, picture};
        QImage canvas;
        composeSurface(content, CanvasScale, canvas);
        ExportPage page;
        QTemporaryDir folder;
        page.compose({2027, 11, "", {}, before}, CanvasScale);
        QVERIFY(saveBitmap(page.bitmapRows(), folder.filePath("prima.bmp")).isEmpty());
        page.compose(content, CanvasScale);
        QVERIFY(saveBitmap(page.bitmapRows(), folder.filePath("righe.bmp")).isEmpty() &&
                saveBitmap(canvas, folder.filePath("pagina.bmp")).isEmpty());
        QVERIFY(readBytes(folder.filePath("righe.bmp")) ==
                readBytes(folder.filePath("pagina.bmp")));
    }
};

QTEST_MAIN(TestPageDrawing)
#include "tst_pagedrawing.moc"
