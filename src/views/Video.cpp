#include "Video.h"

#include "Geometrie.h"
#include "Meldungen.h"
#include "Videoquelle.h"

extern "C" {
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <vector>

namespace schnitt::video {

bool istVideodatei(const QString& name)
{
    for (QStringView endung : {u".mp4", u".mov", u".mkv", u".webm", u".avi"}) {
        if (name.endsWith(endung, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

QString videomuster()
{
    return QStringLiteral("*.mp4;*.mov;*.mkv;*.webm;*.avi");
}

namespace {

struct AusPaket
{
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct AusRahmen
{
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct AusSws
{
    void operator()(SwsContext* s) const { sws_freeContext(s); }
};

// What a conversion context is made for.
struct Umwandlung
{
    int breite = 0, hoehe = 0, format = -1, farbraum = -1, bereich = -1;
    friend bool operator==(const Umwandlung&, const Umwandlung&) = default;
};

// How many keyframes back a seek tries before it decodes from the start.
constexpr int Sprungversuche = 3;

} // namespace

struct Video::Innen
{
    Quelle quelle;
    std::unique_ptr<Demuxer> demuxer = std::make_unique<Demuxer>();
    QString fehlerBeimOeffnen;
    QSize groesse;
    int orientierung = 1;
    AVRational basis{1, 1};
    std::optional<QDateTime> erstellt;
    std::vector<int64_t> zeiten;     // of the frames, in presentation order
    std::vector<int64_t> schluessel; // of the keyframes, ascending
    std::optional<Lesefehler> schaden;
    std::optional<Lesefehler> fehler;

    // Where reading stands: the next frame to give, and whether the decoder
    // will give it next (false after a failure, until a seek).
    qint64 weiter = 0;
    bool anschluss = true;
    // Whether the container keeps presentation times; else the frame the
    // decoder gives next.
    bool mitPts = true;
    qint64 gezaehlt = 0;
    // While a spacing chooses the frames: which ones it takes, from the
    // frame it was asked about first on. The decoder then leaves out the
    // frames it would not take that no other frame refers to.
    std::vector<bool> gewaehlt;
    const Auswahl* gewaehltFuer = nullptr;

    std::unique_ptr<AVPacket, AusPaket> paket{av_packet_alloc()};
    std::unique_ptr<AVFrame, AusRahmen> rahmen{av_frame_alloc()};
    std::unique_ptr<SwsContext, AusSws> sws;
    Umwandlung swsArt;

    QString oeffnen();
    QString indexBauen(Demuxer& d);
    bool gewuenscht(int64_t pts) const
    {
        const auto stelle = std::lower_bound(zeiten.begin(), zeiten.end(), pts);
        // A frame the index does not know is decoded, to be safe.
        return stelle == zeiten.end() || *stelle != pts ||
               gewaehlt[size_t(stelle - zeiten.begin())];
    }
    int dekodieren();
    bool bis(qint64 nummer);
    bool gelandet();
    bool springen(qint64 nummer);
    QImage umwandeln();
    std::optional<Videobild> naechstes(Auswahl* auswahl);
    Zeit zeit(qint64 nummer) const
    {
        return {zeiten[size_t(nummer)] - zeiten.front(), basis.num, basis.den};
    }
};

QString Video::Innen::oeffnen()
{
    Demuxer index;
    QString grund = index.oeffnen(quelle);
    if (grund.isEmpty())
        grund = indexBauen(index);
    if (grund.isEmpty())
        grund = demuxer->oeffnen(quelle);
    if (grund.isEmpty() && (!paket || !rahmen))
        grund = meldung::GrundUnbekannt.toString();
    if (!grund.isEmpty()) {
        zeiten.clear(); // nothing to read in
        schaden.reset();
        return grund;
    }
    const AVStream* s = demuxer->strom();
    basis = s->time_base;
    orientierung = video::orientierung(s);
    groesse = aufrecht(QSize(s->codecpar->width, s->codecpar->height), orientierung);
    erstellt = erstellungszeit(demuxer->format());
    return {};
}

// The frames' times, and where damage cuts them off.
QString Video::Innen::indexBauen(Demuxer& d)
{
    struct Eintrag
    {
        int64_t pts, dts;
        bool schluessel;
        // Before the start of an edit list: decoded, for the frames that
        // refer to it, but never shown.
        bool verworfen;
    };
    std::vector<Eintrag> pakete; // in decode order
    AVPacket* p = paket.get();
    Demuxer::Paket lage;
    while ((lage = d.naechstesPaket(p)) == Demuxer::Paket::Da) {
        pakete.push_back({p->pts, p->dts, bool(p->flags & AV_PKT_FLAG_KEY),
                          bool(p->flags & AV_PKT_FLAG_DISCARD)});
        av_packet_unref(p);
    }
    // An AVI keeps no presentation times where frames are reordered: then
    // the frames are counted, and their times are the decode times (which
    // keep the same steps).
    mitPts = std::all_of(pakete.begin(), pakete.end(),
                         [](const Eintrag& e) { return e.pts != AV_NOPTS_VALUE; });
    // Decoders drop the frames before the first keyframe. Where the container
    // marks none, the first frame is taken for one.
    auto e =
        std::find_if(pakete.begin(), pakete.end(), [](const Eintrag& e) { return e.schluessel; });
    if (e == pakete.end())
        e = pakete.begin();
    for (; e != pakete.end(); ++e) {
        if (e->verworfen)
            continue;
        const int64_t zeit = mitPts ? e->pts : e->dts;
        if (zeit == AV_NOPTS_VALUE)
            return GrundBeschaedigt.toString();
        if (schluessel.empty() || (e->schluessel && zeit > schluessel.back()))
            schluessel.push_back(zeit);
        zeiten.push_back(zeit);
    }
    std::sort(zeiten.begin(), zeiten.end());
    if (lage != Demuxer::Paket::Ende) {
        // Packets not read come later in decode order: their dts, and so the
        // times they are shown at, lie after any dts read. A frame shown
        // later than that may have one missing before it. Counted frames
        // lose as many as the decoder may hold back for reordering.
        const auto letztes = std::find_if(pakete.rbegin(), pakete.rend(),
                                          [](const Eintrag& e) { return e.dts != AV_NOPTS_VALUE; });
        int64_t hoechstens = letztes == pakete.rend() ? INT64_MAX : letztes->dts;
        if (p->dts != AV_NOPTS_VALUE)
            hoechstens = p->dts;
        if (p->pts != AV_NOPTS_VALUE)
            hoechstens = std::min(hoechstens, p->pts - 1);
        av_packet_unref(p);
        zeiten.erase(std::upper_bound(zeiten.begin(), zeiten.end(), hoechstens), zeiten.end());
        if (!mitPts)
            zeiten.resize(std::max<qsizetype>(0, qsizetype(zeiten.size()) -
                                                     d.strom()->codecpar->video_delay));
        schaden = Lesefehler{qint64(zeiten.size()), lage == Demuxer::Paket::EndetMitten
                                                        ? GrundEndetMitten.toString()
                                                        : GrundBeschaedigt.toString()};
    } else if (zeiten.empty()) {
        schaden = Lesefehler{0, GrundEndetMitten.toString()};
    }
    int64_t spanne = 0;
    if (!zeiten.empty() && __builtin_sub_overflow(zeiten.back(), zeiten.front(), &spanne))
        return GrundBeschaedigt.toString();
    return {};
}

// The decoder's next frame into `rahmen`: 0, AVERROR_EOF after the last one
// that can be read, or another error.
int Video::Innen::dekodieren()
{
    for (;;) {
        const int r = avcodec_receive_frame(demuxer->dekoder(), rahmen.get());
        if (r != AVERROR(EAGAIN))
            return r;
        AVPacket* p = paket.get();
        if (demuxer->naechstesPaket(p) == Demuxer::Paket::Da) {
            demuxer->dekoder()->skip_frame =
                gewaehlt.empty() || gewuenscht(p->pts) ? AVDISCARD_DEFAULT : AVDISCARD_NONREF;
            const int gesendet = avcodec_send_packet(demuxer->dekoder(), p);
            av_packet_unref(p);
            if (gesendet < 0)
                return gesendet;
        } else {
            // The frames still in the decoder come out, then AVERROR_EOF.
            av_packet_unref(p);
            avcodec_send_packet(demuxer->dekoder(), nullptr);
        }
    }
}

// Decodes on to frame `nummer` and leaves it in `rahmen`; the frames before
// it go by unconverted. False when another one comes first, none comes, or
// it is damaged.
bool Video::Innen::bis(qint64 nummer)
{
    const int64_t ziel = zeiten[size_t(nummer)];
    for (;;) {
        av_frame_unref(rahmen.get());
        if (dekodieren() < 0)
            return false;
        // Without the container's times, the decoder's guesses are no match
        // for the index: the frames are counted instead.
        const int64_t zeit = mitPts                             ? rahmen->best_effort_timestamp
                             : gezaehlt < qint64(zeiten.size()) ? zeiten[size_t(gezaehlt++)]
                                                                : AV_NOPTS_VALUE;
        if (zeit == AV_NOPTS_VALUE || zeit >= ziel)
            return zeit == ziel && !rahmen->decode_error_flags &&
                   !(rahmen->flags & AV_FRAME_FLAG_CORRUPT);
    }
}

// For counted frames: where a seek landed. The keyframe there is shown as
// many frames into the video as it stands in decode order, as no frame
// before it is shown after it.
bool Video::Innen::gelandet()
{
    AVPacket* p = paket.get();
    const bool da = demuxer->naechstesPaket(p) == Demuxer::Paket::Da;
    const auto stelle = std::lower_bound(zeiten.begin(), zeiten.end(), p->dts);
    gezaehlt = stelle - zeiten.begin();
    const bool ok = da && (p->flags & AV_PKT_FLAG_KEY) && stelle != zeiten.end() &&
                    *stelle == p->dts && avcodec_send_packet(demuxer->dekoder(), p) >= 0;
    av_packet_unref(p);
    return ok;
}

bool Video::Innen::springen(qint64 nummer)
{
    const int64_t ziel = zeiten[size_t(nummer)];
    // The keyframes at or before the frame, latest first. A seek may land
    // later than asked, and decoding from a keyframe may not give the frames
    // just before it (an open group of pictures); then the one before helps.
    const auto vor = std::upper_bound(schluessel.begin(), schluessel.end(), ziel);
    const qsizetype vorher = demuxer->dekoder() ? vor - schluessel.begin() : 0;
    for (qsizetype i = 1; i <= std::min<qsizetype>(vorher, Sprungversuche); ++i) {
        if (av_seek_frame(demuxer->format(), demuxer->stromNummer(), *(vor - i),
                          AVSEEK_FLAG_BACKWARD) < 0)
            break;
        avcodec_flush_buffers(demuxer->dekoder());
        if ((mitPts || gelandet()) && bis(nummer))
            return true;
    }
    // From the start, opened afresh: every container can do that. (After a
    // failed open, say of a file replaced meanwhile, there is nothing to seek in.)
    demuxer = std::make_unique<Demuxer>();
    gezaehlt = 0;
    return demuxer->oeffnen(quelle).isEmpty() && bis(nummer);
}

// FFmpeg's RGB32 is Qt's, byte for byte, and saves a pass over every frame.
// swscale gives it the same values as rgb24 for 8-bit sources only; deeper
// ones go through rgb24, as `ffmpeg -pix_fmt rgb24` converts them.
static AVPixelFormat zielFormat(int quelle)
{
    const AVPixFmtDescriptor* art = av_pix_fmt_desc_get(AVPixelFormat(quelle));
    return art && art->comp[0].depth <= 8 ? AV_PIX_FMT_RGB32 : AV_PIX_FMT_RGB24;
}

QImage Video::Innen::umwandeln()
{
    const AVFrame* f = rahmen.get();
    const Umwandlung art{f->width, f->height, f->format, f->colorspace, f->color_range};
    if (!sws || art != swsArt) {
        // Bicubic, as FFmpeg's own conversions are, so that the pixels come
        // out as `ffmpeg -pix_fmt rgb24` gives them.
        sws.reset(sws_getContext(f->width, f->height, AVPixelFormat(f->format), f->width, f->height,
                                 zielFormat(f->format), SWS_BICUBIC, nullptr, nullptr, nullptr));
        if (!sws)
            return {};
        int *vonTabelle, *zuTabelle;
        int vonVoll, zuVoll, helligkeit, kontrast, saettigung;
        sws_getColorspaceDetails(sws.get(), &vonTabelle, &vonVoll, &zuTabelle, &zuVoll, &helligkeit,
                                 &kontrast, &saettigung);
        // The stream's own matrix; its range where it names one, else the
        // pixel format's (full for the JPEG formats).
        const int* matrix = sws_getCoefficients(f->colorspace);
        if (f->color_range != AVCOL_RANGE_UNSPECIFIED)
            vonVoll = f->color_range == AVCOL_RANGE_JPEG;
        sws_setColorspaceDetails(sws.get(), matrix, vonVoll, matrix, zuVoll, helligkeit, kontrast,
                                 saettigung);
        swsArt = art;
    }
    // Into FFmpeg's own buffer: its rows are padded as swscale's vector code
    // expects, which writes whole blocks past the last pixel. The picture
    // wraps that buffer and owns it.
    AVFrame* ziel = av_frame_alloc();
    if (!ziel)
        return {};
    ziel->format = zielFormat(f->format);
    ziel->width = f->width;
    ziel->height = f->height;
    if (av_frame_get_buffer(ziel, 0) < 0 ||
        sws_scale(sws.get(), f->data, f->linesize, 0, f->height, ziel->data, ziel->linesize) < 0) {
        av_frame_free(&ziel);
        return {};
    }
    const QImage rgb(
        ziel->data[0], f->width, f->height, ziel->linesize[0],
        ziel->format == AV_PIX_FMT_RGB32 ? QImage::Format_RGB32 : QImage::Format_RGB888,
        [](void* z) {
            auto* rahmen = static_cast<AVFrame*>(z);
            av_frame_free(&rahmen);
        },
        ziel);
    return aufrichten(
        rgb.format() == QImage::Format_RGB32 ? rgb : rgb.convertToFormat(QImage::Format_RGB32),
        orientierung);
}

Video::Video(std::unique_ptr<Innen> innen)
    : m(std::move(innen))
{
    if (m->fehlerBeimOeffnen.isEmpty())
        m->fehlerBeimOeffnen = m->oeffnen();
}

Video::Video(Video&&) noexcept = default;
Video& Video::operator=(Video&&) noexcept = default;
Video::~Video() = default;

Video Video::ausDatei(const QString& pfad)
{
    auto innen = std::make_unique<Innen>();
    innen->quelle.pfad = pfad;
    const QFileInfo info(pfad);
    if (!info.exists())
        innen->fehlerBeimOeffnen = meldung::GrundFehlt.toString();
    else if (!info.isFile())
        innen->fehlerBeimOeffnen = meldung::GrundKeineDatei.toString();
    else if (info.size() == 0)
        innen->fehlerBeimOeffnen = meldung::GrundLeer.toString();
    return Video(std::move(innen));
}

Video Video::ausSpeicher(QByteArray inhalt)
{
    auto innen = std::make_unique<Innen>();
    innen->quelle.inhalt = std::move(inhalt);
    return Video(std::move(innen));
}

QString Video::fehlerBeimOeffnen() const
{
    return m->fehlerBeimOeffnen;
}

QSize Video::groesse() const
{
    return m->groesse;
}

qint64 Video::bildanzahl() const
{
    return qint64(m->zeiten.size());
}

Zeit Video::zeit(qint64 nummer) const
{
    return m->zeit(nummer);
}

std::optional<QDateTime> Video::erstellt() const
{
    return m->erstellt;
}

QDateTime Video::aufnahmezeit(const Zeit& zeit) const
{
    if (!m->erstellt)
        return {};
    return m->erstellt->addMSecs(std::llround(zeit.sekunden() * 1000));
}

std::optional<Videobild> Video::naechstesBild()
{
    return m->naechstes(nullptr);
}

std::optional<Videobild> Video::naechstesBild(Auswahl& auswahl)
{
    return m->naechstes(&auswahl);
}

std::optional<Videobild> Video::Innen::naechstes(Auswahl* auswahl)
{
    fehler.reset();
    // With the container's times a frame is known by its time, so the frames
    // a spacing leaves out need not come out of the decoder: they go by
    // undecoded where nothing refers to them. Counted frames must all come.
    if (auswahl && mitPts && gewaehltFuer != auswahl) {
        Auswahl vorschau = *auswahl;
        gewaehlt.assign(zeiten.size(), false);
        for (qint64 n = weiter; n < qint64(zeiten.size()); ++n)
            gewaehlt[size_t(n)] = vorschau(n, zeit(n));
        gewaehltFuer = auswahl;
    } else if (!auswahl) {
        gewaehlt.clear();
        gewaehltFuer = nullptr;
    }
    while (weiter < qint64(zeiten.size())) {
        const qint64 n = weiter;
        // A frame that is not taken is not waited for either: the decoder
        // runs on to the next that is.
        const bool genommen = !auswahl || (*auswahl)(n, zeit(n));
        if (!genommen && !gewaehlt.empty()) {
            ++weiter;
            continue;
        }
        const bool da = anschluss ? bis(n) : springen(n);
        anschluss = da;
        if (!da) {
            fehler = Lesefehler{n, GrundBeschaedigt.toString()};
            return std::nullopt;
        }
        ++weiter;
        if (!genommen)
            continue;
        Videobild b{n, zeit(n), umwandeln()};
        if (b.bild.isNull()) {
            fehler = Lesefehler{n, GrundBeschaedigt.toString()};
            return std::nullopt;
        }
        return b;
    }
    fehler = schaden;
    return std::nullopt;
}

std::optional<Videobild> Video::bild(qint64 nummer)
{
    m->fehler.reset();
    // Any frame may be asked for next: every one is decoded.
    m->gewaehlt.clear();
    m->gewaehltFuer = nullptr;
    if (nummer < 0 || nummer >= bildanzahl())
        return std::nullopt;
    const int64_t ziel = m->zeiten[size_t(nummer)];
    // Onward from where reading stands when no keyframe lies between.
    const auto schluessel = std::upper_bound(m->schluessel.begin(), m->schluessel.end(), ziel);
    const bool weiterlesen =
        m->anschluss && nummer >= m->weiter &&
        (schluessel == m->schluessel.begin() || *(schluessel - 1) <= m->zeiten[size_t(m->weiter)]);
    m->anschluss = weiterlesen ? m->bis(nummer) : m->springen(nummer);
    QImage bild = m->anschluss ? m->umwandeln() : QImage();
    if (bild.isNull()) {
        m->anschluss = false;
        m->fehler = Lesefehler{nummer, GrundBeschaedigt.toString()};
        return std::nullopt;
    }
    m->weiter = nummer + 1;
    return Videobild{nummer, zeit(nummer), std::move(bild)};
}

const std::optional<Lesefehler>& Video::fehler() const
{
    return m->fehler;
}

qint64 ausgewaehlteBilder(const Video& video, Abstand abstand)
{
    Auswahl auswahl(abstand);
    qint64 anzahl = 0;
    for (qint64 n = 0; n < video.bildanzahl(); ++n)
        anzahl += auswahl(n, video.zeit(n)) ? 1 : 0;
    return anzahl;
}

} // namespace schnitt::video
