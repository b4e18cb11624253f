#include "webwindowlauncher.h"

#include "desktopopener.h"
#include "webwindowfactory.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonObject>
#include <QMessageBox>
#include <QOpenGLContext>
#include <QPluginLoader>
#include <QtDebug>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace velaria {

namespace {

QString &configuredPluginDirectory()
{
    static QString folder;
    return folder;
}

// The engine refuses to run as root with its sandbox, and ends the whole process when asked to.
bool engineRefusesToRun()
{
#ifdef Q_OS_UNIX
    if (::geteuid() != 0)
        return false;
    return qEnvironmentVariableIntValue("QTWEBENGINE_DISABLE_SANDBOX") == 0 &&
           !qEnvironmentVariable("QTWEBENGINE_CHROMIUM_FLAGS").contains(u"--no-sandbox");
#else
    return false;
#endif
}

} // namespace

void WebWindowLauncher::prepareApplication()
{
    // The application then makes the shared context when it starts; a window without OpenGL
    // finds it invalid, and the page opens in the browser.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

WebWindowLauncher::~WebWindowLauncher()
{
    delete m_window;
}

QUrl WebWindowLauncher::horoscopePage(const QString &makerHost)
{
    return QUrl(QStringLiteral("http://") + makerHost + QStringLiteral("/oroscopo/"));
}

void WebWindowLauncher::setPluginDirectory(const QString &folder)
{
    configuredPluginDirectory() = folder;
}

QString WebWindowLauncher::pluginDirectory()
{
    const QString &folder = configuredPluginDirectory();
    return folder.isEmpty() ? QCoreApplication::applicationDirPath() : folder;
}

void WebWindowLauncher::show(const QUrl &page, QWidget *owner)
{
    if (!m_window) {
        if (WebWindowFactory *factory = loadFactory()) {
            m_window = factory->createWebWindow(page);
        } else {
            openOnDesktop(page, owner, QStringLiteral("Finestra di navigazione"),
                          QStringLiteral("Impossibile aprire la pagina %1: né la finestra di "
                                         "navigazione né il browser possono essere avviati.\n"
                                         "Installare un browser, o aprire l'indirizzo in un "
                                         "browser.")
                              .arg(page.toString()));
            return;
        }
    }
    m_window->show();
    if (m_window->isMinimized())
        m_window->showNormal();
    m_window->raise();
    m_window->activateWindow();
}

void WebWindowLauncher::close()
{
    if (m_window)
        m_window->close();
}

WebWindowFactory *WebWindowLauncher::loadFactory()
{
    QPluginLoader loader(QDir(pluginDirectory()).filePath(QLatin1String(PluginName)));
    if (loader.fileName().isEmpty())
        return nullptr; // not installed
    // The plugin's metadata is read from the file, without loading it.
    if (loader.metaData().value(QLatin1String("IID")).toString() !=
        QLatin1String(VelariaWebWindowFactory_iid)) {
        qWarning().noquote() << "Velaria: finestra web non disponibile:" << loader.fileName()
                             << "non è il plugin atteso." << loader.errorString();
        return nullptr;
    }
    if (engineRefusesToRun()) {
        qWarning("Velaria: il browser integrato non funziona come root, la pagina si apre nel "
                 "browser.");
        return nullptr;
    }
    const QOpenGLContext *shared = QOpenGLContext::globalShareContext();
    if (!shared || !shared->isValid()) {
        qWarning("Velaria: OpenGL non disponibile, la pagina si apre nel browser.");
        return nullptr;
    }
    // The library stays loaded once loaded: the browser engine cannot be unloaded.
    auto *factory = qobject_cast<WebWindowFactory *>(loader.instance());
    if (!factory)
        qWarning().noquote() << "Velaria: finestra web non disponibile:" << loader.errorString();
    return factory;
}

} // namespace velaria
