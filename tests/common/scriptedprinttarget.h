#pragma once

// A print target that answers each step as scripted and records what reached it, in place of
// the system's print dialog and printer.

#include "printtarget.h"

#include <QList>
#include <QStringList>

enum class Step { Dialog, Font, Line, End, Abandon };

// Answers each step as scripted and records what reached it. Calls are counted in order:
// 0 is the dialog, 1 the font size, 2 to 8 the seven lines, 9 the end of the document.
class ScriptedTarget final : public PrintTarget
{
public:
    explicit ScriptedTarget(int failingCall = -1) : m_failingCall(failingCall) {}

    bool showDialog() override { return answer(Step::Dialog); }
    bool setFontSize(int points) override
    {
        const bool ok = answer(Step::Font);
        if (ok)
            fontPoints = points;
        return ok;
    }
    bool printLine(const QString &text) override
    {
        const bool ok = answer(Step::Line);
        if (ok)
            printed.append(text);
        return ok;
    }
    bool endDocument() override
    {
        ended = answer(Step::End);
        return ended;
    }
    bool abandonDocument() override
    {
        abandoned = true;
        steps.append(Step::Abandon);
        return true;
    }

    QList<Step> steps;
    QStringList printed;
    int fontPoints = 0;
    bool ended = false;
    bool abandoned = false;

private:
    bool answer(Step step)
    {
        steps.append(step);
        return m_calls++ != m_failingCall;
    }

    int m_failingCall = -1;
    int m_calls = 0;
};
