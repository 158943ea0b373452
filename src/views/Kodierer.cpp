#include "Kodierer.h"

#include "Ausschnitt.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include <jpeglib.h>
#include <libdeflate.h>
#include <tiffio.h>
#include <webp/encode.h>
#include <webp/mux.h>

namespace schnitt {

namespace {

// The view's rows as the libraries take them: RGB888 as it is, any other
// layout as RGB32 (a view in RGB32 is shared, not copied). RGB32 is B, G, R, X
// in memory on a little-endian machine, which libjpeg and libwebp read as it is.
struct Zeilen
{
    QImage bild;
    bool vierByte;

    explicit Zeilen(const QImage& ansicht)
        : bild(ansicht.format() == QImage::Format_RGB888
                   ? ansicht
                   : ansicht.convertToFormat(QImage::Format_RGB32))
        , vierByte(bild.format() == QImage::Format_RGB32)
    {
    }
    const uchar* zeile(int y) const { return bild.constScanLine(y); }

    // Row y as R, G, B into `ziel`, which holds 3 × width bytes. The walk
    // ends on the row's last pixel by pointer, so it cannot run past it.
    void alsRgb(int y, uchar* ziel) const
    {
        const uchar* q = zeile(y);
        if (!vierByte) {
            std::memcpy(ziel, q, size_t(bild.width()) * 3);
            return;
        }
        for (const uchar* ende = q + 4 * qsizetype(bild.width()); q != ende; q += 4, ziel += 3) {
            ziel[0] = q[2];
            ziel[1] = q[1];
            ziel[2] = q[0];
        }
    }
};

static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "RGB32 rows are read as B, G, R, X");

// Views are RGB, so only an RGB profile describes them.
bool rgbProfil(const QByteArray& icc)
{
    return icc.size() >= 132 && icc.mid(16, 4) == "RGB " && icc.mid(36, 4) == "acsp";
}

// --- PNG ---------------------------------------------------------------

// Measured on the views of the benchmark's photographs: libdeflate at level 2
// with the Up filter on every row is as small as ImageMagick's zlib level 7
// with adaptive filters (2 % larger) at a twentieth of its time; libpng with
// zlib at level 3 is 6 % larger and takes twice as long as this. Adaptive
// filters gain 1 % for 40 % more time.
constexpr int PngStufe = 2;

void be32Anhaengen(QByteArray& ziel, quint32 wert)
{
    const char b[4] = {char(wert >> 24), char(wert >> 16), char(wert >> 8), char(wert)};
    ziel.append(b, 4);
}

void chunkAnhaengen(QByteArray& ziel, const char* typ, QByteArrayView daten)
{
    be32Anhaengen(ziel, quint32(daten.size()));
    const qsizetype anfang = ziel.size();
    ziel.append(typ, 4);
    ziel.append(daten);
    be32Anhaengen(ziel,
                  libdeflate_crc32(0, ziel.constData() + anfang, size_t(ziel.size() - anfang)));
}

// zlib data in one piece, or null when it does not fit.
QByteArray zlibPacken(QByteArrayView roh, int stufe)
{
    libdeflate_compressor* packer = libdeflate_alloc_compressor(stufe);
    if (!packer)
        return {};
    QByteArray gepackt;
    gepackt.resize(qsizetype(libdeflate_zlib_compress_bound(packer, size_t(roh.size()))));
    const size_t laenge = libdeflate_zlib_compress(packer, roh.data(), size_t(roh.size()),
                                                   gepackt.data(), size_t(gepackt.size()));
    libdeflate_free_compressor(packer);
    if (laenge == 0)
        return {};
    gepackt.truncate(qsizetype(laenge));
    return gepackt;
}

QByteArray alsPng(const Zeilen& z, const QByteArray& icc)
{
    const int breite = z.bild.width();
    const int hoehe = z.bild.height();
    const qsizetype zeilenLaenge = qsizetype(breite) * 3;
    // Each row as RGB less the row above (filter 2, Up), behind its filter byte.
    QByteArray roh(qsizetype(hoehe) * (zeilenLaenge + 1), Qt::Uninitialized);
    std::vector<uchar> oben(static_cast<size_t>(zeilenLaenge), 0);
    std::vector<uchar> hier(static_cast<size_t>(zeilenLaenge));
    for (int y = 0; y < hoehe; ++y) {
        z.alsRgb(y, hier.data());
        auto* ziel = reinterpret_cast<uchar*>(roh.data()) + y * (zeilenLaenge + 1);
        ziel[0] = 2;
        std::transform(hier.cbegin(), hier.cend(), oben.cbegin(), ziel + 1,
                       [](uchar hierWert, uchar obenWert) { return uchar(hierWert - obenWert); });
        oben.swap(hier);
    }
    const QByteArray bilddaten = zlibPacken(roh, PngStufe);
    if (bilddaten.isNull())
        return {};
    roh = QByteArray();

    QByteArray png("\x89PNG\r\n\x1a\n");
    // The chunks around the profile and the pixel data take far less than 1 KB.
    png.reserve(1024 + icc.size() + bilddaten.size());
    QByteArray kopf;
    be32Anhaengen(kopf, quint32(breite));
    be32Anhaengen(kopf, quint32(hoehe));
    kopf.append("\x08\x02\0\0\0", 5); // 8 bits, RGB, deflate, filters of type 0, no interlace
    chunkAnhaengen(png, "IHDR", kopf);
    if (!icc.isEmpty()) {
        const QByteArray profil = zlibPacken(icc, 9);
        if (profil.isNull())
            return {};
        chunkAnhaengen(png, "iCCP", QByteArray("ICC Profile\0\0", 13) + profil);
    }
    // Readers take IDAT chunks of any length up to 2^31 − 1 bytes.
    constexpr qsizetype Stueck = qsizetype(1) << 30;
    for (QByteArrayView rest(bilddaten); !rest.isEmpty();) {
        const QByteArrayView stueck = rest.first(qMin(Stueck, rest.size()));
        chunkAnhaengen(png, "IDAT", stueck);
        rest = rest.sliced(stueck.size());
    }
    chunkAnhaengen(png, "IEND", {});
    return png;
}

// --- JPEG --------------------------------------------------------------

struct JpegFalle
{
    jpeg_error_mgr basis;
    std::jmp_buf sprung;
};

[[noreturn]] void jpegFehler(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JpegFalle*>(info->err)->sprung, 1);
}

