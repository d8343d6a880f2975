#pragma once

#include "util/servicejournal.h"

#include <QVector>

#include <mutex>

// Keeps what the service functions note in the service journal while it lives, as a job would.
class JournalRecorder
{
public:
    JournalRecorder()
    {
        ServiceJournal::setListener([this](const ServiceJournal::Entry &entry) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_entries.append(entry);
        });
    }
    ~JournalRecorder() { ServiceJournal::setListener({}); }
    JournalRecorder(const JournalRecorder &) = delete;
    JournalRecorder &operator=(const JournalRecorder &) = delete;

    QVector<ServiceJournal::Entry> entries(const QString &kind = QString()) const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        QVector<ServiceJournal::Entry> found;
        for (const ServiceJournal::Entry &e : m_entries) {
            if (kind.isEmpty() || e.kind == kind)
                found.append(e);
        }
        return found;
    }

private:
    mutable std::mutex m_mutex;
    QVector<ServiceJournal::Entry> m_entries;
};
