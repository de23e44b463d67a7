#pragma once

// The production line's batch, timed: for each transmitter, k5-dipswitch-cli read and then
// write CODE --verify, run one after the other as a shell loop runs them, against the
// transmitter simulator; the time per transmitter held against what the line itself needs.

#include "benchreport.h"

#include <QList>
#include <QString>

class CliBatch
{
public:
    // transmitters: cycles against the unpaced simulator; paced: cycles at the line's speed.
    CliBatch(int transmitters, int paced);

    // Adds the figures to report. false, with the reason in error, when a cycle failed.
    bool run(BenchReport &report, QString *error);

private:
    // Runs count cycles; the time of each, in milliseconds, goes to times.
    bool batch(bool paced, int count, QList<double> *times, QString *error);

    const int m_transmitters;
    const int m_paced;
};
