#pragma once

// Judging the argument list an outside tool is started with by what matters to it: the tool,
// the options it gets with their values, the files it reads and writes, and the options it must
// not get, rather than by every tuning option in order.

#include <QByteArrayList>
#include <QList>
#include <QMetaType>
#include <QString>

namespace lectorix::test {

struct ToolCall
{
    QByteArray tool;            // the first argument
    QList<QByteArrayList> runs; // each held one after another (an option and its value)
    QByteArrayList last;        // how the list ends: the files, in order
    QByteArrayList absent = {}; // options it must not get
};

// What is wrong with arguments as a call of expected, for a failure message; empty when nothing.
inline QString argumentFault(const QByteArrayList& arguments, const ToolCall& expected)
{
    const auto holds = [&arguments](const QByteArrayList& run) {
        for (qsizetype at = 0; at + run.size() <= arguments.size(); ++at)
            if (arguments.mid(at, run.size()) == run)
                return true;
        return false;
    };
    const QString said = QString::fromUtf8(arguments.join(' '));
    if (arguments.value(0) != expected.tool)
        return QStringLiteral("not %1: %2").arg(QString::fromUtf8(expected.tool), said);
    for (const QByteArrayList& run : expected.runs)
        if (!holds(run))
            return QStringLiteral("no \"%1\" in %2").arg(QString::fromUtf8(run.join(' ')), said);
    if (arguments.mid(arguments.size() - expected.last.size()) != expected.last)
        return QStringLiteral("does not end with \"%1\": %2")
            .arg(QString::fromUtf8(expected.last.join(' ')), said);
    for (const QByteArray& option : expected.absent)
        if (arguments.contains(option))
            return QStringLiteral("%1 given: %2").arg(QString::fromUtf8(option), said);
    return QString();
}

} // namespace lectorix::test

Q_DECLARE_METATYPE(lectorix::test::ToolCall)