void jpegMeldung(j_common_ptr, int) {}

struct JpegKodierer
{
    jpeg_compress_struct info{};
    JpegFalle falle{};
    unsigned char* puffer = nullptr;
    unsigned long laenge = 0;

    JpegKodierer()
    {
        info.err = jpeg_std_error(&falle.basis);
        falle.basis.error_exit = jpegFehler;
        falle.basis.emit_message = jpegMeldung;
        jpeg_create_compress(&info);
    }
    ~JpegKodierer()
    {
        jpeg_destroy_compress(&info);
        std::free(puffer);
    }
    JpegKodierer(const JpegKodierer&) = delete;
    JpegKodierer& operator=(const JpegKodierer&) = delete;
};

bool jpegLauf(JpegKodierer& k, const Zeilen& z, int qualitaet, const QByteArray& icc)
{
    if (setjmp(k.falle.sprung))
        return false;
    jpeg_mem_dest(&k.info, &k.puffer, &k.laenge);
    k.info.image_width = JDIMENSION(z.bild.width());
    k.info.image_height = JDIMENSION(z.bild.height());
    k.info.input_components = z.vierByte ? 4 : 3;
    k.info.in_color_space = z.vierByte ? JCS_EXT_BGRX : JCS_RGB;
    jpeg_set_defaults(&k.info);
    jpeg_set_quality(&k.info, qualitaet, TRUE);
    // 4:2:0, whatever libjpeg's defaults may become: Y, Cb, Cr.
    jpeg_component_info* farbe = k.info.comp_info;
    farbe[0].h_samp_factor = farbe[0].v_samp_factor = 2;
    farbe[1].h_samp_factor = farbe[1].v_samp_factor = 1;
    farbe[2].h_samp_factor = farbe[2].v_samp_factor = 1;
    k.info.dct_method = JDCT_ISLOW;
    jpeg_start_compress(&k.info, TRUE);
    if (!icc.isEmpty())
        jpeg_write_icc_profile(&k.info, reinterpret_cast<const JOCTET*>(icc.constData()),
                               unsigned(icc.size()));
    while (k.info.next_scanline < k.info.image_height) {
        JSAMPROW zeile = const_cast<JSAMPROW>(z.zeile(int(k.info.next_scanline)));
        jpeg_write_scanlines(&k.info, &zeile, 1);
    }
    jpeg_finish_compress(&k.info);
    return true;
}

