#pragma once

// The opening of a video for Video.cpp: container, stream and decoder, with
// FFmpeg's types, which the rest of the program never sees.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <memory>
#include <optional>

namespace schnitt::video {

// Where the bytes come from: a file, or memory when `pfad` is empty.
struct Quelle
{
    QString pfad;
    QByteArray inhalt;
};

// One pass over a video: every open of a Quelle reads from its beginning.
class Demuxer final
{
public:
    Demuxer() = default;
    // FFmpeg holds the address of m_leser.
    Demuxer(const Demuxer&) = delete;
    Demuxer& operator=(const Demuxer&) = delete;

    // Empty when it could be opened, else the German reason.
    QString oeffnen(const Quelle& quelle);

    AVFormatContext* format() const { return m_format.get(); }
    AVCodecContext* dekoder() const { return m_dekoder.get(); }
    AVStream* strom() const { return m_format->streams[m_strom]; }
    int stromNummer() const { return m_strom; }

    enum class Paket { Da, Ende, EndetMitten, Beschaedigt };
    // The next packet of the video stream, in decode order. Packets without
    // data are passed over; those an edit list leaves out come with
    // AV_PKT_FLAG_DISCARD. A packet that came short is left in `paket` for
    // its times, but not Da.
    Paket naechstesPaket(AVPacket* paket);

private:
    struct Leser
    {
        QByteArray inhalt;
        qint64 position = 0;
    };
    struct AusFormat
    {
        void operator()(AVFormatContext* f) const { avformat_close_input(&f); }
    };
    struct AusDekoder
    {
        void operator()(AVCodecContext* d) const { avcodec_free_context(&d); }
    };
    struct AusIo
    {
        void operator()(AVIOContext* io) const;
    };

    static int lesen(void* leser, uint8_t* ziel, int groesse);
    static int64_t suchen(void* leser, int64_t ziel, int woher);
    QString containerOeffnen(const Quelle& quelle);

    // Declared in this order so that the container is closed before its reader.
    Leser m_leser;
    std::unique_ptr<AVIOContext, AusIo> m_io;
    std::unique_ptr<AVFormatContext, AusFormat> m_format;
    std::unique_ptr<AVCodecContext, AusDekoder> m_dekoder;
    int m_strom = -1;
    int64_t m_gelesen = 0; // packets of the stream, with those passed over
};

// How the stored frames must be turned to stand as the stream's display
// matrix shows them, as an EXIF orientation (1 … 8); 1 for none and for any
// angle that is no quarter turn.
int orientierung(const AVStream* strom);

// The container's creation_time.
std::optional<QDateTime> erstellungszeit(const AVFormatContext* format);

} // namespace schnitt::video
