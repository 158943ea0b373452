#include "JpegVerlustfrei.h"

#include "Bildladen.h"
#include "JpegBereich.h"
#include "Meldungen.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

namespace schnitt {

namespace {

// libjpeg ends a failed call by jumping back into the frame that armed it.
struct Fehlerfalle
{
    jpeg_error_mgr basis;
    std::jmp_buf sprung;
};

// What the jump back reports.
enum Sprung : int { Fehler = 1, AllesGelesen = 2 };

[[noreturn]] void fehlerAusgang(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<Fehlerfalle*>(info->err)->sprung, Fehler);
}

// A warning means damaged data that libjpeg would fill in with grey: a cut
// of it would pass off made-up blocks as the source's.
void warnungIstFehler(j_common_ptr info, int stufe)
{
    if (stufe < 0)
        fehlerAusgang(info);
}

void warnungUebergehen(j_common_ptr, int) {}

// No encoder writes this many; a hostile progressive file of thousands of
// tiny scans would otherwise be read for minutes.
constexpr int HoechstensScans = 500;

void scansZaehlen(j_common_ptr info)
{
    if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > HoechstensScans)
        fehlerAusgang(info);
}

JDIMENSION aufrunden(JDIMENSION wert, int vielfaches)
{
    return (wert + JDIMENSION(vielfaches) - 1) / JDIMENSION(vielfaches) * JDIMENSION(vielfaches);
}

// Everything that must outlive a jump out of libjpeg lies in here, built
// before the jump is armed, so that no destructor is skipped.
struct Leser
{
    jpeg_decompress_struct info{};
    Fehlerfalle falle{};

    Leser()
    {
        info.err = jpeg_std_error(&falle.basis);
        falle.basis.error_exit = fehlerAusgang;
        falle.basis.emit_message = warnungIstFehler;
        jpeg_create_decompress(&info);
    }
    ~Leser() { jpeg_destroy_decompress(&info); }
    Leser(const Leser&) = delete;
    Leser& operator=(const Leser&) = delete;
};

// libjpeg refuses empty data with a jump too, so the source is set in here.
bool kopfLesen(Leser& l, QByteArrayView daten, bool markenSichern)
{
    if (setjmp(l.falle.sprung))
        return false;
    jpeg_mem_src(&l.info, reinterpret_cast<const unsigned char*>(daten.data()),
                 static_cast<unsigned long>(daten.size()));
    if (markenSichern) {
        jpeg_save_markers(&l.info, JPEG_COM, 0xFFFF);
        for (int m = 0; m < 16; ++m)
            jpeg_save_markers(&l.info, JPEG_APP0 + m, 0xFFFF);
    }
    jpeg_read_header(&l.info, TRUE);
    return true;
}

// The iMCU as jpegtran crops: a single component in blocks of 8 × 8, whatever
// its sampling factors say.
JpegRaster rasterAus(const jpeg_decompress_struct& i)
{
    const bool einzeln = i.num_components == 1;
    return {QSize(int(i.image_width), int(i.image_height)),
            QSize(einzeln ? DCTSIZE : i.max_h_samp_factor * DCTSIZE,
                  einzeln ? DCTSIZE : i.max_v_samp_factor * DCTSIZE)};
}

// The blocks of one component that cover a region: where they start in the
// source, and how many the encoder counts for a picture of the region's size.
struct Lage
{
    JDIMENSION x, y, breite, hoehe;
};

Lage lageVon(const jpeg_decompress_struct& i, const jpeg_component_info& k, const QRect& b)
{
    const qint64 mx = qint64(i.max_h_samp_factor) * DCTSIZE;
    const qint64 my = qint64(i.max_v_samp_factor) * DCTSIZE;
    return {JDIMENSION(b.left() * k.h_samp_factor / mx), JDIMENSION(b.top() * k.v_samp_factor / my),
            JDIMENSION((b.width() * k.h_samp_factor + mx - 1) / mx),
            JDIMENSION((b.height() * k.v_samp_factor + my - 1) / my)};
}

