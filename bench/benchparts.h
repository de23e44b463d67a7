#pragma once

// The benchmark's parts. Each measures its figures, adds their rows and its part of the summary
// to the report, and returns false, with the reason in error, when a measurement failed. The
// README's "Performance" section tells how each figure is taken.

#include "linesettings.h"

#include <QString>

#include <chrono>

class BenchReport;

// A byte's time on the line.
inline constexpr double ByteMs =
    std::chrono::duration<double, std::milli>(LineSettings::ByteTime).count();

// Read, write and version clicked in the window, runs of each, against the simulator paced at
// the line's speed; then the reply time limit, against a transmitter that does not answer.
bool MeasureExchanges(BenchReport &report, int runs, QString *error);

// The tool's window and the bare form started in turns, runs times each, at 100% and 200%.
bool MeasureStartup(BenchReport &report, int runs, QString *error);

// 2,000 exchanges in one window, a tenth of them on ports whose simulator plays a fault, while
// the process's open descriptors and resident memory are watched; false also when either grew.
bool MeasureSoak(BenchReport &report, QString *error);

// 100 transmitters read, written and verified with the command line against the unpaced
// simulator, and 10 against the simulator at the line's speed.
bool MeasureCliBatch(BenchReport &report, QString *error);
