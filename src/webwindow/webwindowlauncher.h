#pragma once

#include <QPointer>
#include <QString>
#include <QUrl>
#include <QWidget>

namespace velaria {

class WebWindowFactory;

// Opens the web window `Form2`. The browser engine lives in a plugin that is loaded the first
// time the window is opened, so the program starts without it; where the plugin is missing, or
// the engine cannot run (for want of OpenGL, or as root, where it refuses to start without its
// sandbox and would end the program), the page opens in the user's browser instead.
class WebWindowLauncher
{
public:
    static constexpr const char *PluginName = "velaria_webwindow_plugin";

    WebWindowLauncher() = default;
    ~WebWindowLauncher();
    WebWindowLauncher(const WebWindowLauncher &) = delete;
    WebWindowLauncher &operator=(const WebWindowLauncher &) = delete;

    // The browser engine draws with OpenGL contexts that share their resources through one
    // context that the application makes. Call before the application object exists.
    static void prepareApplication();

    // The maker's horoscope page; the host may carry a port ("127.0.0.1:8123").
    static QUrl horoscopePage(const QString &makerHost);

    // The folder searched for the plugin; empty (the default) means the program's folder.
    static void setPluginDirectory(const QString &folder);
    static QString pluginDirectory();

    // Shows the window on `page`, creating it when it does not exist; an existing window is
    // brought forward as it is, without loading the page again. When neither the window nor
    // the user's browser can show the page, an Italian message over `owner` says so.
    void show(const QUrl &page, QWidget *owner = nullptr);
    // Closes the window, which destroys it.
    void close();
    // The open window, or null.
    QWidget *window() const { return m_window; }

private:
    static WebWindowFactory *loadFactory();

    QPointer<QWidget> m_window;
};

} // namespace velaria