// Stands in for one of libjpeg's virtual block arrays, of the source or of a
// region. libjpeg's own keep every coefficient of the picture, and the pages
// of those megabytes, fresh for every picture, cost more than the decoding.
// A sequential scan writes each row of blocks once, from the top, so the
// source needs only a window of the rows libjpeg is writing: what the
// regions need is copied out before the window moves on. A progressive file
// comes back to every row in each scan and is held whole.
struct Blockfeld
{
    int komponente = 0;
    JDIMENSION breite = 0;  // blocks per row
    JDIMENSION hoehe = 0;   // rows, whole MCUs
    JDIMENSION zugriff = 0; // rows libjpeg asks for at once
    bool fenster = false;
    Lage lage{};              // a region's: where its blocks lie in the source
    JDIMENSION benoetigt = 0; // the source's: rows the regions need
    bool begonnen = false;
    bool fertig = false;
    JDIMENSION anfang = 0; // the first row in `zeilen`
    std::vector<JBLOCKROW> zeilen;

    Blockfeld() = default;
    Blockfeld(int komponente, JDIMENSION breite, JDIMENSION hoehe, JDIMENSION zugriff, bool fenster)
        : komponente(komponente)
        , breite(breite)
        , hoehe(hoehe)
        , zugriff(zugriff)
        , fenster(fenster)
        , zeilen(fenster ? zugriff : hoehe)
    {
    }
    JDIMENSION gehalten() const { return JDIMENSION(zeilen.size()); }
};

struct Schnitt final : Leser
{
    jpeg_progress_mgr fortschritt{};
    int komponenten = 0;
    std::vector<Blockfeld> quelle; // per component
    std::vector<Blockfeld> ziele;  // per region, then component
    std::unique_ptr<JBLOCK[]> speicher;
    qsizetype bloecke = 0;
    int angefordert = 0;
    int fertig = 0;

    // Copies the rows `f` holds into every region that covers them.
    void uebernehmen(const Blockfeld& f)
    {
        for (const Blockfeld& nach : ziele) {
            if (nach.komponente != f.komponente)
                continue;
            const Lage& z = nach.lage;
            const JDIMENSION von = qMax(f.anfang, z.y);
            const JDIMENSION bis = qMin(f.anfang + f.gehalten(), z.y + z.hoehe);
            // Partial blocks at the right and bottom edge are copied whole,
            // as jpegtran does; the decoder drops what lies beyond.
            for (JDIMENSION y = von; y < bis; ++y)
                std::memcpy(nach.zeilen[y - z.y], f.zeilen[y - f.anfang] + z.x,
                            size_t(z.breite) * sizeof(JBLOCK));
        }
    }
};

// Lays out the arrays and counts their blocks; the memory is taken later.
void planen(Schnitt& s, const QList<QRect>& bereiche)
{
    const jpeg_decompress_struct& i = s.info;
    s.komponenten = i.num_components;
    s.quelle.resize(size_t(s.komponenten));
    s.ziele.resize(size_t(bereiche.size() * s.komponenten));
    for (int k = 0; k < s.komponenten; ++k) {
        const jpeg_component_info& c = i.comp_info[k];
        const JDIMENSION v = JDIMENSION(c.v_samp_factor);
        // As libjpeg's coefficient buffer asks for them.
        Blockfeld& q = s.quelle[size_t(k)];
        q = Blockfeld(k, aufrunden(c.width_in_blocks, c.h_samp_factor),
                      aufrunden(c.height_in_blocks, c.v_samp_factor), v, !i.progressive_mode);
        for (qsizetype r = 0; r < bereiche.size(); ++r) {
            const Lage lage = lageVon(i, c, bereiche[r]);
            Blockfeld& z = s.ziele[size_t(r * s.komponenten + k)];
            z = Blockfeld(k, aufrunden(lage.breite, c.h_samp_factor),
                          aufrunden(lage.hoehe, c.v_samp_factor), v, false);
            z.lage = lage;
            q.benoetigt = qMax(q.benoetigt, lage.y + lage.hoehe);
        }
    }
    for (const auto* felder : {&s.quelle, &s.ziele})
        for (const Blockfeld& f : *felder)
            s.bloecke += qsizetype(f.gehalten()) * qsizetype(f.breite);
}

