// The month's page as a person gets it: drawn, in the page window, saved, made by velaria-pagine
// and printed through the spooler's cups-pdf queue. The cases share a data folder and a window.

#include "calendarstate.h"
#include "largeimage.h"
#include "pagecomposer.h"
#include "pagefiles.h"
#include "pagewindow.h"
#include "testsupport.h"

#include <QBuffer>
#include <QDebug>
#include <QFileDialog>
#include <QImageReader>
#include <QImageWriter>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cups/cups.h>

using namespace velaria;
using namespace velaria::testing;

// The program's exit status and all that it wrote.
static std::pair<int, QString> run(const QString &program, const QStringList &arguments,
                                   const QString &folder = {})
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    process.waitForFinished(300000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAll()};
}

// The folder's PDF, its first sheet at 72 dpi (a pixel to the point); none unless it has so many.
static QImage firstSheet(const QDir &folder, int pages)
{
    QTemporaryDir dir;
    const QString pdf = folder.filePath(folder.entryList({"*.pdf"}).value(0));
    if (!run("pdfinfo", {pdf}).second.simplified().contains(QString("Pages: %1 ").arg(pages)))
        return {};
    run("pdftoppm", {"-r", "72", "-png", "-singlefile", pdf, dir.filePath("sheet")});
    return QImage(dir.filePath("sheet.png")).convertToFormat(QImage::Format_RGB32);
}

class TestPagine : public QObject
{
    Q_OBJECT
    QTemporaryDir m_home;
    const QString m_data = m_home.filePath("dati");
    CalendarState m_state{m_data};
    std::unique_ptr<PageWindow> m_window;

    void click(const char *name)
    {
        QTest::mouseClick(m_window->findChild<QWidget *>(name), Qt::LeftButton);
    }
    bool show(int month, int day = 1) // and its page composed
    {
        QSignalSpy composed(m_window.get(), &PageWindow::pageComposed);
        return m_state.setShownDate({2027, month, day}) &&
               (m_window->requestPage(), composed.wait());
    }

private slots:
    void initTestCase()
    {
        qputenv("HOME", m_home.path().toUtf8()); // "Salva Pagina" writes to $HOME/Desktop
        qputenv("XDG_CONFIG_HOME", m_home.path().toUtf8()); // which no user-dirs.dirs moves
        QVERIFY(QDir(m_home.path()).mkpath("Desktop") && QDir().mkpath(m_data));
        QVERIFY(writeBytes(m_data + "/pubblicita.txt", "Ferramenta Rossi\r\n"));
        QVERIFY(writeBytes(m_data + "/Ricorrenze.txt", "01/04 - <b>San Tito\r\n02/09 - Nonna\r\n"));
        QImage wide(800, 100, QImage::Format_RGB32); // January's, wider than the page
        wide.fill(Qt::black);
        QImage photo(2000, 1500, QImage::Format_RGB32); // March's, a little short of the page
        QRandomGenerator grain(3);
        for (int y = 0; y < photo.height(); ++y) {
            for (int x = 0; x < photo.width(); ++x)
                photo.setPixel(x, y, qRgb(x / 8, y / 6, grain.bounded(256)));
        }
        const QString list = m_home.filePath("w.png") + "\n" + m_home.filePath("nessuna.jpg") +
                             "\n" + m_home.filePath("marzo.jpg");
        QVERIFY(wide.save(m_home.filePath("w.png")) && photo.save(m_home.filePath("marzo.jpg")) &&
                writeBytes(m_data + "/Immagini.txt", list.toUtf8()));
        m_state.load();
        m_window = std::make_unique<PageWindow>(m_state, nullptr);
        m_window->show();
    }

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

