#pragma once

#include <QHash>
#include <QObject>
#include <QTcpServer>
#include <QUrl>

class QTcpSocket;

// A small HTTP/1.1 server on 127.0.0.1, listening from construction on. It
// answers each request on its own connection from a table of paths; unknown
// paths get 404. It runs in the test's thread, so it serves whenever that
// thread runs an event loop (a blocking download's or a message box's).
class TestHttpServer final : public QObject
{
    Q_OBJECT

public:
    TestHttpServer();

    // "http://127.0.0.1:<port>" followed by `pfad`.
    QUrl url(const QString& pfad = {}) const;
    void bedienen(const QString& pfad, const QByteArray& body, int status = 200)
    {
        m_antworten.insert(pfad, {status, body, {}, -1, false});
    }
    void umleiten(const QString& pfad, const QByteArray& ziel)
    {
        m_antworten.insert(pfad, {302, {}, ziel, -1, false});
    }
    // Announces the whole body, but closes the connection after `gesendet` bytes.
    void abschneiden(const QString& pfad, const QByteArray& body, qint64 gesendet)
    {
        m_antworten.insert(pfad, {200, body, {}, gesendet, false});
    }
    // Sends the body one byte every `takt` milliseconds.
    void troepfeln(const QString& pfad, const QByteArray& body, int takt)
    {
        m_antworten.insert(pfad, {200, body, {}, -1, false, takt});
    }
    // Announces `laenge` as the body's length. Qt reads a length that is no
    // number as none and takes the body up to the closed connection.
    void ankuendigen(const QString& pfad, const QByteArray& body, const QByteArray& laenge)
    {
        m_antworten.insert(pfad, {200, body, {}, -1, false, 0, laenge});
    }
    // Reads the request and stays silent.
    void nieAntworten(const QString& pfad) { m_antworten.insert(pfad, {200, {}, {}, -1, true}); }
    int anfragen(const QString& pfad) const { return m_zaehler.value(pfad); }
    int anfragenGesamt() const;

private:
    struct Antwort
    {
        int status;
        QByteArray body;
        QByteArray ort;  // Location of a redirect
        qint64 gesendet; // < 0: the whole body
        bool nie;
        int takt = 0;
        QByteArray laenge = {}; // Content-Length as sent; empty: the body's
    };

    void lesen(QTcpSocket* socket);

    QTcpServer m_server;
    QHash<QString, Antwort> m_antworten;
    QHash<QString, int> m_zaehler;
};
