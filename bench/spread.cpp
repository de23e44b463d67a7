#include "spread.h"

#include <algorithm>

Spread Spread::of(QList<double> values)
{
    Spread s;
    s.runs = int(values.size());
    if (values.isEmpty())
        return s;
    std::sort(values.begin(), values.end());
    const qsizetype half = values.size() / 2;
    s.median = values.size() % 2 ? values[half] : (values[half - 1] + values[half]) / 2;
    s.min = values.front();
    s.max = values.back();
    return s;
}
