#pragma once

#include "Aufruf.h"
#include "Grosslauf.h"
#include "views/Schneider.h"
#include "views/Stapel.h"

#include <QList>
#include <QString>

#include <atomic>
#include <optional>

namespace cli {

class Ausgabe;

// A call checked against the files: what to cut from where to where.
struct Auftrag
{
    schnitt::Schnittplan plan; // the cuts in the order L, R, V, Z, and how views are made
    QList<schnitt::Stapelbild> bilder;
    QString zielOrdner;
    // What the configuration file's newer entries said on loading, for the log.
    QStringList meldungen;
    // "Keine Bilder im Ordner …" for each folder given that holds none: a
    // run that cuts less than asked, and so fails.
    QStringList leereOrdner;
    Grosslauf gross;
};

// Reads the frame configuration and lists the pictures of the inputs. On a
// bad argument or an unusable configuration file returns nothing and puts
// one German line saying why into `fehler`; nothing has been written then.
std::optional<Auftrag> auftragErstellen(const Aufruf& aufruf, QString* fehler);

// Cuts every picture on the batch engine and writes the window's log lines;
// returns 0 when every view was saved, 1 otherwise. When `halt` turns true,
// no further picture is started and the lines say how far the batch came.
int schneiden(const Auftrag& auftrag, Ausgabe& ausgabe, const std::atomic<bool>* halt = nullptr);

// Reports each cut whose rectangle does not lie wholly inside its picture,
// by the sizes in the picture headers, and each picture whose views would be
// named like those of one before it; returns 0 when all fit, 1 otherwise.
int pruefen(const Auftrag& auftrag, Ausgabe& ausgabe);

} // namespace cli