QByteArray alsJpeg(const Zeilen& z, int qualitaet, const QByteArray& icc)
{
    JpegKodierer k;
    if (!jpegLauf(k, z, qualitaet, icc))
        return {};
    return QByteArray(reinterpret_cast<const char*>(k.puffer), qsizetype(k.laenge));
}

// --- TIFF --------------------------------------------------------------

// libtiff packs with libdeflate too; its horizontal predictor plays the part
// of PNG's row filter.
constexpr int TiffStufe = 2;

// libtiff writes through these callbacks into memory; it seeks back to patch
// the directory offset, so this is a file, not a stream.
struct TiffSpeicher
{
    QByteArray daten;
    qint64 ort = 0;
};

tmsize_t tiffLesen(thandle_t h, void* ziel, tmsize_t n)
{
    auto* s = static_cast<TiffSpeicher*>(h);
    const qint64 da = qBound(qint64(0), qint64(s->daten.size() - s->ort), qint64(n));
    std::memcpy(ziel, s->daten.constData() + s->ort, size_t(da));
    s->ort += da;
    return tmsize_t(da);
}

tmsize_t tiffSchreiben(thandle_t h, void* quelle, tmsize_t n)
{
    auto* s = static_cast<TiffSpeicher*>(h);
    // Patching the directory offset writes over bytes already there.
    s->daten.resize(qMax<qint64>(s->daten.size(), s->ort + n));
    std::memcpy(s->daten.data() + s->ort, quelle, size_t(n));
    s->ort += n;
    return n;
}

toff_t tiffSuchen(thandle_t h, toff_t ort, int woher)
{
    auto* s = static_cast<TiffSpeicher*>(h);
    const qint64 basis = woher == SEEK_CUR ? s->ort : woher == SEEK_END ? s->daten.size() : 0;
    s->ort = basis + qint64(ort);
    return toff_t(s->ort);
}

int tiffSchliessen(thandle_t)
{
    return 0;
}

toff_t tiffGroesse(thandle_t h)
{
    return toff_t(static_cast<TiffSpeicher*>(h)->daten.size());
}

int tiffAbbilden(thandle_t, void**, toff_t*)
{
    return 0;
}

void tiffFreigeben(thandle_t, void*, toff_t) {}

int tiffStumm(TIFF*, void*, const char*, const char*, va_list)
{
    return 1; // handled: failures show in the return values
}

QByteArray alsTiff(const Zeilen& z, const QByteArray& icc)
{
    TiffSpeicher speicher;
    TIFFOpenOptions* optionen = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(optionen, tiffStumm, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(optionen, tiffStumm, nullptr);
    TIFF* tif =
        TIFFClientOpenExt("ansicht", "w", &speicher, tiffLesen, tiffSchreiben, tiffSuchen,
                          tiffSchliessen, tiffGroesse, tiffAbbilden, tiffFreigeben, optionen);
    TIFFOpenOptionsFree(optionen);
    if (!tif)
        return {};
    const int breite = z.bild.width();
    const int hoehe = z.bild.height();
    bool ok = TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(breite)) &&
              TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(hoehe)) &&
              TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8) &&
              TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3) &&
              TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB) &&
              TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
              TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE) &&
              TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL) &&
              TIFFSetField(tif, TIFFTAG_ZIPQUALITY, TiffStufe) &&
              TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
    if (ok && !icc.isEmpty())
        ok = TIFFSetField(tif, TIFFTAG_ICCPROFILE, uint32_t(icc.size()), icc.constData());
    std::vector<uchar> zeile(size_t(breite) * 3);
    for (int y = 0; ok && y < hoehe; ++y) {
        z.alsRgb(y, zeile.data());
        ok = TIFFWriteScanline(tif, zeile.data(), uint32_t(y), 0) == 1;
    }
    ok = ok && TIFFWriteDirectory(tif);
    TIFFClose(tif);
    return ok ? std::move(speicher.daten) : QByteArray();
}

// --- WebP --------------------------------------------------------------

