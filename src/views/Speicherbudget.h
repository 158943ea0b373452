#pragma once

#include <QMutex>
#include <QWaitCondition>

namespace schnitt {

// Memory shared by the pictures a batch decodes at the same time. A picture
// takes its share before decoding and gives it back when its views are
// saved; a picture that finds too little free waits for the others.
class Speicherbudget final
{
public:
    explicit Speicherbudget(qint64 bytes)
        : m_gesamt(bytes)
        , m_frei(bytes)
    {
    }
    Speicherbudget(const Speicherbudget&) = delete;
    Speicherbudget& operator=(const Speicherbudget&) = delete;

    qint64 gesamt() const { return m_gesamt; }

    // A share given back when it goes out of scope.
    class Anteil final
    {
    public:
        Anteil() = default;
        Anteil(Anteil&& a) noexcept
            : m_budget(a.m_budget)
            , m_bytes(a.m_bytes)
        {
            a.m_budget = nullptr;
        }
        Anteil& operator=(Anteil&& a) noexcept
        {
            if (this != &a) {
                zurueckgeben();
                m_budget = a.m_budget;
                m_bytes = a.m_bytes;
                a.m_budget = nullptr;
            }
            return *this;
        }
        ~Anteil() { zurueckgeben(); }

    private:
        friend class Speicherbudget;
        Anteil(Speicherbudget* budget, qint64 bytes)
            : m_budget(budget)
            , m_bytes(bytes)
        {
        }
        void zurueckgeben()
        {
            if (m_budget)
                m_budget->freigeben(m_bytes);
            m_budget = nullptr;
        }
        Speicherbudget* m_budget = nullptr;
        qint64 m_bytes = 0;
    };

    // Waits until `bytes` are free and takes them. More than the whole budget
    // is capped to it, so that such a picture runs alone instead of never.
    Anteil nehmen(qint64 bytes);
    // What is free now, without waiting.
    qint64 frei() const;

private:
    void freigeben(qint64 bytes);

    const qint64 m_gesamt;
    mutable QMutex m_sperre;
    QWaitCondition m_freiGeworden;
    qint64 m_frei;
};

} // namespace schnitt
