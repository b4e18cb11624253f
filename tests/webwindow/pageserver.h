#pragma once

// A tiny HTTP server on 127.0.0.1 for the web window's tests and benchmark: it serves fixed
// pages by path, answers 404 for anything else and counts the requests of every path.

#include <QHash>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

namespace velaria::testing {

class PageServer
{
public:
    PageServer()
    {
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection())
                serve(socket);
        });
    }

    // Listens on a free port of the loopback address.
    bool listen() { return m_server.listen(QHostAddress::LocalHost); }
    // "127.0.0.1:<port>"
    QString host() const { return QStringLiteral("127.0.0.1:%1").arg(m_server.serverPort()); }

    void setPage(const QString &path, const QByteArray &html) { m_pages.insert(path, html); }
    int requests(const QString &path) const { return m_requests.value(path); }

private:
    void serve(QTcpSocket *socket)
    {
        QObject::connect(socket, &QTcpSocket::disconnected, socket, [this, socket] {
            m_pending.remove(socket);
            socket->deleteLater();
        });
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
            QByteArray &request = m_pending[socket];
            request += socket->readAll();
            if (!request.contains("\r\n\r\n"))
                return;
            const QList<QByteArray> words = request.left(request.indexOf("\r\n")).split(' ');
            m_pending.remove(socket);
            const QString path = words.size() > 1 ? QString::fromLatin1(words[1]) : QString();
            ++m_requests[path];
            const auto page = m_pages.constFind(path);
            const bool found = page != m_pages.constEnd();
            const QByteArray body = found ? *page : QByteArrayLiteral("<h1>404</h1>");
            socket->write(found ? "HTTP/1.1 200 OK\r\n" : "HTTP/1.1 404 Not Found\r\n");
            socket->write("Content-Type: text/html; charset=utf-8\r\n"
                          "Cache-Control: no-store\r\n"
                          "Connection: close\r\n");
            socket->write("Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n");
            socket->write(body);
            socket->disconnectFromHost();
        });
    }

    QTcpServer m_server;
    QHash<QString, QByteArray> m_pages;
    QHash<QString, int> m_requests;
    QHash<QTcpSocket *, QByteArray> m_pending;
};

} // namespace velaria::testing
