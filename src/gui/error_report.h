#pragma once

#include "core/base/failure.h"

#include <QString>

#include <exception>
#include <functional>
#include <utility>

namespace lectorix {

inline constexpr char SupportAddress[] = "support@lectorix.invalid";

// "Lectorix2021/08/31.<module>.<procedure>"
QString sourceTag(const char* module, const char* procedure);

// The text of the "Application Error" box.
QString applicationErrorText(const QString& tag, int line, const QString& description);

// Where reports go: the window shows the "Application Error" box; while no sink is installed
// (a test without a window) a line goes to standard error.
using ErrorReportSink =
    std::function<void(const QString& tag, int line, const QString& description)>;
// Installs sink and returns the one it replaces.
ErrorReportSink setErrorReportSink(ErrorReportSink sink);

// Hands the report to the installed sink and returns when it has been dealt with (for the
// window: when the user has closed the box). Reports made on another thread are handed over
// to the main thread and return at once.
void reportApplicationError(const QString& tag, int line, const QString& description);

// The guard of a guarded procedure. Each numbered statement runs through it: a statement that
// throws is abandoned, reported with the procedure's tag and the statement's line number, and
// the procedure goes on with its next statement. Failures inside unguarded callees surface
// here too, so they are reported at the calling line.
//
//     Guard g("Form1", "Form_Load");
//     g(102, [&] { applySkin(); });
//     if (g.test(104, [&] { return fileExists(path); }))   // a failing test counts as true
//         g(106, [&] { loadCursor(); });
//     g(128, [&] { setCaption(); }, [&] { setIcon(); });   // two statements on one line
class Guard
{
public:
    Guard(const char* module, const char* procedure) : m_tag(sourceTag(module, procedure)) {}

    const QString& tag() const { return m_tag; }
    int failures() const { return m_failures; }

    // Runs the statements of one line in order; a failing one does not stop the next.
    // Returns true when all of them succeeded.
    template <typename... Statements> bool operator()(int line, Statements&&... statements)
    {
        bool ok = true;
        ((ok = run(line, std::forward<Statements>(statements)) && ok), ...);
        return ok;
    }

    // The test of a conditional step; a test that fails is reported and taken as true.
    template <typename Test> bool test(int line, Test&& condition)
    {
        try {
            return bool(condition());
        } catch (...) {
            report(line);
            return true;
        }
    }

    // A value-producing statement; on failure the target keeps what it held.
    template <typename T, typename Producer> bool assign(int line, T& target, Producer&& producer)
    {
        try {
            target = producer();
            return true;
        } catch (...) {
            report(line);
            return false;
        }
    }

private:
    template <typename Statement> bool run(int line, Statement&& statement)
    {
        try {
            statement();
            return true;
        } catch (...) {
            report(line);
            return false;
        }
    }

    void report(int line);

    QString m_tag;
    int m_failures = 0;
};

} // namespace lectorix
