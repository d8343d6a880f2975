#include "demo/simulatedtroublecodes.h"

#include <algorithm>

namespace {

bool sameCode(const SimulatedTroubleCode &a, const SimulatedTroubleCode &b)
{
    return a.spn == b.spn && a.fmi == b.fmi;
}

} // namespace

void SimulatedTroubleCodes::addActive(const SimulatedTroubleCode &code)
{
    m_active.append(code);
}

void SimulatedTroubleCodes::addPreviouslyActive(const SimulatedTroubleCode &code)
{
    m_previous.append(code);
}

quint8 SimulatedTroubleCodes::lamps() const
{
    quint8 lamps = 0;
    for (const SimulatedTroubleCode &code : m_active)
        lamps |= code.lamps;
    return lamps;
}

void SimulatedTroubleCodes::makePreviouslyActive(const SimulatedTroubleCode &code)
{
    // One entry per code: a previously active one of the same SPN and FMI takes the newer count.
    auto same = [&](const SimulatedTroubleCode &c) { return sameCode(c, code); };
    m_previous.erase(std::remove_if(m_previous.begin(), m_previous.end(), same), m_previous.end());
    m_previous.append(code);
}

void SimulatedTroubleCodes::reoccur(SimulatedTroubleCode code)
{
    // A code still remembered as previously active counts one occurrence more; a code erased by
    // DM3 in the meantime starts again at one.
    auto same = [&](const SimulatedTroubleCode &c) { return sameCode(c, code); };
    const auto remembered = std::find_if(m_previous.begin(), m_previous.end(), same);
    if (remembered != m_previous.end()) {
        code.occurrences = quint8(std::min<int>(remembered->occurrences + 1, MaxOccurrences));
        m_previous.erase(remembered);
    } else {
        code.occurrences = 1;
    }
    m_active.append(code);
}

bool SimulatedTroubleCodes::advance(qint64 nowMs)
{
    if (m_startMs < 0)
        m_startMs = nowMs;
    m_nowMs = nowMs;
    bool changed = false;
    if (nowMs - m_startMs >= m_healMs) {
        for (int i = m_active.size() - 1; i >= 0; --i) {
            if (m_active.at(i).behaviour != SimulatedTroubleCode::Heals)
                continue;
            makePreviouslyActive(m_active.takeAt(i));
            changed = true;
        }
    }
    for (int i = 0; i < m_returns.size();) {
        if (nowMs < m_returns.at(i).dueMs) {
            ++i;
            continue;
        }
        reoccur(m_returns.takeAt(i).code);
        changed = true;
    }
    return changed;
}

void SimulatedTroubleCodes::clearActive()
{
    for (const SimulatedTroubleCode &code : qAsConst(m_active)) {
        makePreviouslyActive(code);
        if (code.behaviour == SimulatedTroubleCode::Persists)
            m_returns.append({code, m_nowMs + m_returnMs});
    }
    m_active.clear();
}

void SimulatedTroubleCodes::clearPreviouslyActive()
{
    m_previous.clear();
}
