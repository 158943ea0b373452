#include "Speicherbudget.h"

#include <QMutexLocker>

namespace schnitt {

Speicherbudget::Anteil Speicherbudget::nehmen(qint64 bytes)
{
    const qint64 anteil = qBound(qint64(0), bytes, m_gesamt);
    QMutexLocker sperre(&m_sperre);
    while (m_frei < anteil)
        m_freiGeworden.wait(&m_sperre);
    m_frei -= anteil;
    return Anteil(this, anteil);
}

qint64 Speicherbudget::frei() const
{
    QMutexLocker sperre(&m_sperre);
    return m_frei;
}

void Speicherbudget::freigeben(qint64 bytes)
{
    {
        QMutexLocker sperre(&m_sperre);
        m_frei += bytes;
    }
    m_freiGeworden.wakeAll();
}

} // namespace schnitt
