#include "Download.h"

#include "config/Dateien.h"

#include <QDir>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <memory>

namespace update {

namespace {

bool istHttpAdresse(const QUrl& url)
{
    if (!url.isValid() || url.isRelative() || url.host().isEmpty())
        return false;
    const QString schema = url.scheme().toLower();
    return schema == u"http" || schema == u"https";
}

bool istErfolgsStatus(int status)
{
    return status >= 200 && status <= 299;
}

// The announced body length, or -1. After a redirect Qt joins the headers of
// all answers with commas ("0, 12"); the last value is the final answer's.
qint64 angekuendigteLaenge(const QNetworkReply& antwort)
{
    const QByteArray roh = antwort.rawHeader("Content-Length");
    if (roh.isEmpty())
        return -1;
    bool ok = false;
    const qint64 laenge = roh.sliced(roh.lastIndexOf(',') + 1).trimmed().toLongLong(&ok);
    return ok && laenge >= 0 ? laenge : -1;
}

} // namespace

QUrl serverUrl(const QUrl& basis, const QString& pfad)
{
    // An empty address counts as invalid too.
    if (!basis.isValid())
        return {};
    QString text = basis.toString();
    while (text.endsWith(u'/'))
        text.chop(1);
    return QUrl(text + pfad, QUrl::StrictMode);
}

DownloadErgebnis herunterladen(const QUrl& url, const QString& zielPfad,
                               const DownloadGrenzen& grenzen, QString* fehler)
{
    const QString anzeigeName = QDir::toNativeSeparators(zielPfad);
    auto scheitern = [&](DownloadErgebnis ergebnis, const QString& grund) {
        if (fehler)
            *fehler = QStringLiteral("Download von '%1' nach '%2' fehlgeschlagen: %3")
                          .arg(url.toDisplayString(), anzeigeName, grund);
        return ergebnis;
    };

    // Only web addresses: a list from the server must not make us copy local
    // files (file:) or reach anything else the network stack would accept.
    if (!istHttpAdresse(url))
        return scheitern(DownloadErgebnis::UngueltigeAdresse,
                         QStringLiteral("keine gültige HTTP-Adresse"));

    dateien::Zwischendatei datei(zielPfad);
    if (!datei.oeffnen())
        return scheitern(DownloadErgebnis::Schreibfehler, datei.grund());

    QNetworkAccessManager netz;
    QNetworkRequest anfrage(url);
    anfrage.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    // A redirect loop must end soon, not after Qt's default of 50 rounds.
    anfrage.setMaximumRedirectsAllowed(10);
    const std::unique_ptr<QNetworkReply> antwort(netz.get(anfrage));

    QEventLoop schleife;
    QTimer wache;
    wache.setSingleShot(true);

    DownloadErgebnis ergebnis = DownloadErgebnis::Erfolg;
    QString grund;
    qint64 geschrieben = 0;

    auto abbrechen = [&](DownloadErgebnis e, const QString& g) {
        if (ergebnis == DownloadErgebnis::Erfolg) {
            ergebnis = e;
            grund = g;
        }
        wache.stop();
        antwort->abort();
    };
    auto lebtNoch = [&] {
        if (ergebnis == DownloadErgebnis::Erfolg)
            wache.start(grenzen.stillstand);
    };
    auto status = [&] {
        return antwort->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    };
    auto uebernehmen = [&] {
        if (ergebnis != DownloadErgebnis::Erfolg)
            return;
        const QByteArray stueck = antwort->readAll();
        // The body of an error page is not what was asked for.
        if (stueck.isEmpty() || !istErfolgsStatus(status()))
            return;
        if (grenzen.hoechstGroesse >= 0 && geschrieben + stueck.size() > grenzen.hoechstGroesse) {
            abbrechen(DownloadErgebnis::ZuGross, QStringLiteral("die Antwort ist zu groß"));
            return;
        }
        if (!datei.schreiben(stueck)) {
            abbrechen(DownloadErgebnis::Schreibfehler, datei.grund());
            return;
        }
        geschrieben += stueck.size();
    };

    QObject::connect(&wache, &QTimer::timeout, &schleife, [&] {
        abbrechen(DownloadErgebnis::Zeitueberschreitung,
                  QStringLiteral("der Server antwortet nicht"));
    });
    QObject::connect(antwort.get(), &QNetworkReply::metaDataChanged, &schleife, [&] {
        lebtNoch();
        if (grenzen.hoechstGroesse >= 0 && istErfolgsStatus(status()) &&
            angekuendigteLaenge(*antwort) > grenzen.hoechstGroesse)
            abbrechen(DownloadErgebnis::ZuGross, QStringLiteral("die Antwort ist zu groß"));
    });
    QObject::connect(antwort.get(), &QNetworkReply::redirected, &schleife, lebtNoch);
    QObject::connect(antwort.get(), &QNetworkReply::readyRead, &schleife, [&] {
        lebtNoch();
        uebernehmen();
    });
    QObject::connect(antwort.get(), &QNetworkReply::finished, &schleife, &QEventLoop::quit);

    wache.start(grenzen.verbindung);
    if (!antwort->isFinished())
        schleife.exec(QEventLoop::ExcludeUserInputEvents);
    wache.stop();
    uebernehmen();

    if (ergebnis == DownloadErgebnis::Erfolg) {
        const int s = status();
        const qint64 laenge = angekuendigteLaenge(*antwort);
        // Qt unpacks compressed bodies, whose declared length is then that of
        // the packed form.
        const bool gepackt = antwort->hasRawHeader("Content-Encoding");
        if (s != 0 && !istErfolgsStatus(s)) {
            ergebnis = DownloadErgebnis::HttpFehler;
            grund = QStringLiteral("der Server meldet den Status %1").arg(s);
        } else if (antwort->error() != QNetworkReply::NoError) {
            ergebnis = DownloadErgebnis::Verbindungsfehler;
            grund = antwort->errorString();
        } else if (s == 0) {
            ergebnis = DownloadErgebnis::Verbindungsfehler;
            grund = QStringLiteral("keine HTTP-Antwort");
        } else if (!gepackt && laenge >= 0 && laenge != geschrieben) {
            ergebnis = DownloadErgebnis::Unvollstaendig;
            grund = QStringLiteral("nur %1 von %2 Bytes empfangen").arg(geschrieben).arg(laenge);
        }
    }
    if (ergebnis != DownloadErgebnis::Erfolg) {
        datei.verwerfen();
        return scheitern(ergebnis, grund);
    }
    if (!datei.abschliessen())
        return scheitern(DownloadErgebnis::Schreibfehler, datei.grund());
    return DownloadErgebnis::Erfolg;
}

} // namespace update