    // A big photo is decoded at no less than nine tenths of the height the canvas needs, and
    // no more, yet draws as if decoded whole (40 dB) and alters nothing round it.
    void pictures()
    {
        const QString path = m_home.filePath("foto.jpg");
        QImage photo(4000, 3000, QImage::Format_RGB32);
        QRandomGenerator grain(2027);
        for (int y = 0; y < photo.height(); ++y) {
            for (int x = 0; x < photo.width(); ++x) { // a gradient, stripes and grain
                const int v =
                    97 + grain.bounded(7) + int(48 * std::sin(x / 5.0) * std::cos(y / 7.0));
                photo.setPixel(x, y, qRgb(v + x / 40, v + y / 30, v + (x + y) / 70));
            }
        }
        QVERIFY(photo.save(path, "jpeg", 90));
        PictureCache cache;
        const int height = loadMonthPicture(cache, path).image.height();
        QVERIFY(height >= picturePixelHeight(CanvasScale) * 9 / 10 && height < 3000);
        // Surfaces used before: what they showed must go, up to the picture's edge.
        QImage canvas(surfaceSize(CanvasScale), QImage::Format_RGB32), whole = canvas.copy();
        canvas.fill(Qt::green);
        whole.fill(Qt::red);
        composeSurface({2027, 6, "", {}, loadMonthPicture(cache, path).image}, CanvasScale, canvas);
        composeSurface({2027, 6, "", {}, QImage(path)}, CanvasScale, whole);
        const QRect box = QTransform::fromScale(CanvasScale / 15.0, CanvasScale / 15.0)
                              .mapRect(QRect(102, PictureTop, 8000, PictureHeight)); // 4:3, centred
        double squares = 1e-9; // PSNR of the box's bytes; the alpha bytes, all 255, add nothing
        for (int y = box.top(); y <= box.bottom(); ++y) {
            for (int i = 4 * box.left(); i < 4 * box.right() + 4; ++i)
                squares += std::pow(canvas.constScanLine(y)[i] - whole.constScanLine(y)[i], 2);
        }
        QCOMPARE_GE(10 * std::log10(3 * 255 * 255.0 * box.width() * box.height() / squares), 40);
        QPainter(&canvas).drawImage(box.topLeft(), whole.copy(box)); // the box alone may differ
        QVERIFY(!std::memcmp(canvas.constBits(), whole.constBits(), whole.sizeInBytes()));
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
        QTest::newRow("cut JPEG") << jpeg.data().chopped(20) << 256 << "incompleta o danneggiata";
        QTest::newRow("trailer past the end") << jpeg.data() + "EXIF" << 256 << "";
        QTest::newRow("JPEG over the limit")
            << start + QByteArray(1 << 20, 'x') << 1 << "il file è troppo grande (1 MB)";
        QTest::newRow("JPEG under it") << start + QByteArray(1 << 19, 'x') << 1 << "danneggiati";
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
        QTest::addColumn<bool>("turned"); // by an orientation tag: a quarter clockwise
        QTest::addColumn<int>("height");
        QTest::newRow("half its size") << false << 150;
        QTest::newRow("whole") << false << 300;
        QTest::newRow("turned") << true << 400;
    }
    // A JPEG is the picture Qt's reader makes of it at the size asked for, upright.
    void jpegPictures()
    {
        QFETCH(bool, turned);
        QFETCH(int, height);
        QImage photo(400, 300, QImage::Format_RGB32);
        for (int y = 0; y < photo.height(); ++y) {
            for (int x = 0; x < photo.width(); ++x)
                photo.setPixel(x, y, qRgb(x % 256, (x + 3 * y) % 256, (x * y) % 251));
        }
        QBuffer jpeg;
        QVERIFY(jpeg.open(QIODevice::WriteOnly) && photo.save(&jpeg, "jpeg", 90));
        // An Exif segment whose one tag, the orientation, says 6.
        const QByteArray exif = QByteArray::fromHex("ffe10022457869660000"
                                                    "4d4d002a00000008"
                                                    "0001011200030000000100060000"
                                                    "00000000");
        QTemporaryDir folder;
        const QString path = folder.filePath("foto.jpg");
        QVERIFY(writeBytes(path,
                           turned ? jpeg.data().left(2) + exif + jpeg.data().mid(2) : jpeg.data()));
        QImageReader reader(path);
        reader.setAutoTransform(true);
        if (height < photo.height())
            reader.setScaledSize(PictureCache::decodeSize(reader.size(), "jpeg", false, height));
        const QImage expected = reader.read().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(expected.height(), turned ? photo.width() : height);
        QCOMPARE(readPicture(path, height).image, expected);
    }

