#pragma once

// User input as the error line quotes it: on one line, whatever the argument held, and short
// enough to read, whatever its length.

#include <QString>
#include <QStringView>

// text with its control characters shown escaped: "\n", "\t", "\r", else "\x1B" (or "\u202E" for
// one beyond Latin-1, such as a mark that turns the text's direction).
QString Escaped(QStringView text);

// Escaped(text), cut to QuotedLength characters with "..." at the end when it is longer.
QString Quoted(QStringView text);

inline constexpr qsizetype QuotedLength = 64;