bool speicherNehmen(Schnitt& s)
{
    s.speicher.reset(new (std::nothrow) JBLOCK[size_t(s.bloecke)]);
    if (!s.speicher)
        return false;
    JBLOCKROW frei = s.speicher.get();
    for (auto* felder : {&s.quelle, &s.ziele}) {
        for (Blockfeld& f : *felder) {
            for (JBLOCKROW& zeile : f.zeilen) {
                zeile = frei;
                frei += f.breite;
            }
        }
    }
    // libjpeg writes only the coefficients that are not zero. A window is
    // cleared each time it moves, the regions are written over entirely.
    for (Blockfeld& f : s.quelle)
        if (!f.fenster)
            std::memset(f.zeilen[0], 0, size_t(f.gehalten()) * f.breite * sizeof(JBLOCK));
    return true;
}

jvirt_barray_ptr quellfeldAnfordern(j_common_ptr c, int, boolean vorgenullt, JDIMENSION breite,
                                    JDIMENSION hoehe, JDIMENSION zugriff)
{
    auto* s = static_cast<Schnitt*>(c->client_data);
    // Only the coefficient buffer asks, one array per component, in order.
    if (s->angefordert >= s->komponenten)
        ERREXIT(c, JERR_BAD_VIRTUAL_ACCESS);
    Blockfeld& f = s->quelle[size_t(s->angefordert++)];
    if (!vorgenullt || breite != f.breite || hoehe != f.hoehe ||
        (f.fenster && zugriff != f.zugriff))
        ERREXIT(c, JERR_BAD_VIRTUAL_ACCESS);
    if (!f.fenster)
        f.zugriff = qMin(zugriff, hoehe);
    return reinterpret_cast<jvirt_barray_ptr>(&f);
}

JBLOCKARRAY quellfeldZugriff(j_common_ptr c, jvirt_barray_ptr feld, JDIMENSION anfang,
                             JDIMENSION zeilen, boolean schreiben)
{
    auto* s = static_cast<Schnitt*>(c->client_data);
    Blockfeld* f = nullptr;
    for (Blockfeld& q : s->quelle)
        if (reinterpret_cast<jvirt_barray_ptr>(&q) == feld)
            f = &q;
    if (!f || zeilen == 0 || zeilen > f->zugriff || anfang + zeilen > f->hoehe)
        ERREXIT(c, JERR_BAD_VIRTUAL_ACCESS);
    if (!f->fenster)
        return f->zeilen.data() + anfang;
    if (f->begonnen && anfang == f->anfang)
        return f->zeilen.data();
    // Rows are written once each, from the top, a window at a time.
    if (!schreiben || anfang != (f->begonnen ? f->anfang + f->zugriff : 0))
        ERREXIT(c, JERR_BAD_VIRTUAL_ACCESS);
    if (f->begonnen)
        s->uebernehmen(*f);
    if (anfang >= f->benoetigt && !f->fertig) {
        f->fertig = true;
        // The rest of the file is never read: the rows below the regions
        // are not needed, and a file damaged there still gives exact cuts.
        if (++s->fertig == s->komponenten)
            std::longjmp(s->falle.sprung, AllesGelesen);
    }
    std::memset(f->zeilen[0], 0, size_t(f->zugriff) * f->breite * sizeof(JBLOCK));
    f->anfang = anfang;
    f->begonnen = true;
    return f->zeilen.data();
}

bool lesen(Schnitt& s)
{
    switch (setjmp(s.falle.sprung)) {
    case Fehler:
        return false;
    case AllesGelesen:
        return true;
    default:
        break;
    }
    s.info.client_data = &s;
    s.info.mem->request_virt_barray = quellfeldAnfordern;
    s.info.mem->access_virt_barray = quellfeldZugriff;
    s.fortschritt.progress_monitor = scansZaehlen;
    s.info.progress = &s.fortschritt;
    jpeg_read_coefficients(&s.info);
    for (const Blockfeld& f : s.quelle) {
        // A sequential file that leaves out a component's scan would leave
        // the regions' blocks of it unwritten.
        if (f.fenster && !(f.begonnen && f.anfang + f.gehalten() >= f.benoetigt))
            return false;
        s.uebernehmen(f);
    }
    return true;
}

