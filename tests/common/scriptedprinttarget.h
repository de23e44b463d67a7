#pragma once

// A print target in place of the system's print dialog and printer: it fails the call it is told
// to, and writes each call into a log as "dialog", "font 16", "line <text>", "end" or "abandon".

#include "printtarget.h"

#include <QStringList>

class ScriptedTarget final : public PrintTarget
{
public:
    // Calls count from 0, the dialog: 1 is the font size, 2 to 8 the lines, 9 the end, and an
    // abandon comes after the failing call.
    ScriptedTarget(int failingCall, QStringList *log) : m_failingCall(failingCall), m_log(log) {}

    bool showDialog() override { return call("dialog"); }
    bool setFontSize(int points) override { return call(QString("font %1").arg(points)); }
    bool printLine(const QString &text) override { return call("line " + text); }
    bool endDocument() override { return call("end"); }
    bool abandonDocument() override { return call("abandon"); }

private:
    bool call(const QString &step)
    {
        m_log->append(step);
        return m_calls++ != m_failingCall;
    }

    int m_failingCall;
    QStringList *m_log;
    int m_calls = 0;
};
