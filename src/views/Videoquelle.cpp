#include "Videoquelle.h"

#include "Bildladen.h"
#include "Meldungen.h"
#include "Video.h"

extern "C" {
#include <libavutil/display.h>
#include <libavutil/parseutils.h>
}

#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <cstring>

namespace schnitt::video {

namespace {

// The containers of the five extensions, by their demuxers' names. Nothing
// else is probed: no playlist or concat file can make a "video" open other
// files or addresses, and far less code sees a hostile file.
constexpr char Containerliste[] = "mov,matroska,avi";
constexpr int Lesepuffer = 64 * 1024;

} // namespace

void Demuxer::AusIo::operator()(AVIOContext* io) const
{
    // The buffer may have been replaced by FFmpeg meanwhile; free the one it holds.
    av_freep(&io->buffer);
    avio_context_free(&io);
}

int Demuxer::lesen(void* leser, uint8_t* ziel, int groesse)
{
    auto* l = static_cast<Leser*>(leser);
    const qint64 rest = l->inhalt.size() - l->position;
    if (rest <= 0 || groesse <= 0)
        return AVERROR_EOF;
    const int n = int(std::min<qint64>(groesse, rest));
    std::memcpy(ziel, l->inhalt.constData() + l->position, size_t(n));
    l->position += n;
    return n;
}

int64_t Demuxer::suchen(void* leser, int64_t ziel, int woher)
{
    auto* l = static_cast<Leser*>(leser);
    const int64_t groesse = l->inhalt.size();
    if (woher & AVSEEK_SIZE)
        return groesse;
    int64_t von = 0;
    switch (woher & ~AVSEEK_FORCE) {
    case SEEK_SET:
        break;
    case SEEK_CUR:
        von = l->position;
        break;
    case SEEK_END:
        von = groesse;
        break;
    default:
        return AVERROR(EINVAL);
    }
    int64_t neu = 0;
    if (__builtin_add_overflow(von, ziel, &neu) || neu < 0 || neu > groesse)
        return AVERROR(EINVAL);
    l->position = neu;
    return neu;
}

QString Demuxer::containerOeffnen(const Quelle& quelle)
{
    // FFmpeg's own messages are English and would stand on the command line's
    // standard error between its lines; each failure has its German reason.
    static const bool still = (av_log_set_level(AV_LOG_QUIET), true);
    Q_UNUSED(still);
    AVFormatContext* f = avformat_alloc_context();
    if (!f)
        return meldung::GrundUnbekannt.toString();
    QByteArray url;
    if (quelle.pfad.isEmpty()) {
        m_leser = {quelle.inhalt, 0};
        auto* puffer = static_cast<uint8_t*>(av_malloc(Lesepuffer));
        m_io.reset(puffer ? avio_alloc_context(puffer, Lesepuffer, 0, &m_leser, &Demuxer::lesen,
                                               nullptr, &Demuxer::suchen)
                          : nullptr);
        if (!m_io) {
            av_free(puffer);
            avformat_free_context(f);
            return meldung::GrundUnbekannt.toString();
        }
        f->pb = m_io.get();
        f->flags |= AVFMT_FLAG_CUSTOM_IO;
    } else {
        // With "file:" in front, a colon in the name is no protocol.
        url = "file:" + QFile::encodeName(quelle.pfad);
    }
    AVDictionary* optionen = nullptr;
    av_dict_set(&optionen, "format_whitelist", Containerliste, 0);
    av_dict_set(&optionen, "protocol_whitelist", "file", 0);
    const int r = avformat_open_input(&f, url.constData(), nullptr, &optionen);
    av_dict_free(&optionen);
    if (r < 0) // f is freed
        return GrundKeinVideo.toString();
    m_format.reset(f);
    if (avformat_find_stream_info(f, nullptr) < 0)
        return GrundKeinVideo.toString();
    return {};
}

QString Demuxer::oeffnen(const Quelle& quelle)
{
    if (const QString grund = containerOeffnen(quelle); !grund.isEmpty())
        return grund;
    AVFormatContext* f = m_format.get();
    m_strom = av_find_best_stream(f, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    // A cover picture is no video.
    if (m_strom < 0 || (f->streams[m_strom]->disposition & AV_DISPOSITION_ATTACHED_PIC))
        return GrundKeineVideospur.toString();
    for (unsigned i = 0; i < f->nb_streams; ++i) {
        if (int(i) != m_strom)
            f->streams[i]->discard = AVDISCARD_ALL;
    }
    const AVStream* s = strom();
    const AVCodecParameters* p = s->codecpar;
    const AVCodec* codec = avcodec_find_decoder(p->codec_id);
    if (!codec)
        return GrundCodec.arg(QLatin1String(avcodec_get_name(p->codec_id)));
    const qint64 grenze = qint64(SpeichergrenzeMB) * 1024 * 1024 / 4;
    if (qint64(p->width) * p->height > grenze)
        return GrundZuGross.arg(QString::number(p->width), QString::number(p->height),
                                QString::number(SpeichergrenzeMB));
    if (p->width <= 0 || p->height <= 0 || s->time_base.num <= 0 || s->time_base.den <= 0)
        return GrundBeschaedigt.toString();
    m_dekoder.reset(avcodec_alloc_context3(codec));
    AVCodecContext* d = m_dekoder.get();
    if (!d || avcodec_parameters_to_context(d, p) < 0)
        return meldung::GrundUnbekannt.toString();
    d->pkt_timebase = s->time_base;
    d->max_pixels = grenze;
    d->thread_count = 0; // as many as there are cores, frames decoded side by side
    if (avcodec_open2(d, codec, nullptr) < 0)
        return GrundCodec.arg(QLatin1String(codec->name));
    return {};
}

Demuxer::Paket Demuxer::naechstesPaket(AVPacket* paket)
{
    for (;;) {
        const int r = av_read_frame(m_format.get(), paket);
        if (r == AVERROR_EOF) {
            // Some containers say how many frames they hold; fewer is a file cut short.
            return m_gelesen < strom()->nb_frames ? Paket::EndetMitten : Paket::Ende;
        }
        if (r < 0)
            return avio_feof(m_format->pb) ? Paket::EndetMitten : Paket::Beschaedigt;
        if (paket->stream_index != m_strom) {
            av_packet_unref(paket);
            continue;
        }
        ++m_gelesen;
        if (paket->flags & AV_PKT_FLAG_CORRUPT)
            return avio_feof(m_format->pb) ? Paket::EndetMitten : Paket::Beschaedigt;
        // Packets an edit list leaves out still go to the decoder: later
        // frames may refer to them. The decoder drops their frames.
        if (paket->size > 0)
            return Paket::Da;
        av_packet_unref(paket);
    }
}

int orientierung(const AVStream* strom)
{
    size_t groesse = 0;
    const auto* m = reinterpret_cast<const int32_t*>(
        av_stream_get_side_data(strom, AV_PKT_DATA_DISPLAYMATRIX, &groesse));
    if (!m || groesse < 9 * sizeof(int32_t))
        return 1;
    // The quarter turn a player makes, and which way it mirrors.
    double winkel = -std::round(av_display_rotation_get(m));
    if (std::isnan(winkel))
        return 1;
    winkel -= 360 * std::floor(winkel / 360 + 0.9 / 360);
    if (std::abs(winkel - 90) < 1)
        return m[3] > 0 ? 5 : 6;
    if (std::abs(winkel - 270) < 1)
        return m[3] < 0 ? 7 : 8;
    if (std::abs(winkel - 180) < 1)
        return m[4] < 0 ? 3 : 2;
    if (std::abs(winkel) < 1 && m[4] < 0)
        return 4;
    return 1;
}

std::optional<QDateTime> erstellungszeit(const AVFormatContext* format)
{
    const AVDictionaryEntry* e = av_dict_get(format->metadata, "creation_time", nullptr, 0);
    int64_t mikro = 0;
    if (!e || av_parse_time(&mikro, e->value, 0) < 0)
        return std::nullopt;
    return QDateTime::fromMSecsSinceEpoch(mikro / 1000, Qt::UTC);
}

} // namespace schnitt::video
