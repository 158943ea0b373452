#include "JpegBereich.h"

#include "Meldungen.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>

namespace schnitt {

namespace {

uint byteAn(QByteArrayView d, qsizetype i)
{
    return static_cast<uchar>(d[i]);
}

} // namespace

// Walking the segments to the end-of-image marker finds the cut. Data after
// that marker (thumbnails of some cameras, appended videos) is never looked at.
bool jpegVollstaendig(QByteArrayView d)
{
    if (!d.startsWith("\xFF\xD8"))
        return false;
    // indexOf (memchr) jumps from one 0xFF to the next, over stray bytes
    // between segments and over entropy-coded data, in which 0xFF stands only
    // before a stuffed zero or a restart marker: a camera picture has
    // megabytes of it, and the preview pays for this walk too.
    for (qsizetype i = 2;;) {
        // A marker is 0xFF and the byte after it.
        i = d.indexOf('\xFF', i);
        if (i == -1 || i + 2 > d.size())
            return false;
        const uint marke = byteAn(d, i + 1);
        if (marke == 0xD9)
            return true;
        // A fill byte, or a marker without a segment.
        if (marke == 0xFF || marke == 0x00 || marke == 0x01 || (marke >= 0xD0 && marke <= 0xD7)) {
            ++i;
            continue;
        }
        // The segment's length, and the end marker at the least behind it.
        if (i + 6 > d.size())
            return false;
        const qsizetype laenge = byteAn(d, i + 2) << 8 | byteAn(d, i + 3);
        if (laenge < 2)
            return false;
        i += 2 + laenge;
    }
}

namespace {

// libjpeg ends a failed call by jumping back into the frame that armed it.
struct Fehlerfalle
{
    jpeg_error_mgr basis;
    std::jmp_buf sprung;
};

[[noreturn]] void fehlerAusgang(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<Fehlerfalle*>(info->err)->sprung, 1);
}

// A warning means damaged data, which Qt's reader fills in with grey and
// keeps. Such a file is left to Qt's reader, which judges it as it always did.
void warnungIstFehler(j_common_ptr info, int stufe)
{
    if (stufe == -1) // a corrupt-data warning; 0 and up are advice and traces
        std::longjmp(reinterpret_cast<Fehlerfalle*>(info->err)->sprung, 1);
}

// Everything that must outlive a jump out of libjpeg lies in here, built
// before the jump is armed, so that no destructor is skipped.
struct Dekoder
{
    jpeg_decompress_struct info{};
    Fehlerfalle falle{};
    QImage bild;
    std::vector<JSAMPLE> zeile;

    explicit Dekoder(QByteArrayView daten)
    {
        info.err = jpeg_std_error(&falle.basis);
        falle.basis.error_exit = fehlerAusgang;
        falle.basis.emit_message = warnungIstFehler;
        jpeg_create_decompress(&info);
        jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(daten.data()),
                     static_cast<unsigned long>(daten.size()));
    }
    ~Dekoder() { jpeg_destroy_decompress(&info); }
    Dekoder(const Dekoder&) = delete;
    Dekoder& operator=(const Dekoder&) = delete;

    // Qt decodes with these settings; other ones would change pixels.
    void wieQtEinstellen()
    {
        info.dct_method = JDCT_ISLOW;
        info.do_fancy_upsampling = TRUE;
        info.out_color_space = info.jpeg_color_space == JCS_GRAYSCALE ? JCS_GRAYSCALE
                               : info.num_components == 4             ? JCS_CMYK
                                                                      : JCS_EXT_BGRX;
    }
};

bool kopfDekodieren(Dekoder& d, JpegKopf* kopf)
{
    if (setjmp(d.falle.sprung))
        return false;
    jpeg_read_header(&d.info, TRUE);
    kopf->groesse = QSize(int(d.info.image_width), int(d.info.image_height));
    kopf->koeffizientenBytes = 0;
    if (d.info.progressive_mode) {
        for (int c = 0; c < d.info.num_components; ++c) {
            // The block counts libjpeg worked out from the frame header at
            // the first scan, each rounded up to whole iMCUs.
            const jpeg_component_info& k = d.info.comp_info[c];
            kopf->koeffizientenBytes += (qint64(k.width_in_blocks) + k.h_samp_factor) *
                                        (qint64(k.height_in_blocks) + k.v_samp_factor) * DCTSIZE2 *
                                        qint64(sizeof(JCOEF));
        }
    }
    return true;
}

// One decoded row into RGB32 as Qt converts it.
void uebertragen(const Dekoder& d, const JSAMPLE* q, QRgb* ziel, int breite)
{
    const int kanaele = d.info.output_components;
    if (kanaele == 4 && d.info.out_color_space == JCS_EXT_BGRX) {
        std::memcpy(ziel, q, size_t(breite) * 4);
    } else if (kanaele == 4) {
        // Qt reads CMYK as stored by Adobe (inverted) and multiplies by K.
        for (int x = 0; x < breite; ++x, q += 4) {
            const int k = q[3];
            ziel[x] = qRgb(k * q[0] / 255, k * q[1] / 255, k * q[2] / 255);
        }
    } else {
        for (int x = 0; x < breite; ++x)
            ziel[x] = qRgb(q[x], q[x], q[x]);
    }
}

