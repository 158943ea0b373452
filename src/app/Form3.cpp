#include "Form3.h"

#include "Rechteck.h"
#include "update/Signatur.h"
#include "update/UpdateListe.h"
#include "update/VersionDatei.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QtDebug>

#include <cstdio>
#include <cstdlib>

namespace {

// A file of the update server and the name it is kept under in the program
// folder.
struct ServerDatei
{
    const char16_t* serverpfad;
    const char16_t* name;
};

constexpr ServerDatei versionsDatei{u"/wandelbuch/Sichtwerk/version.txt", u"Version.txt"};
constexpr ServerDatei programmDatei{u"/wandelbuch/Sichtwerk/Sichtwerk.txt", u"Sichtwerk.dxe"};
constexpr ServerDatei skriptDatei{u"/wandelbuch/Sichtwerk/update.txt", update::skriptName};
constexpr ServerDatei listenDatei{u"/wandelbuch/Sichtwerk/updatedata.txt", u"updatedata.txt"};
constexpr ServerDatei manifestDatei{u"/wandelbuch/Sichtwerk/signatur.txt", update::manifestName};

constexpr auto textErfolg = u"Update erfolgreich!";

constexpr int twipsProPixel = 15;

int pixel(int twips)
{
    return twips / twipsProPixel;
}

QString dateiFehlertext(const QString& name)
{
    return QStringLiteral("Updatefehler bei Datei '") + name + u'\'';
}

// Ends the process at once: no close or destroy handlers may run between the
// start of the script and the end of the program.
void sofortBeenden()
{
    std::fflush(nullptr);
    std::_Exit(0);
}

} // namespace

