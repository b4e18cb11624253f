#include "picturecache.h"
#include "testfiles.h"

#include <QDateTime>
#include <QDir>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

using namespace velaria;
using velaria::testing::writeBytes;

namespace {

// A picture whose left half is red and right half blue, so a turn shows.
QImage halves(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QPainter painter(&image);
    painter.fillRect(0, 0, width / 2, height, Qt::red);
    return image;
}

bool isRed(QColor c)
{
    return c.red() > 200 && c.blue() < 60;
}
bool isBlue(QColor c)
{
    return c.blue() > 200 && c.red() < 60;
}

// Dates the file later, as a new version of it would be.
bool touchLater(const QString &path, int seconds)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite) &&
           file.setFileTime(QDateTime::currentDateTime().addSecs(seconds),
                            QFileDevice::FileModificationTime);
}

} // namespace

// Loading the month pictures: upright, at the size the page needs, once per file version, and
// an Italian reason naming the file when a picture cannot be had.
class TestPictureCache : public QObject
{
    Q_OBJECT

private slots:
    void decodeSize_data();
    void decodeSize();
    void loadsAtNeededHeight_data();
    void loadsAtNeededHeight();
    void orientationTagIsApplied();
    void failures_data();
    void failures();
    void decodesOncePerFileVersion();
    void keepsOnlyItsCapacity();

private:
    QTemporaryDir m_folder;
};

void TestPictureCache::decodeSize_data()
{
    QTest::addColumn<QSize>("stored");
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<bool>("turned");
    QTest::addColumn<QSize>("decoded"); // for a height of 1600

    QTest::newRow("small picture keeps its size")
        << QSize(800, 600) << QByteArray("jpeg") << false << QSize(800, 600);
    QTest::newRow("12 MP photo: JPEG half")
        << QSize(4000, 3000) << QByteArray("jpeg") << false << QSize(2000, 1500);
    QTest::newRow("24 MP photo: JPEG quarter would be too small")
        << QSize(6000, 4000) << QByteArray("jpeg") << false << QSize(3000, 2000);
    QTest::newRow("huge photo: JPEG eighth")
        << QSize(16000, 12000) << QByteArray("jpeg") << false << QSize(2000, 1500);
    QTest::newRow("half would lose a quarter: whole")
        << QSize(3200, 2400) << QByteArray("jpeg") << false << QSize(3200, 2400);
    QTest::newRow("turned photo counts its width as height")
        << QSize(4000, 3000) << QByteArray("jpeg") << true << QSize(2000, 1500);
    QTest::newRow("PNG scaled straight to the height")
        << QSize(4000, 3000) << QByteArray("png") << false << QSize(2133, 1600);
}

void TestPictureCache::decodeSize()
{
    QFETCH(QSize, stored);
    QFETCH(QByteArray, format);
    QFETCH(bool, turned);
    QFETCH(QSize, decoded);
    QCOMPARE(PictureCache::DecodeSize(stored, format, turned, 1600), decoded);
}

void TestPictureCache::loadsAtNeededHeight_data()
{
    QTest::addColumn<QSize>("stored");
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<QSize>("loaded");
    QTest::addColumn<int>("limitMb"); // the reader's memory limit; 0 keeps the default

    // Whole it would need 43 MB; reduced it passes a limit of 12 MB.
    QTest::newRow("large JPEG at half size, within the reader's limit")
        << QSize(3600, 3000) << QByteArray("jpg") << QSize(1800, 1500) << 12;
    QTest::newRow("large PNG at the height")
        << QSize(2400, 2000) << QByteArray("png") << QSize(1920, 1600) << 0;
    QTest::newRow("small BMP as it is")
        << QSize(300, 200) << QByteArray("bmp") << QSize(300, 200) << 0;
}

void TestPictureCache::loadsAtNeededHeight()
{
    QFETCH(QSize, stored);
    QFETCH(QByteArray, format);
    QFETCH(QSize, loaded);
    QFETCH(int, limitMb);
    const QString path = m_folder.filePath(QStringLiteral("size.") + QString::fromLatin1(format));
    QVERIFY(halves(stored.width(), stored.height()).save(path, format.constData()));
    const int limit = QImageReader::allocationLimit();
    if (limitMb)
        QImageReader::setAllocationLimit(limitMb);
    const auto restore = qScopeGuard([limit] { QImageReader::setAllocationLimit(limit); });

    const LoadedPicture picture = PictureCache().load(path, 1600);
    QVERIFY2(picture.error.isEmpty(), qPrintable(picture.error));
    QCOMPARE(picture.image.size(), loaded);
    // Still red on the left and blue on the right.
    QVERIFY(isRed(picture.image.pixelColor(loaded.width() / 8, loaded.height() / 2)));
    QVERIFY(isBlue(picture.image.pixelColor(loaded.width() * 7 / 8, loaded.height() / 2)));
}