QByteArray alsWebp(const Zeilen& z, std::optional<int> qualitaet, const QByteArray& icc)
{
    WebPConfig config;
    if (!WebPConfigInit(&config))
        return {};
    if (qualitaet) {
        if (!WebPConfigPreset(&config, WEBP_PRESET_PHOTO, float(*qualitaet)))
            return {};
    } else if (!WebPConfigLosslessPreset(&config, 1)) {
        return {};
    }
    WebPPicture bild;
    if (!WebPPictureInit(&bild))
        return {};
    bild.use_argb = config.lossless;
    bild.width = z.bild.width();
    bild.height = z.bild.height();
    const int abstand = int(z.bild.bytesPerLine());
    const int importiert = z.vierByte ? WebPPictureImportBGRX(&bild, z.zeile(0), abstand)
                                      : WebPPictureImportRGB(&bild, z.zeile(0), abstand);
    WebPMemoryWriter schreiber;
    WebPMemoryWriterInit(&schreiber);
    bild.writer = WebPMemoryWrite;
    bild.custom_ptr = &schreiber;
    const bool ok = importiert && WebPEncode(&config, &bild);
    WebPPictureFree(&bild);
    QByteArray ergebnis;
    if (ok && !icc.isEmpty()) {
        // The ICC profile needs the extended container, which the mux builds.
        WebPMux* mux = WebPMuxNew();
        const WebPData strom{schreiber.mem, schreiber.size};
        const WebPData profil{reinterpret_cast<const uint8_t*>(icc.constData()),
                              size_t(icc.size())};
        WebPData fertig;
        WebPDataInit(&fertig);
        if (mux && WebPMuxSetImage(mux, &strom, 0) == WEBP_MUX_OK &&
            WebPMuxSetChunk(mux, "ICCP", &profil, 0) == WEBP_MUX_OK &&
            WebPMuxAssemble(mux, &fertig) == WEBP_MUX_OK)
            ergebnis =
                QByteArray(reinterpret_cast<const char*>(fertig.bytes), qsizetype(fertig.size));
        WebPDataClear(&fertig);
        WebPMuxDelete(mux);
    } else if (ok) {
        ergebnis =
            QByteArray(reinterpret_cast<const char*>(schreiber.mem), qsizetype(schreiber.size));
    }
    WebPMemoryWriterClear(&schreiber);
    return ergebnis;
}

QByteArray kodierenMit(const Zeilen& zeilen, const Kodierung& kodierung, const QByteArray& icc)
{
    QByteArray daten;
    switch (kodierung.format) {
    case Ausgabeformat::bmp: {
        // The bytes the program has always written.
        const QImage rgb32 =
            zeilen.vierByte ? zeilen.bild : zeilen.bild.convertToFormat(QImage::Format_RGB32);
        FrameRechteck r;
        r.width = qint16(qMin(rgb32.width(), 32767));
        r.height = qint16(qMin(rgb32.height(), 32767));
        if (r.width == rgb32.width() && r.height == rgb32.height())
            daten = ansichtAlsBmp(rgb32, QPoint(0, 0), r);
        break;
    }
    case Ausgabeformat::png:
        daten = alsPng(zeilen, icc);
        break;
    case Ausgabeformat::jpg:
        daten = alsJpeg(zeilen, kodierung.qualitaet.value_or(StandardQualitaet), icc);
        break;
    case Ausgabeformat::tif:
        daten = alsTiff(zeilen, icc);
        break;
    case Ausgabeformat::webp:
        daten = alsWebp(zeilen, kodierung.qualitaet, icc);
        break;
    }
    return daten;
}

} // namespace

QByteArray kodieren(const QImage& ansicht, const Kodierung& kodierung, QString* fehler)
{
    auto scheitern = [&](QStringView grund) {
        if (fehler)
            *fehler = grund.toString();
        return QByteArray();
    };
    const QString nichtKodiert = GrundNichtKodiert.arg(frames::formatName(kodierung.format));
    if (kodierung.qualitaet && !qualitaetGueltig(*kodierung.qualitaet))
        return scheitern(GrundQualitaet);
    if (ansicht.isNull())
        return scheitern(nichtKodiert);
    const Zeilen zeilen(ansicht);
    if (zeilen.bild.isNull())
        return scheitern(nichtKodiert);
    const QByteArray icc = rgbProfil(kodierung.icc) ? kodierung.icc : QByteArray();

    QByteArray daten;
    // A view of hundreds of megabytes may not find the memory for its file.
    try {
        daten = kodierenMit(zeilen, kodierung, icc);
    } catch (const std::bad_alloc&) {
        daten = QByteArray();
    }
    if (daten.isNull())
        return scheitern(nichtKodiert);
    return daten;
}

} // namespace schnitt