Form3::Form3(const QString& programmordner, const QUrl& updateserver, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_programmordner(programmordner)
    , m_updateserver(updateserver)
    , m_schluessel(update::eingebauterSchluessel())
    , m_beenden(sofortBeenden)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Form3"));
    // Without an icon of its own a window shows the application's icon.
    QPixmap keinSymbol(16, 16);
    keinSymbol.fill(Qt::transparent);
    setWindowIcon(QIcon(keinSymbol));
    setFixedSize(pixel(6735), pixel(2130));

    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(500);
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(5000);
    Timer1->setSingleShot(true);

    // A child made later is painted over the ones before it, so the controls
    // are made from the back to the front.
    Label1 = new QLabel(QStringLiteral("Update..."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(0, 0, pixel(6735), pixel(975));
    Label1->setAlignment(Qt::AlignCenter);
    QFont titel(QStringLiteral("MS Sans Serif"));
    titel.setPointSize(36);
    titel.setBold(true);
    Label1->setFont(titel);

    Shape1 = new Rechteck(QColor(192, 192, 255), this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setGeometry(pixel(120), pixel(1200), 0, pixel(495));
    Shape1->setzeBreite(static_cast<float>(6514 / Rechteck::twipsProEinheit));

    Shape2 = new Rechteck(QColor(128, 128, 255), this);
    Shape2->setObjectName(QStringLiteral("Shape2"));
    Shape2->setGeometry(pixel(120), pixel(1200), 0, pixel(495));
    Shape2->setzeBreite(static_cast<float>(3257 / Rechteck::twipsProEinheit));

    Label2 = new QLabel(QStringLiteral("Datei: 1/1 'Dateiname'"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(0, pixel(1800), pixel(6735), pixel(255));
    Label2->setAlignment(Qt::AlignCenter);

    connect(Timer1, &QTimer::timeout, this, &Form3::Timer1_Timer);
    connect(Timer2, &QTimer::timeout, this, &Form3::Timer2_Timer);

    if (const QScreen* bildschirm = QGuiApplication::primaryScreen())
        move(bildschirm->availableGeometry().center() - rect().center());
}

void Form3::setzeLaufendeVersion(const QString& version)
{
    m_laufendeVersion = version;
}

void Form3::setzeBeenden(std::function<void()> beenden)
{
    m_beenden = std::move(beenden);
}

void Form3::setzeDownloadGrenzen(const update::DownloadGrenzen& grenzen)
{
    m_grenzen = grenzen;
}

void Form3::setzeSchluessel(const QByteArray& schluessel)
{
    m_schluessel = schluessel;
}

QString Form3::imProgrammordner(const QString& name) const
{
    return QDir::cleanPath(m_programmordner) + u'/' + name;
}

void Form3::Updatetest()
{
    const QString versionsPfad = imProgrammordner(QString::fromUtf16(versionsDatei.name));
    update::DownloadGrenzen grenzen = m_grenzen;
    grenzen.hoechstGroesse = update::hoechstGroesseVersionsdatei;
    QString fehler;
    // Without the server the program simply starts as usual.
    if (update::herunterladen(
            update::serverUrl(m_updateserver, QString::fromUtf16(versionsDatei.serverpfad)),
            versionsPfad, grenzen, &fehler) != update::DownloadErgebnis::Erfolg) {
        qDebug().noquote() << fehler;
        return;
    }
    HolVersion(versionsPfad);
    QFile::remove(versionsPfad);
    if (update::istNeuer(serverversion, m_laufendeVersion))
        Updateausfuehren();
}

void Form3::HolVersion(const QString& Dateiname)
{
    QFile datei(Dateiname);
    if (!datei.open(QIODevice::ReadOnly)) {
        serverversion.clear();
        return;
    }
    // A file without a version text leaves nothing to compare, which means no
    // update.
    serverversion = update::versionsText(datei.readAll()).value_or(QString());
}

void Form3::Updateausfuehren()
{
    if (frage(QStringLiteral("Update"),
              QStringLiteral(
                  "eine neuere Version des Sichtwerks ist verfügbar, wollen sie updaten?")) !=
        QMessageBox::Yes)
        return;

    QString grund;
    const std::optional<QString> stufe = update::stufeAnlegen(m_programmordner, &grund);
    if (!stufe) {
        ablehnen(grund, {});
        return;
    }
    auto inStufe = [&](const ServerDatei& datei) {
        return *stufe + u'/' + QString::fromUtf16(datei.name);
    };
    auto holen = [&](const ServerDatei& datei, qint64 hoechstGroesse = -1) {
        QString fehler;
        update::DownloadGrenzen grenzen = m_grenzen;
        if (hoechstGroesse >= 0)
            grenzen.hoechstGroesse = hoechstGroesse;
        const auto ergebnis = update::herunterladen(
            update::serverUrl(m_updateserver, QString::fromUtf16(datei.serverpfad)), inStufe(datei),
            grenzen, &fehler);
        if (ergebnis != update::DownloadErgebnis::Erfolg)
            qWarning().noquote() << fehler;
        return ergebnis == update::DownloadErgebnis::Erfolg;
    };

    if (!holen(programmDatei)) {
        ablehnen({}, *stufe);
        return;
    }
    const bool mitSkript = holen(skriptDatei);
    const bool mitListe = holen(listenDatei);
    std::optional<update::Manifest> manifest;
    if (!holen(manifestDatei, update::hoechstGroesseManifest)) {
        grund = QStringLiteral("Updatefehler: keine Signatur auf dem Server");
    } else {
        QFile datei(inStufe(manifestDatei));
        manifest = update::manifestPruefen(
            datei.open(QIODevice::ReadOnly) ? datei.readAll() : QByteArray(), m_schluessel, &grund);
    }
    // A release signed for another version could be replayed in place of the
    // one the check found, an older signed one in place of a newer.
    if (manifest && (manifest->version != serverversion.trimmed() ||
                     !update::istNeuer(manifest->version, m_laufendeVersion)))
        grund = QStringLiteral("Updatefehler: die Signatur gilt für Version '%1', nicht für '%2'")
                    .arg(manifest->version, serverversion.trimmed());
    if (!grund.isEmpty()) {
        ablehnen(grund, *stufe);
        return;
    }

    // The list names what else to fetch, so it is checked before it is read.
    // A file that is not there counts only when the signature names it.
    QList<update::Platzierung> plan;
    QStringList angekommen;
    const std::pair<ServerDatei, bool> geholt[] = {
        {programmDatei, true}, {skriptDatei, mitSkript}, {listenDatei, mitListe}};
    for (const auto& [datei, da] : geholt) {
        if (!da)
            continue;
        const QString name = QString::fromUtf16(datei.name);
        if (grund.isEmpty())
            grund = update::dateiAbweichung(*manifest, name, inStufe(datei));
        angekommen.append(name);
        // The list has done its work once its files are fetched.
        if (name != QString::fromUtf16(listenDatei.name))
            plan.append({inStufe(datei), imProgrammordner(name)});
    }
    if (grund.isEmpty() && mitListe) {
        const QList<update::Platzierung> dateien = Dateistufe(inStufe(listenDatei), *stufe);
        for (const update::Platzierung& p : dateien) {
            const QString name = QFileInfo(p.quelle).fileName();
            if (grund.isEmpty())
                grund = update::dateiAbweichung(*manifest, name, p.quelle);
            angekommen.append(name);
        }
        plan += dateien;
    }
    for (const auto& gelistet : manifest->dateien) {
        if (grund.isEmpty() && !angekommen.contains(gelistet.first))
            grund = update::fehlendeDatei(gelistet.first);
    }
    if (!grund.isEmpty() || !update::allePlatzieren(plan, *stufe, &grund)) {
        ablehnen(grund, *stufe);
        return;
    }
    update::stufeEntfernen(*stufe);

    Timer1->start();
    Timer2->start();
    Label1->setText(QString::fromUtf16(textErfolg));
}

void Form3::ablehnen(const QString& grund, const QString& stufe)
{
    if (!grund.isEmpty()) {
        qWarning().noquote() << grund;
        emit protokollieren(grund);
    }
    if (!stufe.isEmpty())
        update::stufeEntfernen(stufe);
    // The progress of an update that ends here would only mislead.
    hide();
    fehlermeldung(QStringLiteral("Update fehlgeschlagen"));
}

QList<update::Platzierung> Form3::Dateistufe(const QString& listenPfad, const QString& stufe)
{
    qint16 fertig = 0;
    const qint16 n = update::anzahlEintraege(listenPfad);

    Shape2->setzeBreite(0.0f);
    show();
    raise();
    activateWindow();
    Label2->setText(QStringLiteral("Datei: 0/") + QString::number(n));

    QList<update::Platzierung> plan;
    const QList<update::ListenEintrag> eintraege = update::alleEintraege(listenPfad);
    for (qsizetype i = 0; i < eintraege.size(); ++i) {
        const update::ListenEintrag& eintrag = eintraege[i];
        // An entry without a name has nothing to fetch and nothing to move.
        if (eintrag.name.isEmpty())
            continue;

        std::optional<update::Ablage> ablage;
        bool sicher = update::istSchlichterDateiname(eintrag.name);
        if (sicher && !eintrag.pfad.isEmpty()) {
            ablage = update::ablageFuer(m_programmordner, eintrag.pfad, eintrag.name);
            sicher = ablage.has_value();
        }
        if (!sicher) {
            qWarning().noquote()
                << QStringLiteral("Listeneintrag %1 abgelehnt: Name '%2' oder Ordner '%3' führt "
                                  "aus dem Programmordner heraus")
                       .arg(i + 1)
                       .arg(eintrag.name, eintrag.pfad);
            fehlermeldung(dateiFehlertext(eintrag.name));
            continue;
        }

        // Each entry has a folder of its own, so that one name may go to two places.
        const QString quelle = stufe + u'/' + QString::number(i + 1) + u'/' + eintrag.name;
        QDir().mkpath(QFileInfo(quelle).path());
        QString fehler;
        if (update::herunterladen(QUrl(eintrag.url), quelle, m_grenzen, &fehler) !=
            update::DownloadErgebnis::Erfolg) {
            qWarning().noquote() << fehler;
            fehlermeldung(dateiFehlertext(eintrag.name));
            continue;
        }
        // A list whose only key name is too long for the reader counts no
        // entries; the bar then stays as it is instead of dividing by 0.
        if (n > 0)
            Shape2->setzeBreite(static_cast<float>(static_cast<double>(Shape2->breite()) +
                                                   100.0 / static_cast<double>(n)));
        ++fertig;
        Label2->setText(QStringLiteral("Datei: ") + QString::number(fertig) + u'/' +
                        QString::number(n) + QStringLiteral(" '") + eintrag.name + u'\'');

        QString ziel = imProgrammordner(eintrag.name);
        if (ablage) {
            // A folder that a link leads out of the program folder gets
            // nothing; the file stays in the program folder itself.
            if (update::bleibtImProgrammordner(m_programmordner, ablage->ordner) &&
                update::bleibtImProgrammordner(m_programmordner, ablage->datei)) {
                ziel = ablage->datei;
            } else {
                qWarning().noquote() << QStringLiteral("'%1' liegt außerhalb des Programmordners")
                                            .arg(QDir::toNativeSeparators(ablage->datei));
                fehlermeldung(dateiFehlertext(eintrag.name));
            }
        }
        plan.append({quelle, ziel});
    }
    return plan;
}

void Form3::Timer1_Timer()
{
    Timer1->stop();
    QString fehler;
    if (!update::starteUpdateSkript(m_programmordner, &fehler))
        qWarning().noquote() << fehler;
    if (m_beenden)
        m_beenden();
}

void Form3::Timer2_Timer()
{
    const QString erfolg = QString::fromUtf16(textErfolg);
    Label1->setText(Label1->text().compare(erfolg, Qt::CaseInsensitive) == 0 ? QString() : erfolg);
}

int Form3::frage(const QString& titel, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, titel, text, QMessageBox::Yes | QMessageBox::No,
                    isVisible() ? this : nullptr);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec();
}

void Form3::fehlermeldung(const QString& text)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::Ok,
                    isVisible() ? this : nullptr);
    box.exec();
}