void TestPictureCache::orientationTagIsApplied()
{
    // A phone photo stored landscape with a tag saying "turn a quarter clockwise".
    const QString path = m_folder.filePath(QStringLiteral("telefono.jpg"));
    QImageWriter writer(path, "jpeg");
    writer.setTransformation(QImageIOHandler::TransformationRotate90);
    QVERIFY(writer.write(halves(400, 200)));

    const LoadedPicture picture = PictureCache().load(path, 1600);
    QVERIFY2(picture.error.isEmpty(), qPrintable(picture.error));
    QCOMPARE(picture.image.size(), QSize(200, 400));
    // The red left half is now on top.
    QVERIFY(isRed(picture.image.pixelColor(100, 50)));
    QVERIFY(isBlue(picture.image.pixelColor(100, 350)));
}

void TestPictureCache::failures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content"); // empty: no file; "bitmap": a 1000 x 1000 one
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing file") << u"manca.jpg"_qs << QByteArray() << u"non esiste"_qs;
    QTest::newRow("text named like a picture")
        << u"testo.jpg"_qs << QByteArray("Questo non è un'immagine.\r\n")
        << u"non è un'immagine"_qs;
    QTest::newRow("truncated JPEG")
        << u"tronca.jpg"_qs << QByteArray::fromHex("ffd8ffe000104a46494600") << u"danneggiati"_qs;
    // A bitmap is decoded whole: with the reader's limit at 1 MB one of 4 MB is refused.
    QTest::newRow("too large for the reader")
        << u"enorme.bmp"_qs << QByteArray("bitmap") << u"troppo grande (1000 x 1000 pixel)"_qs;
}

void TestPictureCache::failures()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    const QString path = m_folder.filePath(name);
    const int limit = QImageReader::allocationLimit();
    const auto restore = qScopeGuard([limit] { QImageReader::setAllocationLimit(limit); });
    if (content == "bitmap") {
        QVERIFY(halves(1000, 1000).save(path));
        QImageReader::setAllocationLimit(1);
    } else if (!content.isEmpty()) {
        QVERIFY(writeBytes(path, content));
    }

    const LoadedPicture picture = PictureCache().load(path, 1600);
    QVERIFY(picture.image.isNull());
    QVERIFY2(picture.error.startsWith(u"Impossibile caricare l'immagine"),
             qPrintable(picture.error));
    QVERIFY2(picture.error.contains(QDir::toNativeSeparators(path)), qPrintable(picture.error));
    QVERIFY2(picture.error.contains(reason), qPrintable(picture.error));
}

void TestPictureCache::decodesOncePerFileVersion()
{
    const QString path = m_folder.filePath(QStringLiteral("mare.png"));
    QVERIFY(halves(120, 80).save(path));
    PictureCache cache;
    QVERIFY(!cache.load(path, 1600).image.isNull());
    QVERIFY(!cache.load(path, 1600).image.isNull());
    QCOMPARE(cache.decodeCount(), 1);

    // Replaced by another picture: decoded again, and the new one comes back.
    QVERIFY(halves(60, 80).save(path) && touchLater(path, 60));
    QCOMPARE(cache.load(path, 1600).image.size(), QSize(60, 80));
    QCOMPARE(cache.decodeCount(), 2);

    // A failure is not kept: once the file is a picture again it loads.
    QVERIFY(writeBytes(path, "rotto") && touchLater(path, 120));
    QVERIFY(!cache.load(path, 1600).error.isEmpty());
    QVERIFY(halves(30, 20).save(path));
    QCOMPARE(cache.load(path, 1600).image.size(), QSize(30, 20));
}

void TestPictureCache::keepsOnlyItsCapacity()
{
    QStringList paths;
    for (int i = 0; i < 3; ++i) {
        paths << m_folder.filePath(QStringLiteral("mese%1.png").arg(i));
        QVERIFY(halves(40 + i, 30).save(paths.last()));
    }
    PictureCache cache(2);
    // The decodes after each load: the first picture is used again before the third comes,
    // so the third drops the second.
    const QList<std::pair<int, int>> loads = {{0, 1}, {1, 2}, {0, 2}, {2, 3}, {0, 3}, {1, 4}};
    for (const auto &[index, decodes] : loads) {
        cache.load(paths[index], 1600);
        QCOMPARE(cache.decodeCount(), decodes);
    }
}

QTEST_MAIN(TestPictureCache)
#include "tst_picturecache.moc"
