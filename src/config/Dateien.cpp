#include "Dateien.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSysInfo>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#ifdef Q_OS_WIN
#include <io.h>
#include <process.h>
#else
#include <csignal>
#include <unistd.h>
#endif

namespace dateien {

namespace {

// Views are written in a few milliseconds; a file this old belongs to no
// write that is still going on, whichever machine it came from.
constexpr qint64 VerwaistNachSekunden = 3600;

#ifdef Q_OS_WIN
using Nativ = std::wstring;
Nativ nativ(const QString& pfad)
{
    return QDir::toNativeSeparators(pfad).toStdWString();
}
int oeffnenNeu(const Nativ& p)
{
    return _wopen(p.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                  _S_IREAD | _S_IWRITE);
}
int oeffnenLesen(const Nativ& p)
{
    return _wopen(p.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
}
long long schreibeTeil(int fd, const char* d, qsizetype n)
{
    return _write(fd, d, unsigned(qMin<qsizetype>(n, 1 << 30)));
}
long long leseTeil(int fd, char* d, qsizetype n)
{
    return _read(fd, d, unsigned(qMin<qsizetype>(n, 1 << 30)));
}
int aufPlatte(int fd)
{
    return _commit(fd);
}
int schliessen(int fd)
{
    return _close(fd);
}
int anlegen(const Nativ& p)
{
    return _wmkdir(p.c_str());
}
#else
using Nativ = QByteArray;
Nativ nativ(const QString& pfad)
{
    return QFile::encodeName(pfad);
}
int oeffnenNeu(const Nativ& p)
{
    return ::open(p.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}
int oeffnenLesen(const Nativ& p)
{
    return ::open(p.constData(), O_RDONLY | O_CLOEXEC);
}
long long schreibeTeil(int fd, const char* d, qsizetype n)
{
    return ::write(fd, d, size_t(n));
}
long long leseTeil(int fd, char* d, qsizetype n)
{
    return ::read(fd, d, size_t(n));
}
int aufPlatte(int fd)
{
    return ::fsync(fd);
}
int schliessen(int fd)
{
    return ::close(fd);
}
int anlegen(const Nativ& p)
{
    return ::mkdir(p.constData(), 0777);
}
#endif

qint64 prozessNummer()
{
#ifdef Q_OS_WIN
    return _getpid();
#else
    return ::getpid();
#endif
}

// Whether a process of this machine with that number still runs; where that
// cannot be told, it counts as running.
bool laeuft(qint64 nummer)
{
#ifdef Q_OS_WIN
    Q_UNUSED(nummer);
    return true;
#else
    return ::kill(pid_t(nummer), 0) == 0 || errno != ESRCH;
#endif
}

// Eight hex digits for this machine, so that a folder shared by several
// machines tells their files apart.
const QString& rechnerKennung()
{
    static const QString kennung = QString::fromLatin1(
        QCryptographicHash::hash(QSysInfo::machineHostName().toUtf8(), QCryptographicHash::Sha256)
            .left(4)
            .toHex());
    return kennung;
}

const QRegularExpression& zwischenMuster()
{
    // The leading dot hides them; the fixed parts make them unmistakable.
    static const QRegularExpression muster(
        QStringLiteral("^\\.sichtwerk-([0-9]{1,10})-([0-9a-f]{8})-[0-9a-f]{8}\\.teil$"));
    return muster;
}

std::filesystem::path fsPfad(const QString& pfad)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(nativ(pfad));
#else
    return std::filesystem::path(nativ(pfad).toStdString());
#endif
}

int fehlerVon(const std::error_code& ec)
{
    // On Windows the code is the system's own; its portable meaning is errno's.
    return ec.default_error_condition().value();
}

} // namespace

QString grund(int n, bool beimLesen)
{
    switch (n) {
    case ENOSPC:
        return QStringLiteral("auf dem Datenträger ist kein Platz mehr");
#ifdef EDQUOT
    case EDQUOT:
        return QStringLiteral("der zugeteilte Speicherplatz auf dem Datenträger ist erschöpft");
#endif
    case EACCES:
    case EPERM:
        return QStringLiteral("keine Berechtigung");
    case EROFS:
        return QStringLiteral("das Dateisystem ist schreibgeschützt");
    case ENAMETOOLONG:
        return QStringLiteral("der Name ist zu lang");
    case ENOENT:
        return beimLesen ? QStringLiteral("die Datei existiert nicht")
                         : QStringLiteral("ein Ordner des Pfads fehlt");
    case ENOTDIR:
        return QStringLiteral("ein Teil des Pfads ist kein Ordner");
    case EISDIR:
        return QStringLiteral("an ihrer Stelle steht ein Ordner");
    case EEXIST:
        return QStringLiteral("der Name ist schon vergeben");
    case EIO:
        return QStringLiteral("der Datenträger meldet einen Ein-/Ausgabefehler");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("zu viele offene Dateien");
    case EFBIG:
        return QStringLiteral("die Datei wäre zu groß für das Dateisystem");
    case ENOMEM:
        return QStringLiteral("kein Arbeitsspeicher mehr frei");
    case ELOOP:
        return QStringLiteral("zu viele symbolische Verknüpfungen im Pfad");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("die Datei ist in Gebrauch");
    case EXDEV:
        return QStringLiteral("Ziel und Quelle liegen auf verschiedenen Dateisystemen");
    case EINVAL:
        return QStringLiteral("der Name ist auf diesem Dateisystem ungültig");
    case EAGAIN:
        return QStringLiteral("die Datei ist vorübergehend gesperrt");
#ifdef ESTALE
    case ESTALE:
        return QStringLiteral("die Netzwerkfreigabe ist nicht mehr erreichbar");
#endif
    case ETIMEDOUT:
        return QStringLiteral("Zeitüberschreitung beim Zugriff auf den Datenträger");
    case ENODEV:
    case ENXIO:
        return QStringLiteral("das Gerät ist nicht bereit");
    default:
        return QStringLiteral("Fehler %1 des Betriebssystems").arg(n);
    }
}

QByteArray lesen(const QString& pfad, QString* grundText)
{
    auto scheitern = [&](int n) {
        if (grundText)
            *grundText = grund(n, true);
        return QByteArray();
    };
    const int fd = oeffnenLesen(nativ(pfad));
    if (fd == -1)
        return scheitern(errno);
    QByteArray inhalt;
    qsizetype gelesen = 0;
    try {
        // One more byte than the file has, so that the end is seen at once.
        inhalt.resize(qMax<qint64>(0, QFileInfo(pfad).size()) + 1);
        for (;;) {
            if (gelesen == inhalt.size())
                inhalt.resize(2 * inhalt.size());
            const long long n = leseTeil(fd, inhalt.data() + gelesen, inhalt.size() - gelesen);
            if (n == -1) {
                if (errno == EINTR)
                    continue;
                const int e = errno;
                schliessen(fd);
                return scheitern(e);
            }
            if (n == 0)
                break;
            gelesen += qsizetype(n);
        }
    } catch (const std::bad_alloc&) {
        schliessen(fd);
        return scheitern(ENOMEM);
    }
    schliessen(fd);
    inhalt.resize(gelesen);
    return inhalt;
}

bool ordnerAnlegen(const QString& pfad, QString* grundText)
{
    const QFileInfo info(pfad);
    // Only missing folders above are made; a file in their place is left to
    // mkdir, which names it.
    const QString oben = info.absolutePath();
    if (oben != info.absoluteFilePath() && !QFileInfo::exists(oben) &&
        !ordnerAnlegen(oben, grundText))
        return false;
    // A folder that is there already, also one another process has just
    // made, is asked for afresh: `info` would still know it as missing.
    if (anlegen(nativ(info.absoluteFilePath())) == 0 ||
        (errno == EEXIST && QFileInfo(info.absoluteFilePath()).isDir()))
        return true;
    const int n = errno;
    if (grundText)
        *grundText = n == EEXIST ? QStringLiteral("an seiner Stelle steht eine Datei") : grund(n);
    return false;
}

class Zwischendatei::Geraet final : public QIODevice
{
public:
    explicit Geraet(Zwischendatei& datei)
        : m_datei(datei)
    {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* daten, qint64 laenge) override
    {
        return m_datei.schreiben(QByteArrayView(daten, laenge)) ? laenge : -1;
    }

private:
    Zwischendatei& m_datei;
};

Zwischendatei::Zwischendatei(const QString& ziel)
    : m_ziel(ziel)
{
}

Zwischendatei::~Zwischendatei()
{
    verwerfen();
}

bool Zwischendatei::scheitern(int fehlernummer)
{
    if (m_grund.isEmpty())
        m_grund = dateien::grund(fehlernummer);
    return false;
}

bool Zwischendatei::oeffnen()
{
    const QString ordner = QFileInfo(m_ziel).absolutePath();
    for (int versuch = 0; versuch < 8; ++versuch) {
        m_teil = QDir(ordner).filePath(
            QStringLiteral(".sichtwerk-%1-%2-%3.teil")
                .arg(prozessNummer())
                .arg(rechnerKennung())
                .arg(QRandomGenerator::global()->generate(), 8, 16, QChar(u'0')));
        m_fd = oeffnenNeu(nativ(m_teil));
        if (m_fd != -1)
            return true;
        if (errno != EEXIST)
            break;
    }
    const int n = errno;
    m_teil.clear();
    return scheitern(n);
}

void Zwischendatei::pruefsummeBilden()
{
    m_summe = std::make_unique<QCryptographicHash>(QCryptographicHash::Sha256);
}

QByteArray Zwischendatei::pruefsumme() const
{
    return m_summe ? m_summe->result() : QByteArray();
}

bool Zwischendatei::schreiben(QByteArrayView daten)
{
    if (m_fd == -1)
        return scheitern(EBADF);
    if (m_summe)
        m_summe->addData(daten);
    m_geschrieben += daten.size();
    const char* p = daten.data();
    qsizetype rest = daten.size();
    while (rest > 0) {
        const long long n = schreibeTeil(m_fd, p, rest);
        if (n == -1) {
            if (errno == EINTR)
                continue;
            return scheitern(errno);
        }
        // write() takes at least one byte unless it fails; a file that takes
        // none cannot grow.
        if (n == 0)
            return scheitern(ENOSPC);
        p += n;
        rest -= qsizetype(n);
    }
    return true;
}

QIODevice* Zwischendatei::geraet()
{
    if (!m_geraet)
        m_geraet = std::make_unique<Geraet>(*this);
    return m_geraet.get();
}

bool Zwischendatei::abschliessen()
{
    if (m_fd == -1 || !m_grund.isEmpty()) {
        verwerfen();
        return scheitern(EBADF);
    }
#ifndef Q_OS_WIN
    // A replaced file keeps who may read and write it.
    struct stat alt;
    if (::stat(nativ(m_ziel).constData(), &alt) == 0)
        ::fchmod(m_fd, alt.st_mode & 07777);
#endif
    if (aufPlatte(m_fd) != 0) {
        const int n = errno;
        verwerfen();
        return scheitern(n);
    }
    const int fd = m_fd;
    m_fd = -1;
    if (schliessen(fd) != 0) {
        const int n = errno;
        QFile::remove(m_teil);
        m_teil.clear();
        return scheitern(n);
    }
    std::error_code ec;
    std::filesystem::rename(fsPfad(m_teil), fsPfad(m_ziel), ec);
    if (ec) {
        QFile::remove(m_teil);
        m_teil.clear();
        return scheitern(fehlerVon(ec));
    }
    m_teil.clear();
    return true;
}

void Zwischendatei::verwerfen()
{
    if (m_fd != -1) {
        schliessen(m_fd);
        m_fd = -1;
    }
    if (!m_teil.isEmpty()) {
        QFile::remove(m_teil);
        m_teil.clear();
    }
}

bool istZwischendatei(const QString& name)
{
    return zwischenMuster().match(name).hasMatch();
}

int zwischendateienEntfernen(const QString& ordner)
{
    int entfernt = 0;
    const QDateTime grenze = QDateTime::currentDateTimeUtc().addSecs(-VerwaistNachSekunden);
    QDirIterator it(ordner, {QStringLiteral(".sichtwerk-*.teil")},
                    QDir::Files | QDir::Hidden | QDir::System);
    while (it.hasNext()) {
        it.next();
        const QRegularExpressionMatch m = zwischenMuster().match(it.fileName());
        if (!m.hasMatch())
            continue;
        const bool hier = m.captured(2) == rechnerKennung();
        const bool beendet = hier && !laeuft(m.captured(1).toLongLong());
        if (beendet || it.fileInfo().lastModified().toUTC() < grenze)
            entfernt += QFile::remove(it.filePath()) ? 1 : 0;
    }
    return entfernt;
}

} // namespace dateien