// --- writing ----------------------------------------------------------

struct Schreiber
{
    jpeg_compress_struct info{};
    Fehlerfalle falle{};
    jpeg_destination_mgr ziel{};
    QByteArray daten;
    qsizetype erwartet = 0;
    std::vector<jvirt_barray_ptr> felder;

    Schreiber()
    {
        info.err = jpeg_std_error(&falle.basis);
        falle.basis.error_exit = fehlerAusgang;
        falle.basis.emit_message = warnungIstFehler;
        jpeg_create_compress(&info);
        info.client_data = this;
    }
    ~Schreiber() { jpeg_destroy_compress(&info); }
    Schreiber(const Schreiber&) = delete;
    Schreiber& operator=(const Schreiber&) = delete;
};

// The regions' arrays are the only ones the encoder reads.
JBLOCKARRAY zielfeldZugriff(j_common_ptr c, jvirt_barray_ptr feld, JDIMENSION anfang,
                            JDIMENSION zeilen, boolean)
{
    auto* s = static_cast<Schreiber*>(c->client_data);
    for (jvirt_barray_ptr eigenes : s->felder) {
        auto* f = reinterpret_cast<Blockfeld*>(feld);
        if (eigenes == feld && anfang + zeilen <= f->hoehe)
            return f->zeilen.data() + anfang;
    }
    ERREXIT(c, JERR_BAD_VIRTUAL_ACCESS);
    return nullptr;
}

