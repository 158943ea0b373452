#pragma once

// Shared by the update tests: answering message boxes, a program folder
// inside a temporary folder, and writing update lists.

#include "TestHttpServer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMessageBox>
#include <QNetworkProxy>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <utility>
#include <vector>

// What a message box showed.
struct Meldung
{
    QString titel;
    QString text;
    QMessageBox::Icon symbol = QMessageBox::NoIcon;
    QMessageBox::StandardButtons knoepfe;
    QMessageBox::StandardButton standard = QMessageBox::NoButton;
};

// Answers every modal message box that comes up while it lives: with the
// next planned button, or, when none is left, with the box's escape button
// (No for a question), so that an unexpected box never blocks a test.
class MeldungsBeantworter final : public QObject
{
public:
    explicit MeldungsBeantworter(QList<QMessageBox::StandardButton> antworten = {})
        : m_antworten(std::move(antworten))
    {
        planen();
    }

    QList<Meldung> meldungen;

private:
    void planen()
    {
        QTimer::singleShot(10, this, [this] { pruefen(); });
    }

    void pruefen()
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box && box->isVisible()) {
            meldungen.append({box->windowTitle(), box->text(), box->icon(), box->standardButtons(),
                              box->standardButton(box->defaultButton())});
            QAbstractButton* knopf = nullptr;
            if (!m_antworten.isEmpty())
                knopf = box->button(m_antworten.takeFirst());
            if (!knopf)
                knopf = box->escapeButton() ? box->escapeButton() : box->defaultButton();
            if (knopf)
                knopf->click();
            else
                box->reject();
        }
        planen();
    }

    QList<QMessageBox::StandardButton> m_antworten;
};

// Only loopback traffic: a proxy from the environment must not take the
// requests anywhere else.
inline void nurDirekteVerbindungen()
{
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
}

// A temporary folder holding the program folder "Programm", so that tests
// can see whether anything was written beside it.
struct Testordner
{
    QTemporaryDir wurzel;
    QString programmordner;

    Testordner()
        : programmordner(wurzel.path() + QStringLiteral("/Programm"))
    {
        QDir().mkpath(programmordner);
    }

    QString imProgramm(const QString& name) const { return programmordner + u'/' + name; }

    // Every file and folder below the temporary folder, relative to it.
    QStringList alles() const { return eintraegeUnter(wurzel.path()); }

    static QStringList eintraegeUnter(const QString& ordner)
    {
        QStringList liste;
        QDirIterator it(ordner,
                        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            liste.append(QDir(ordner).relativeFilePath(it.next()));
        liste.sort();
        return liste;
    }
};

inline bool schreibeDatei(const QString& pfad, const QByteArray& inhalt)
{
    QFile datei(pfad);
    return datei.open(QIODevice::WriteOnly) && datei.write(inhalt) == inhalt.size();
}

inline QByteArray leseDatei(const QString& pfad)
{
    QFile datei(pfad);
    return datei.open(QIODevice::ReadOnly) ? datei.readAll() : QByteArray();
}

// One entry of an update list; an empty text leaves its key out.
struct TestEintrag
{
    int nummer;
    QString name;
    QString url;
    QString pfad;
};

// The list as a server would have it: three sections, CR LF line ends.
inline QByteArray updateListe(const std::vector<TestEintrag>& eintraege)
{
    QByteArray text;
    auto sektion = [&](const char* titel, QString TestEintrag::*feld) {
        text += QByteArray("[") + titel + "]\r\n";
        for (const TestEintrag& e : eintraege) {
            if (!(e.*feld).isEmpty())
                text +=
                    "Datei" + QByteArray::number(e.nummer) + '=' + (e.*feld).toLatin1() + "\r\n";
        }
    };
    sektion("Namen", &TestEintrag::name);
    sektion("URL", &TestEintrag::url);
    sektion("Pfad", &TestEintrag::pfad);
    return text;
}

// The server paths of an update.
inline const QString serverVersion = QStringLiteral("/wandelbuch/Sichtwerk/version.txt");
inline const QString serverProgramm = QStringLiteral("/wandelbuch/Sichtwerk/Sichtwerk.txt");
inline const QString serverSkript = QStringLiteral("/wandelbuch/Sichtwerk/update.txt");
inline const QString serverListe = QStringLiteral("/wandelbuch/Sichtwerk/updatedata.txt");

inline const QString textFrage =
    QStringLiteral("eine neuere Version des Sichtwerks ist verfügbar, wollen sie updaten?");

// A server that offers version 2 with program file and script; the list is
// left to the test.
inline void neueVersionAnbieten(TestHttpServer& server)
{
    server.bedienen(serverVersion, "Version: 2,000\r\n");
    server.bedienen(serverProgramm, "neues Programm");
    server.bedienen(serverSkript, "echo skript\n");
}
