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

// Qt's setter of the context that all OpenGL contexts share; exported by Qt Gui for the browser
// engine, which sets it itself when the program links it.
QT_BEGIN_NAMESPACE
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext *context);
QT_END_NAMESPACE

namespace velaria {

namespace {

QString &configuredPluginDirectory()
{
    static QString folder;
    return folder;
}

// The browser engine draws with OpenGL contexts shared through one global context, and cannot
// run without it. A program that links the engine gets that context when it starts (as with
// Qt::AA_ShareOpenGLContexts), which costs an OpenGL context from the first paint on; this one
// makes it only when the engine is about to be loaded. False where OpenGL is not available.
bool shareOpenGLContexts()
{
    if (QOpenGLContext::globalShareContext())
        return true;
    auto *context = new QOpenGLContext(QCoreApplication::instance());
    if (!context->create()) {
        delete context;
        return false;
    }
    qt_gl_set_global_share_context(context);
    QObject::connect(context, &QObject::destroyed, [] { qt_gl_set_global_share_context(nullptr); });
    return true;
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
    if (!shareOpenGLContexts()) {
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
