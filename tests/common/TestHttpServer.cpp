#include "TestHttpServer.h"

#include <QNetworkProxy>
#include <QTcpSocket>
#include <QTimer>

#include <numeric>

TestHttpServer::TestHttpServer()
{
    // A proxy from the environment must not take the requests anywhere else.
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
    if (!m_server.listen(QHostAddress::LocalHost))
        qFatal("Testserver: %s", qPrintable(m_server.errorString()));
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { lesen(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

QUrl TestHttpServer::url(const QString& pfad) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort()) + pfad);
}

int TestHttpServer::anfragenGesamt() const
{
    return std::accumulate(m_zaehler.cbegin(), m_zaehler.cend(), 0);
}

void TestHttpServer::lesen(QTcpSocket* socket)
{
    // The request so far lives on the socket, which is deleted with its connection.
    const QByteArray eingang = socket->property("eingang").toByteArray() + socket->readAll();
    socket->setProperty("eingang", eingang);
    if (!eingang.contains("\r\n\r\n") || socket->property("beantwortet").toBool())
        return;
    socket->setProperty("beantwortet", true);
    const QString pfad = QUrl(QString::fromLatin1(eingang.split(' ').value(1))).path();
    ++m_zaehler[pfad];
    const Antwort a = m_antworten.value(pfad, {404, "not found", {}, -1, false});
    if (a.nie)
        return;
    const QByteArray laenge = a.laenge.isEmpty() ? QByteArray::number(a.body.size()) : a.laenge;
    QByteArray kopf = "HTTP/1.1 " + QByteArray::number(a.status) +
                      " Test\r\nConnection: close\r\nContent-Length: " + laenge + "\r\n";
    if (!a.ort.isEmpty())
        kopf += "Location: " + a.ort + "\r\n";
    if (a.takt > 0) {
        socket->write(kopf + "\r\n");
        auto* uhr = new QTimer(socket);
        connect(uhr, &QTimer::timeout, socket, [socket, uhr, rest = a.body]() mutable {
            socket->write(rest.first(1));
            rest.remove(0, 1);
            if (rest.isEmpty()) {
                uhr->stop();
                socket->disconnectFromHost();
            }
        });
        uhr->start(a.takt);
        return;
    }
    socket->write(kopf + "\r\n" + (a.gesendet < 0 ? a.body : a.body.left(a.gesendet)));
    socket->disconnectFromHost();
}