// Within the frame that armed the jump only plain values and `d` are used.
bool bereichDekodieren(Dekoder& d, const QRect& teil, int achtel)
{
    if (setjmp(d.falle.sprung))
        return false;
    jpeg_read_header(&d.info, TRUE);
    d.wieQtEinstellen();
    d.info.scale_num = JDIMENSION(achtel);
    d.info.scale_denom = 8;
    jpeg_start_decompress(&d.info);

    // The fancy upsampler blends each sample with its neighbours, and libjpeg
    // treats the edge of a cropped or skipped region as the picture's edge.
    // One iMCU more on each side keeps those edge effects outside `teil`.
    const int mcuBreite = d.info.max_h_samp_factor * DCTSIZE;
    const int mcuHoehe = d.info.max_v_samp_factor * DCTSIZE;
    const int breite = int(d.info.output_width);
    const int links = qMax(0, teil.left() - mcuBreite);
    const int rechts = qMin(breite, teil.left() + teil.width() + mcuBreite);
    JDIMENSION xAnfang = JDIMENSION(links);
    JDIMENSION xBreite = JDIMENSION(rechts - links);
    // libjpeg leaves the whole width uncropped, and skips no row for 0.
    jpeg_crop_scanline(&d.info, &xAnfang, &xBreite);
    const int versatz = teil.left() - int(xAnfang);
    jpeg_skip_scanlines(&d.info, JDIMENSION(qMax(0, teil.top() - mcuHoehe)));

    const int kanaele = d.info.output_components;
    d.zeile.resize(size_t(xBreite) * size_t(kanaele));
    JSAMPROW zeiger[1] = {d.zeile.data()};
    while (int(d.info.output_scanline) < teil.top() + teil.height()) {
        const int y = int(d.info.output_scanline);
        if (jpeg_read_scanlines(&d.info, zeiger, 1) != 1)
            return false;
        if (y < teil.top())
            continue;
        uebertragen(d, d.zeile.data() + size_t(versatz) * size_t(kanaele),
                    reinterpret_cast<QRgb*>(d.bild.scanLine(y - teil.top())), teil.width());
    }
    jpeg_abort_decompress(&d.info);
    return true;
}

// The whole picture at `achtel`/8 of its size, as libjpeg scales while decoding.
bool skaliertDekodieren(Dekoder& d, int achtel)
{
    if (setjmp(d.falle.sprung))
        return false;
    jpeg_read_header(&d.info, TRUE);
    d.wieQtEinstellen();
    d.info.scale_num = JDIMENSION(achtel);
    d.info.scale_denom = 8;
    jpeg_start_decompress(&d.info);
    d.bild = QImage(int(d.info.output_width), int(d.info.output_height), QImage::Format_RGB32);
    if (d.bild.isNull()) {
        jpeg_abort_decompress(&d.info);
        return false;
    }
    d.zeile.resize(size_t(d.info.output_width) * size_t(d.info.output_components));
    JSAMPROW zeiger[1] = {d.zeile.data()};
    while (d.info.output_scanline < d.info.output_height) {
        const int y = int(d.info.output_scanline);
        if (jpeg_read_scanlines(&d.info, zeiger, 1) != 1)
            return false;
        uebertragen(d, d.zeile.data(), reinterpret_cast<QRgb*>(d.bild.scanLine(y)), d.bild.width());
    }
    jpeg_abort_decompress(&d.info);
    return true;
}

} // namespace

QImage jpegSkaliertDekodieren(QByteArrayView daten, int achtel, QString* fehler)
{
    Dekoder d(daten);
    if (!skaliertDekodieren(d, achtel)) {
        *fehler = meldung::GrundBeschaedigt.toString();
        return {};
    }
    return std::move(d.bild);
}

bool jpegKopfLesen(QByteArrayView daten, JpegKopf* kopf, QString* fehler)
{
    Dekoder d(daten);
    if (kopfDekodieren(d, kopf))
        return true;
    *fehler = meldung::GrundBeschaedigt.toString();
    return false;
}

QImage jpegBereichDekodieren(QByteArrayView daten, const QRect& teil, QString* fehler, int achtel)
{
    Dekoder d(daten);
    d.bild = QImage(teil.size(), QImage::Format_RGB32);
    if (d.bild.isNull()) {
        *fehler = meldung::GrundBeschaedigt.toString();
        return {};
    }
    if (!bereichDekodieren(d, teil, achtel)) {
        *fehler = meldung::GrundBeschaedigt.toString();
        return {};
    }
    return std::move(d.bild);
}

} // namespace schnitt
