#pragma once

// Median, least and greatest of a benchmark's runs.

#include <QList>

struct Spread
{
    double median = 0;
    double min = 0;
    double max = 0;
    int runs = 0;

    static Spread of(QList<double> values);
};
