#include "TestHttpServer.h"

#include <QHostAddress>
#include <QTcpSocket>

namespace {

QByteArray statusText(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 204:
        return "No Content";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 307:
        return "Temporary Redirect";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

constexpr qint64 stueckGroesse = 64 * 1024;

} // namespace

TestHttpServer::TestHttpServer(QObject* parent)
    : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &TestHttpServer::neueVerbindung);
}

TestHttpServer::~TestHttpServer()
{
    stoppen();
}

bool TestHttpServer::starten()
{
    return m_server.listen(QHostAddress::LocalHost, 0);
}

void TestHttpServer::stoppen()
{
    m_server.close();
    const QList<QTcpSocket*> sockets = m_verbindungen.keys();
    m_verbindungen.clear();
    for (QTcpSocket* socket : sockets) {
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
}

quint16 TestHttpServer::port() const
{
    return m_server.serverPort();
}

QUrl TestHttpServer::basisUrl() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port()));
}

QUrl TestHttpServer::url(const QString& pfad) const
{
    return QUrl(basisUrl().toString() + pfad);
}

void TestHttpServer::setzeAntwort(const QString& pfad, const Antwort& antwort)
{
    m_antworten.insert(pfad, antwort);
}

void TestHttpServer::bedienen(const QString& pfad, const QByteArray& body, int status)
{
    Antwort a;
    a.status = status;
    a.body = body;
    setzeAntwort(pfad, a);
}

void TestHttpServer::umleiten(const QString& pfad, const QString& ziel, int status)
{
    Antwort a;
    a.status = status;
    a.kopfzeilen.append({"Location", ziel.toUtf8()});
    setzeAntwort(pfad, a);
}

void TestHttpServer::nieAntworten(const QString& pfad)
{
    Antwort a;
    a.art = Art::NieAntworten;
    setzeAntwort(pfad, a);
}

void TestHttpServer::abschneiden(const QString& pfad, const QByteArray& body, qint64 gesendet)
{
    Antwort a;
    a.body = body;
    a.art = Art::Abschneiden;
    a.gesendet = gesendet;
    setzeAntwort(pfad, a);
}

void TestHttpServer::stocken(const QString& pfad, const QByteArray& body, qint64 gesendet)
{
    Antwort a;
    a.body = body;
    a.art = Art::Stocken;
    a.gesendet = gesendet;
    setzeAntwort(pfad, a);
}

void TestHttpServer::grossBedienen(const QString& pfad, qint64 groesse, bool mitLaenge)
{
    Antwort a;
    a.erzeugt = groesse;
    a.mitLaenge = mitLaenge;
    setzeAntwort(pfad, a);
}

void TestHttpServer::entfernen(const QString& pfad)
{
    m_antworten.remove(pfad);
}

int TestHttpServer::anfragen(const QString& pfad) const
{
    return m_zaehler.value(pfad);
}

int TestHttpServer::anfragenGesamt() const
{
    return static_cast<int>(m_reihenfolge.size());
}

QByteArray TestHttpServer::erzeugterInhalt(qint64 groesse)
{
    QByteArray inhalt;
    inhalt.reserve(groesse);
    for (qint64 i = 0; i < groesse; ++i)
        inhalt.append(static_cast<char>('a' + (i * 7 + i / 251) % 26));
    return inhalt;
}

void TestHttpServer::neueVerbindung()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        m_verbindungen.insert(socket, Verbindung{});
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { lesen(socket); });
        connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] { weiterSenden(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_verbindungen.remove(socket);
            socket->deleteLater();
        });
    }
}

void TestHttpServer::lesen(QTcpSocket* socket)
{
    auto it = m_verbindungen.find(socket);
    if (it == m_verbindungen.end())
        return;
    it->eingang += socket->readAll();
    if (it->beantwortet || !it->eingang.contains("\r\n\r\n"))
        return;
    it->beantwortet = true;
    const QByteArray anfrageZeile = it->eingang.left(it->eingang.indexOf("\r\n"));
    const QList<QByteArray> teile = anfrageZeile.split(' ');
    const QString ziel = teile.size() >= 2 ? QString::fromLatin1(teile[1]) : QString();
    const QString pfad = QUrl(ziel).path();
    m_zaehler[pfad] += 1;
    m_reihenfolge.append(pfad);
    antworten(socket, pfad);
}

void TestHttpServer::antworten(QTcpSocket* socket, const QString& pfad)
{
    Antwort a;
    if (const auto it = m_antworten.constFind(pfad); it != m_antworten.cend()) {
        a = *it;
    } else {
        a.status = 404;
        a.body = "not found";
    }
    if (a.art == Art::NieAntworten)
        return;

    const qint64 laenge = a.erzeugt >= 0 ? a.erzeugt : a.body.size();
    QByteArray kopf = "HTTP/1.1 " + QByteArray::number(a.status) + ' ' + statusText(a.status) +
                      "\r\nConnection: close\r\nContent-Type: application/octet-stream\r\n";
    if (a.mitLaenge)
        kopf += "Content-Length: " + QByteArray::number(laenge) + "\r\n";
    for (const auto& [name, wert] : a.kopfzeilen)
        kopf += name + ": " + wert + "\r\n";
    kopf += "\r\n";
    socket->write(kopf);

    switch (a.art) {
    case Art::Normal:
        if (a.erzeugt >= 0) {
            m_verbindungen[socket].rest = a.erzeugt;
            weiterSenden(socket);
            return;
        }
        socket->write(a.body);
        socket->disconnectFromHost();
        return;
    case Art::Abschneiden:
        socket->write(a.body.left(a.gesendet));
        socket->disconnectFromHost();
        return;
    case Art::Stocken:
        socket->write(a.body.left(a.gesendet));
        socket->flush();
        return;
    case Art::NieAntworten:
        return;
    }
}

void TestHttpServer::weiterSenden(QTcpSocket* socket)
{
    auto it = m_verbindungen.find(socket);
    if (it == m_verbindungen.end() || it->rest <= 0)
        return;
    // Generated bodies go out piece by piece, so that a huge one needs no
    // memory of its size and a client that gives up stops the sending.
    while (it->rest > 0 && socket->bytesToWrite() < 4 * stueckGroesse) {
        const qint64 n = std::min(stueckGroesse, it->rest);
        QByteArray stueck(n, Qt::Uninitialized);
        for (qint64 i = 0; i < n; ++i) {
            const qint64 p = it->position + i;
            stueck[i] = static_cast<char>('a' + (p * 7 + p / 251) % 26);
        }
        socket->write(stueck);
        it->position += n;
        it->rest -= n;
    }
    if (it->rest == 0)
        socket->disconnectFromHost();
}