    void spareMemory_data()
    {
        QTest::addColumn<bool>("shared"); // the spare is held elsewhere too
        QTest::newRow("spare") << false;
        QTest::newRow("still in use") << true;
    }
    // A picture is decoded into the memory of a spare of its size that nothing else holds, and
    // is the picture all the same.
    void spareMemory()
    {
        QFETCH(bool, shared);
        QTemporaryDir folder;
        QImage first(400, 300, QImage::Format_RGB32), second(first.size(), first.format());
        first.fill(Qt::red);
        for (int y = 0; y < second.height(); ++y) {
            for (int x = 0; x < second.width(); ++x)
                second.setPixel(x, y, qRgb(x % 256, y % 256, (x * y) % 256));
        }
        QVERIFY(first.save(folder.filePath("1.jpg")) && second.save(folder.filePath("2.jpg")));
        QImage spare = readPicture(folder.filePath("1.jpg"), 150).image;
        const QImage held = shared ? spare : QImage(), before = spare.copy();
        const uchar *memory = spare.constBits();
        const QImage fresh = readPicture(folder.filePath("2.jpg"), 150).image;
        QCOMPARE(fresh.height(), 150);
        const LoadedPicture picture = readPicture(folder.filePath("2.jpg"), 150, std::move(spare));
        QCOMPARE(picture.image, fresh);
        QCOMPARE(picture.image.constBits() == memory, !shared);
        if (shared)
            QCOMPARE(held, before);
    }

    // A picture read ahead is the one load() returns, unless its file changed meanwhile.
    void readAhead()
    {
        const QString path = m_home.filePath("avanti.png");
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

    void exportPages_data()
    {
        QTest::addColumn<QImage>("picture");
        QImage photo(2000, 1500, QImage::Format_RGB32);
        for (int y = 0; y < photo.height(); ++y) {
            for (int x = 0; x < photo.width(); ++x)
                photo.setPixel(x, y, qRgb(x % 256, y % 256, (x ^ y) % 256));
        }
        QImage veiled = photo.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QPainter(&veiled).fillRect(0, 0, 500, 500, QColor(0, 0, 0, 0));
        QTest::newRow("none") << QImage();
        QTest::newRow("enlarged") << photo;
        QTest::newRow("at its size") << photo.scaledToHeight(picturePixelHeight(CanvasScale));
        QTest::newRow("transparent") << veiled;
    }
    // A page written out a band of rows at a time, and the same page made whole afterwards, are
    // the page composed at once, whatever page was composed before.
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
        QVERIFY(page.whole() == canvas);
    }

