#include "picturecache.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

using namespace velaria;

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

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
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
    void tooLargeForTheReader();
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
    QTest::addColumn<QSize>("decoded");
    QTest::newRow("small picture keeps its size")
        << QSize(800, 600) << QByteArray("jpeg") << false << QSize(800, 600);
    QTest::newRow("exactly the height")
        << QSize(2000, 1600) << QByteArray("png") << false << QSize(2000, 1600);
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
    QTest::newRow("turned, height short enough")
        << QSize(1500, 1000) << QByteArray("jpeg") << true << QSize(1500, 1000);
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
    QTest::newRow("large JPEG at half size")
        << QSize(3600, 3000) << QByteArray("jpg") << QSize(1800, 1500);
    QTest::newRow("large PNG at the height")
        << QSize(2400, 2000) << QByteArray("png") << QSize(1920, 1600);
    QTest::newRow("small BMP as it is") << QSize(300, 200) << QByteArray("bmp") << QSize(300, 200);
}

void TestPictureCache::loadsAtNeededHeight()
{
    QFETCH(QSize, stored);
    QFETCH(QByteArray, format);
    QFETCH(QSize, loaded);
    const QString path = m_folder.filePath(QStringLiteral("size.") + QString::fromLatin1(format));
    QVERIFY(halves(stored.width(), stored.height()).save(path, format.constData()));
    PictureCache cache;
    const LoadedPicture picture = cache.load(path, 1600);
    QVERIFY2(picture.error.isEmpty(), qPrintable(picture.error));
    QCOMPARE(picture.image.size(), loaded);
    // Still red on the left and blue on the right.
    const QColor left = picture.image.pixelColor(loaded.width() / 8, loaded.height() / 2);
    const QColor right = picture.image.pixelColor(loaded.width() * 7 / 8, loaded.height() / 2);
    QVERIFY(left.red() > 200 && left.blue() < 60);
    QVERIFY(right.blue() > 200 && right.red() < 60);
}

void TestPictureCache::orientationTagIsApplied()
{
    // A phone photo stored landscape with a tag saying "turn a quarter clockwise".
    const QString path = m_folder.filePath(QStringLiteral("telefono.jpg"));
    QImageWriter writer(path, "jpeg");
    QVERIFY(writer.supportsOption(QImageIOHandler::ImageTransformation));
    writer.setTransformation(QImageIOHandler::TransformationRotate90);
    QVERIFY(writer.write(halves(400, 200)));

    PictureCache cache;
    const LoadedPicture picture = cache.load(path, 1600);
    QVERIFY2(picture.error.isEmpty(), qPrintable(picture.error));
    QCOMPARE(picture.image.size(), QSize(200, 400));
    // The red left half is now on top.
    const QColor top = picture.image.pixelColor(100, 50);
    const QColor bottom = picture.image.pixelColor(100, 350);
    QVERIFY(top.red() > 200 && top.blue() < 60);
    QVERIFY(bottom.blue() > 200 && bottom.red() < 60);
}

void TestPictureCache::failures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content"); // empty: no file at all
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing file") << u"manca.jpg"_qs << QByteArray() << u"non esiste"_qs;
    QTest::newRow("text named like a picture")
        << u"testo.jpg"_qs << QByteArray("Questo non è un'immagine.\r\n")
        << u"non è un'immagine"_qs;
    QTest::newRow("truncated JPEG")
        << u"tronca.jpg"_qs << QByteArray::fromHex("ffd8ffe000104a46494600") << u"danneggiati"_qs;
}

void TestPictureCache::failures()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    const QString path = m_folder.filePath(name);
    if (!content.isEmpty())
        QVERIFY(writeBytes(path, content));
    PictureCache cache;
    const LoadedPicture picture = cache.load(path, 1600);
    QVERIFY(picture.image.isNull());
    QVERIFY2(picture.error.startsWith(u"Impossibile caricare l'immagine"),
             qPrintable(picture.error));
    QVERIFY2(picture.error.contains(QDir::toNativeSeparators(path)), qPrintable(picture.error));
    QVERIFY2(picture.error.contains(reason), qPrintable(picture.error));
}

void TestPictureCache::tooLargeForTheReader()
{
    // A bitmap is decoded whole; with the reader's memory limit at 1 MB one of 4 MB is refused.
    const QString path = m_folder.filePath(QStringLiteral("enorme.bmp"));
    QVERIFY(halves(1000, 1000).save(path));
    const int limit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(1);
    const auto restore = qScopeGuard([limit] { QImageReader::setAllocationLimit(limit); });
    PictureCache cache;
    const LoadedPicture picture = cache.load(path, 1600);
    QVERIFY(picture.image.isNull());
    QVERIFY2(picture.error.contains(QDir::toNativeSeparators(path)), qPrintable(picture.error));
    QVERIFY2(picture.error.contains(u"troppo grande (1000 x 1000 pixel)"),
             qPrintable(picture.error));

    // A large JPEG is decoded reduced and passes the same limit.
    const QString photo = m_folder.filePath(QStringLiteral("grande.jpg"));
    QVERIFY(halves(1600, 1400).save(photo));
    QImageReader::setAllocationLimit(4);
    const LoadedPicture reduced = cache.load(photo, 600);
    QVERIFY2(reduced.error.isEmpty(), qPrintable(reduced.error));
    QCOMPARE(reduced.image.size(), QSize(800, 700));
}

void TestPictureCache::decodesOncePerFileVersion()
{
    const QString path = m_folder.filePath(QStringLiteral("mare.png"));
    QVERIFY(halves(120, 80).save(path));
    PictureCache cache;
    QVERIFY(!cache.load(path, 1600).image.isNull());
    QCOMPARE(cache.decodeCount(), 1);
    QVERIFY(!cache.load(path, 1600).image.isNull());
    QCOMPARE(cache.decodeCount(), 1);

    // Replaced by another picture: decoded again, and the new one comes back.
    QVERIFY(halves(60, 80).save(path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(60),
                             QFileDevice::FileModificationTime));
    file.close();
    const LoadedPicture changed = cache.load(path, 1600);
    QCOMPARE(cache.decodeCount(), 2);
    QCOMPARE(changed.image.size(), QSize(60, 80));

    // A failure is not kept: once the file is a picture again it loads.
    QVERIFY(writeBytes(path, "rotto"));
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(120),
                             QFileDevice::FileModificationTime));
    file.close();
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
    cache.load(paths[0], 1600);
    cache.load(paths[1], 1600);
    cache.load(paths[0], 1600); // the first one is now the most recent
    QCOMPARE(cache.decodeCount(), 2);
    cache.load(paths[2], 1600); // drops the second
    QCOMPARE(cache.decodeCount(), 3);
    cache.load(paths[0], 1600);
    QCOMPARE(cache.decodeCount(), 3);
    cache.load(paths[1], 1600);
    QCOMPARE(cache.decodeCount(), 4);
}

QTEST_MAIN(TestPictureCache)
#include "tst_picturecache.moc"
