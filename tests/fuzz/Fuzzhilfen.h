#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QList>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <string>

// A broken property counts as a finding, like a crash: libFuzzer keeps the
// input that led to it.
#define PRUEFEN(bedingung)                                                                         \
    do {                                                                                           \
        if (!(bedingung)) {                                                                        \
            std::fprintf(stderr, "%s:%d: Eigenschaft verletzt: %s\n", __FILE__, __LINE__,          \
                         #bedingung);                                                              \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

namespace fuzz {

inline QByteArray bytes(const std::string& s)
{
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

// Section and key names as they stand in the lines of a file: the text
// between '[' and ']' and the text before '='. They make good probes, since
// names the fuzzer invents itself rarely match (the comparison runs inside
// Qt, which carries no coverage instrumentation).
// For QByteArray and QString alike.
template <typename Text> Text ohneBlanks(Text t)
{
    while (!t.isEmpty() && (t.front() == ' ' || t.front() == '\t'))
        t.remove(0, 1);
    while (!t.isEmpty() && (t.back() == ' ' || t.back() == '\t'))
        t.chop(1);
    return t;
}

inline QList<QByteArray> namenIn(const QByteArray& inhalt, qsizetype hoechstens)
{
    QList<QByteArray> namen;
    QByteArray rest = inhalt;
    rest.replace('\r', '\n');
    for (const QByteArray& zeile : rest.split('\n')) {
        if (namen.size() >= hoechstens)
            break;
        const QByteArray t = ohneBlanks(zeile);
        if (t.startsWith('[')) {
            const qsizetype zu = t.indexOf(']');
            namen.append(ohneBlanks(t.mid(1, zu < 0 ? -1 : zu - 1)));
        } else if (const qsizetype gleich = t.indexOf('='); gleich >= 0) {
            namen.append(ohneBlanks(t.left(gleich)));
        }
    }
    return namen;
}

// The picture readers take a path: each input goes into the same file of
// this process. Qt finds its image plugins through the application object.
inline QString alsDatei(const uint8_t* daten, size_t groesse)
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication anwendung(argc, argv);
    static const QString pfad = QDir::temp().filePath(
        QStringLiteral("sichtwerk-fuzz-%1.bild").arg(QCoreApplication::applicationPid()));
    QFile datei(pfad);
    if (!datei.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        datei.write(reinterpret_cast<const char*>(daten), qint64(groesse)) != qint64(groesse))
        std::abort();
    return pfad;
}

} // namespace fuzz