    void largeImages_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QImage::Format>("format");
        QTest::newRow("small") << QSize(30, 20) << QImage::Format_RGB32;
        QTest::newRow("a page") << QSize(2188, 2940) << QImage::Format_RGB32;
        QTest::newRow("rows padded") << QSize(2187, 1601) << QImage::Format_RGB888;
    }
    // An image on memory of its own is laid out as Qt lays out its own, and shares it as Qt
    // shares its own: a copy that is changed leaves the first as it was.
    void largeImages()
    {
        QFETCH(QSize, size);
        QFETCH(QImage::Format, format);
        QImage image = largeImage(size, format);
        const QImage qt(size, format);
        QCOMPARE(image.size(), size);
        QCOMPARE(image.format(), format);
        QCOMPARE(image.bytesPerLine(), qt.bytesPerLine());
        image.fill(Qt::blue);
        QImage copy = image;
        {
            QPainter painter(&copy);
            painter.fillRect(QRect(QPoint(0, 0), size / 2), Qt::red);
        }
        QCOMPARE(image.pixel(0, 0), qRgb(0, 0, 255));
        QCOMPARE(copy.pixel(0, 0), qRgb(255, 0, 0));
        QCOMPARE(copy.pixel(size.width() - 1, size.height() - 1), qRgb(0, 0, 255));
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said"); // all of it when empty; the PDF named on success
        QTest::newRow("year 0") << QStringList{"0"} << 2 << "Anno non valido: \"0\"";
        QTest::newRow("year 10000") << QStringList{"10000"} << 2 << "Anno non valido: \"10000\"";
        QTest::newRow("month 13") << QStringList{"2027", "--mese", "13"} << 2 << "Mese non valido";
        QTest::newRow("option") << QStringList{"2027", "--colori"} << 2 << "Opzione sconosciuta";
        QTest::newRow("year") << QStringList{"2027"} << 0 << "Calendario-2027.pdf";
        QTest::newRow("A3 month by name, year 9999")
            << QStringList{"9999", "--mese", "Gennaio", "--a3"} << 0 << "Calendario-9999-01.pdf";
    }
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, said);
        QTemporaryDir work;
        // A folder without data files: no picture list yet is no failure, only no pictures.
        arguments << "--cartella" << m_home.path();
        const auto [exit, output] = run(VELARIA_PAGINE, arguments, work.path());
        QCOMPARE(exit, status);
        QVERIFY2(status ? output.contains(said) : output.isEmpty(), qPrintable(output));
        QCOMPARE(QDir(work.path()).entryList({"*.pdf"}),
                 status ? QStringList() : QStringList{said});
        const QPageSize paper(arguments.contains("--a3") ? QPageSize::A3 : QPageSize::A4);
        const QImage sheet = firstSheet(QDir(work.path()), arguments.contains("--mese") ? 1 : 12);
        QCOMPARE(sheet.size(), status ? QSize(0, 0) : paper.sizePoints());
    }

    // Each bitmap is the window's page byte for byte: with January's picture, without
    // February's, which is missing, and with March's, which the window keeps at page size.
    void bitmapsAreTheWindowsPages()
    {
        QTemporaryDir out;
        const auto [exit, output] =
            run(VELARIA_PAGINE, {"2027", "--immagini", out.path(), "--cartella", m_data});
        QVERIFY2(exit == 3 && output.contains(m_home.filePath("nessuna.jpg")), qPrintable(output));
        QCOMPARE(QDir(out.path()).entryList({"*.bmp"}).size(), 12);
        for (int month : {1, 2, 3}) {
            QVERIFY(show(month) && saveBitmap(m_window->canvas(), out.filePath("w.bmp")).isEmpty());
            QVERIFY(readBytes(out.filePath("w.bmp")) ==
                    readBytes(out.filePath(pageFileName(month) + ".bmp")));
        }
        QTemporaryDir march; // alone, with its own picture
        QCOMPARE(run(VELARIA_PAGINE,
                     {"2027", "--mese", "3", "--immagini", march.path(), "--cartella", m_data})
                     .first,
                 0);
        QVERIFY(readBytes(march.filePath("MARZO.bmp")) == readBytes(out.filePath("MARZO.bmp")));
    }

    // With no spooler to reach, "Stampa A4" says so and the window goes on.
    void noPrinterReachable()
    {
        cupsSetServer(qPrintable(m_home.filePath("cups.sock"))); // where no one listens
        QString title;
        answerNextModal([&title](QWidget *box) { title = box->windowTitle(), box->close(); });
        click("Command1");
        cupsSetServer(nullptr); // the usual spooler again
        QSignalSpy composed(m_window.get(), &PageWindow::pageComposed);
        click("Label4");
        QVERIFY2(title == "Printer Error!" && composed.wait(), qPrintable(title));
    }

    void printing_data()
    {
        QTest::addColumn<QStringList>("arguments"); // none: "Stampa A4" in the page window
        QTest::addColumn<QPageSize>("paper");
        QTest::addColumn<QRect>("ink"); // in points from the printable area's corner
        QTest::newRow("Stampa A4")
            << QStringList() << QPageSize(QPageSize::A4) << QRect(10, 18, 551, 769);
        QTest::newRow("--a3") << QStringList{"2027", "--mese", "1", "--stampa", "--a3"}
                              << QPageSize(QPageSize::A3) << QRect(15, 26, 779, 1086);
    }
    // January's picture spans the page: the ink spans the page's place on the sheet.
    void printing()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QPageSize, paper);
        QFETCH(QRect, ink);
        const QDir spool(qEnvironmentVariable("VELARIA_CUPS_PDF_DIR"));
        if (qEnvironmentVariableIsEmpty("VELARIA_CUPS_PDF_DIR"))
            QSKIP("no cups-pdf printer: VELARIA_CUPS_PDF_DIR is not set (test-services.sh)");
        for (const QString &old : spool.entryList({"*.pdf"}))
            QVERIFY(QFile::remove(spool.filePath(old)));
        QPrinter printer; // the default one
        printer.setPageSize(paper);
        QPoint corner = printer.pageLayout().paintRect(QPageLayout::Point).topLeft().toPoint();
        if (arguments.isEmpty()) {
            QVERIFY(show(1));
            click("Command1");
        } else {
            QCOMPARE(run(VELARIA_PAGINE, arguments << "--cartella" << m_data).first, 0);
            corner = {10, 10}; // the margin of the PDF that velaria-pagine hands the spooler
        }
        QImage printed;
        QTRY_VERIFY_WITH_TIMEOUT(!(printed = firstSheet(spool, 1)).isNull(), 120000);
        QCOMPARE(printed.size(), paper.sizePoints());
        QRect found;
        for (int y = 0; y < printed.height(); ++y) {
            for (int x = 0; x < printed.width(); ++x)
                found |= qGray(printed.pixel(x, y)) < 128 ? QRect(x, y, 1, 1) : QRect();
        }
        found.translate(-corner);
        QVERIFY2((found.topLeft() - ink.topLeft()).manhattanLength() <= 2 &&
                     (found.bottomRight() - ink.bottomRight()).manhattanLength() <= 2,
                 qPrintable(QDebug::toString(found)));
    }

    // The pen's dialog puts the file chosen into the month's box, and offers it again the next
    // time; "Salva elenco" writes box k's path on line k of twelve, each ended by CR LF.
    void savePictureList()
    {
        const QString photo = m_home.filePath("marzo.jpg");
        QStringList offered; // the choice the dialog shows as it opens
        const auto choose = [&](const char *pen) {
            answerNextModal([&](QWidget *modal) {
                offered = static_cast<QFileDialog *>(modal)->selectedFiles();
                static_cast<QFileDialog *>(modal)->selectFile(photo);
                static_cast<QDialog *>(modal)->accept();
            });
            click(pen);
        };
        choose("Image2_4");
        choose("Image2_11");
        QCOMPARE(offered, QStringList{photo});
        QByteArray lines;
        for (int box = 0; box < 12; ++box) { // January's is Text1_0
            QWidget *text = m_window->findChild<QWidget *>(QString("Text1_%1").arg(box));
            if (box == 4 || box == 11)
                QCOMPARE(text->property("text").toString(), photo);
            lines += text->property("text").toString().toUtf8() + "\r\n";
        }
        click("Command3");
        QCOMPARE(readBytes(m_data + "/Immagini.txt"), lines);
    }

    // The window follows the shared month and saves its page.
    void pageWindow()
    {
        auto *caption = m_window->findChild<QLabel *>("Label2");
        auto *status = m_window->findChild<QLabel *>("Label6");
        QVERIFY(show(3, 31));
        click("Text1_3");
        QVERIFY(m_state.shownMonth() == 3 && status->text().contains("non esiste in quel mese"));
        // Saved before the compose timer runs: the page saved is April's all the same.
        click("Label4");
        click("Command4");
        QSignalSpy composed(m_window.get(), &PageWindow::pageComposed);
        QEvent activate(QEvent::WindowActivate);
        QVERIFY(QApplication::sendEvent(m_window.get(), &activate) && composed.wait());
        QCOMPARE(caption->text(), pageCaption(2027, 4));
        QCOMPARE(QImage(m_home.filePath("Desktop/APRILE.bmp")), m_window->canvas());
        QVERIFY(status->text().contains("APRILE.bmp"));

        const QString missing = m_home.filePath(QString(120, 'x') + "/ottobre.jpg");
        m_window->findChild<QWidget *>("Text1_9")->setProperty("text", missing);
        click("Text1_9");
        QVERIFY(composed.wait() && caption->text() == pageCaption(2027, 10));
        QVERIFY(status->text().contains("il file non esiste") && status->text().contains(u'…'));
        QVERIFY(status->toolTip().contains(missing));
    }
};

QTEST_MAIN(TestPagine)
#include "tst_pagine.moc"