// Qt reports a failed allocation by throwing, which must not pass through
// libjpeg's C frames.
bool groesseSetzen(QByteArray& daten, qsizetype groesse) noexcept
{
    try {
        daten.resize(groesse);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void zielBeginnen(j_compress_ptr c)
{
    auto* s = static_cast<Schreiber*>(c->client_data);
    if (!groesseSetzen(s->daten, s->erwartet))
        ERREXIT1(c, JERR_OUT_OF_MEMORY, 0);
    s->ziel.next_output_byte = reinterpret_cast<JOCTET*>(s->daten.data());
    s->ziel.free_in_buffer = size_t(s->daten.size());
}

boolean zielErweitern(j_compress_ptr c)
{
    auto* s = static_cast<Schreiber*>(c->client_data);
    const qsizetype voll = s->daten.size();
    if (!groesseSetzen(s->daten, voll * 2))
        ERREXIT1(c, JERR_OUT_OF_MEMORY, 0);
    s->ziel.next_output_byte = reinterpret_cast<JOCTET*>(s->daten.data()) + voll;
    s->ziel.free_in_buffer = size_t(voll);
    return TRUE;
}

void zielBeenden(j_compress_ptr c)
{
    auto* s = static_cast<Schreiber*>(c->client_data);
    s->daten.truncate(s->daten.size() - qsizetype(s->ziel.free_in_buffer));
}

bool beginntMit(jpeg_saved_marker_ptr m, const char* kennung, unsigned laenge)
{
    return m->data_length >= laenge && std::memcmp(m->data, kennung, laenge) == 0;
}

// All markers go on, but none that libjpeg writes itself (JFIF, Adobe). The
// EXIF and XMP segments are made true for the view afterwards (Metadaten.h).
void markenKopieren(const jpeg_decompress_struct& quelle, jpeg_compress_struct& ziel)
{
    for (jpeg_saved_marker_ptr m = quelle.marker_list; m; m = m->next) {
        if (ziel.write_JFIF_header && m->marker == JPEG_APP0 && beginntMit(m, "JFIF", 5))
            continue;
        if (ziel.write_Adobe_marker && m->marker == JPEG_APP0 + 14 && beginntMit(m, "Adobe", 5))
            continue;
        jpeg_write_marker(&ziel, m->marker, m->data, m->data_length);
    }
}

bool schreiben(Schreiber& s, j_decompress_ptr quelle, const QRect& b)
{
    if (setjmp(s.falle.sprung))
        return false;
    s.info.mem->access_virt_barray = zielfeldZugriff;
    s.info.dest = &s.ziel;
    s.ziel.init_destination = zielBeginnen;
    s.ziel.empty_output_buffer = zielErweitern;
    s.ziel.term_destination = zielBeenden;
    jpeg_copy_critical_parameters(quelle, &s.info);
    s.info.image_width = JDIMENSION(b.width());
    s.info.image_height = JDIMENSION(b.height());
    jpeg_write_coefficients(&s.info, s.felder.data());
    markenKopieren(*quelle, s.info);
    jpeg_finish_compress(&s.info);
    return true;
}

QString bereichText(const QRect& b)
{
    return QStringLiteral("%1×%2+%3+%4").arg(b.width()).arg(b.height()).arg(b.left()).arg(b.top());
}

} // namespace

JpegRaster jpegRasterLesen(QByteArrayView jpeg)
{
    // Warnings in the headers are left to the cut, which refuses them.
    Leser l;
    l.falle.basis.emit_message = warnungUebergehen;
    if (!kopfLesen(l, jpeg, false))
        return {};
    return rasterAus(l.info);
}

bool verlustfreiSchneidbar(const JpegRaster& raster, const QRect& bereich)
{
    return raster.gueltig() && !bereich.isEmpty() &&
           QRect(QPoint(0, 0), raster.groesse).contains(bereich) &&
           bereich.left() % raster.mcu.width() == 0 && bereich.top() % raster.mcu.height() == 0;
}

QList<QByteArray> verlustfreiSchneiden(QByteArrayView jpeg, const QList<QRect>& bereiche,
                                       QString* fehler)
{
    if (!jpegVollstaendig(jpeg)) {
        *fehler = meldung::GrundUnvollstaendig.toString();
        return {};
    }
    Schnitt s;
    if (!kopfLesen(s, jpeg, true)) {
        *fehler = meldung::GrundBeschaedigt.toString();
        return {};
    }
    const JpegRaster raster = rasterAus(s.info);
    for (const QRect& b : bereiche) {
        if (!verlustfreiSchneidbar(raster, b)) {
            *fehler = GrundNichtAufRaster.arg(bereichText(b));
            return {};
        }
    }
    if (bereiche.isEmpty())
        return {};
    planen(s, bereiche);
    // The limit counts the coefficients held at once: the rows of the source
    // being read (all of them for a progressive file) and every region's.
    if (s.bloecke > qint64(SpeichergrenzeMB) * 1024 * 1024 / qint64(sizeof(JBLOCK))) {
        *fehler = meldung::GrundZuGross.arg(QString::number(raster.groesse.width()),
                                            QString::number(raster.groesse.height()),
                                            QString::number(SpeichergrenzeMB));
        return {};
    }
    if (!speicherNehmen(s)) {
        *fehler = meldung::GrundUnbekannt.toString();
        return {};
    }
    if (!lesen(s)) {
        *fehler = meldung::GrundBeschaedigt.toString();
        return {};
    }

    qsizetype markenBytes = 0;
    for (jpeg_saved_marker_ptr m = s.info.marker_list; m; m = m->next)
        markenBytes += qsizetype(m->data_length) + 4;
    const double flaeche = double(raster.groesse.width()) * raster.groesse.height();
    QList<QByteArray> ergebnis;
    for (qsizetype r = 0; r < bereiche.size(); ++r) {
        const QRect& b = bereiche[r];
        Schreiber w;
        for (int k = 0; k < s.komponenten; ++k)
            w.felder.push_back(
                reinterpret_cast<jvirt_barray_ptr>(&s.ziele[size_t(r * s.komponenten + k)]));
        // Room for the markers and a little more than the region's share of
        // the scan data, so that the buffer seldom grows.
        w.erwartet = markenBytes + 1024 +
                     qsizetype(double(jpeg.size()) * 1.1 * b.width() * b.height() / flaeche);
        if (!schreiben(w, &s.info, b)) {
            *fehler = meldung::GrundBeschaedigt.toString();
            return {};
        }
        ergebnis.append(std::move(w.daten));
    }
    return ergebnis;
}

} // namespace schnitt
