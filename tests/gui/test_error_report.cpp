#include "gui/error_report.h"
#include "support/scripted_dialogs.h"

#include <QtTest>

using namespace lectorix;

namespace {
// An unguarded helper: its failure belongs to the guarded caller's line.
void unguardedCallee(bool fail)
{
    if (fail)
        throw Failure(QStringLiteral("Path not found"));
}
} // namespace

class TestErrorReport : public QObject
{
    Q_OBJECT

private slots:
    void reportTextAndBox()
    {
        test::ScriptedDialogs dialogs;
        reportApplicationError(sourceTag("Form1", "Form_Load"), 112,
                               QStringLiteral("File not found"));
        QCOMPARE(dialogs.messages().size(), 1);
        const auto shown = dialogs.messages().first();
        QCOMPARE(
            shown.text,
            QStringLiteral("File not found\r\nin Lectorix2021/08/31.Form1.Form_Load at line 112"
                           "\r\rPlease email screenshot of this message to ") +
                QLatin1String(SupportAddress));
        QCOMPARE(shown.title, QStringLiteral("Application Error"));
        QCOMPARE(shown.icon, Dialogs::Icon::Warning);
        QCOMPARE(shown.buttons, Dialogs::Buttons::Ok);
    }

    void emptyDescriptionStartsWithTheLineBreak()
    {
        test::ScriptedDialogs dialogs;
        Guard g("Speak", "SpeakLoud");
        g(100, [] { throw Failure(QString()); });
        QVERIFY(dialogs.messageTexts().value(0).startsWith(
            QStringLiteral("\r\nin Lectorix2021/08/31.Speak.SpeakLoud at line 100\r\r")));
    }

    // A guarded procedure in miniature, shaped like the start-up steps.
    void continuationRules()
    {
        test::ScriptedDialogs dialogs;
        QStringList ran;
        int value = 7;
        Guard g("Form1", "Form_Load");
        g(100, [&] { throw Failure(QStringLiteral("first")); });
        g(
            102,
            [&] {
                ran << "102a";
                throw Failure(QStringLiteral("second"));
            },
            [&] { ran << "102b"; });
        if (g.test(104, [&]() -> bool { throw Failure(QStringLiteral("test")); }))
            g(106, [&] { ran << "true branch"; });
        else
            g(108, [&] { ran << "false branch"; });
        g(110, [&] {
            unguardedCallee(true);
            ran << "after callee";
        });
        g.assign(112, value, []() -> int { throw std::runtime_error("plain"); });
        g(114, [&] { ran << "end"; });

        QCOMPARE(ran, (QStringList{"102a", "102b", "true branch", "end"}));
        QCOMPARE(value, 7);
        QCOMPARE(g.failures(), 5);
        const QStringList texts = dialogs.messageTexts();
        QCOMPARE(texts.size(), 5);
        const QList<int> lines = {100, 102, 104, 110, 112};
        const QStringList descriptions = {"first", "second", "test", "Path not found", "plain"};
        for (int i = 0; i < 5; ++i) {
            QVERIFY2(texts[i].startsWith(
                         descriptions[i] +
                         QStringLiteral("\r\nin Lectorix2021/08/31.Form1.Form_Load at line ") +
                         QString::number(lines[i]) + QStringLiteral("\r\r")),
                     qPrintable(texts[i]));
        }
    }

    void successfulStepsReportNothing()
    {
        test::ScriptedDialogs dialogs;
        Guard g("Main", "NoTextPDF");
        int value = 0;
        QVERIFY(g(100, [] {}));
        QVERIFY(!g.test(102, [] { return false; }));
        QVERIFY(g.assign(104, value, [] { return 3; }));
        QCOMPARE(value, 3);
        QVERIFY(dialogs.shown().isEmpty());
    }
};

QTEST_MAIN(TestErrorReport)
#include "test_error_report.moc"
