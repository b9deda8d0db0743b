// The window's reports of the core's failed steps: each step with the procedure tag and line
// number the window's "Application Error" box has always given it.
#include "gui/error_report.h"
#include "gui/job_failure_reports.h"
#include "support/scripted_dialogs.h"

#include <QtTest>

#include <functional>

using namespace lectorix;

Q_DECLARE_METATYPE(std::function<void()>)

namespace {

const QString Why = QStringLiteral("Permission denied: /t/x");

std::function<void()> conversionStep(ConversionStep step)
{
    return [step] { reportConversionFailure({step, Why, QStringLiteral("ignored")}); };
}

std::function<void()> extractionStep(ExtractionStep step, const ExtractionReportLines& lines)
{
    return [step, lines] { reportExtractionFailure({step, Why, QString()}, lines); };
}

} // namespace

class TestJobFailureReports : public QObject
{
    Q_OBJECT

private slots:
    void stepsKeepTheirTagAndLine_data()
    {
        QTest::addColumn<std::function<void()>>("report");
        QTest::addColumn<QString>("module");
        QTest::addColumn<QString>("procedure");
        QTest::addColumn<int>("line");
        const auto save = [](const char* name, ConversionStep step, int line) {
            QTest::newRow(name) << conversionStep(step) << "Form1"
                                << "PushButton8_Click" << line;
        };
        save("working folder", ConversionStep::MakeWorkingFolder, 114);
        save("encoder refused", ConversionStep::CheckEncoder, 164);
        save("output reserved", ConversionStep::ReserveOutput, 180);
        save("text prepared", ConversionStep::PrepareText, 182);
        save("one encoder", ConversionStep::StartEncoder, 194);
        save("encoder of a part", ConversionStep::StartPartEncoder, 196);
        save("renamed into place", ConversionStep::RenameOutput, 226);

        const auto extract = [](const char* name, ExtractionStep step,
                                const ExtractionReportLines& lines, const char* module,
                                const char* procedure, int line) {
            QTest::newRow(name) << extractionStep(step, lines) << module << procedure << line;
        };
        const ExtractionReportLines open = conversionExtractionLines(false);
        const ExtractionReportLines locked = conversionExtractionLines(true);
        extract("export: copy", ExtractionStep::CopyDocument, open, "Form1", "PushButton8_Click",
                116);
        extract("export: converter", ExtractionStep::RunConverter, open, "Form1",
                "PushButton8_Click", 130);
        extract("export: converter with a password", ExtractionStep::RunConverter, locked, "Form1",
                "PushButton8_Click", 126);
        extract("export: text file test", ExtractionStep::FindText, open, "Form1",
                "PushButton8_Click", 158);
        extract("export: readability test", ExtractionStep::TestText, open, "Form1",
                "PushButton8_Click", 160);
        extract("reading the text for the test", ExtractionStep::ReadText, open, "Main",
                "ReadFileToStringFSOLine", 102);
        extract("cutting it into lines", ExtractionStep::SplitText, locked, "Main",
                "ReadFileToStringFSOLine", 116);
        const ExtractionReportLines box{"Read", "GetPDFText", 0, 112, 120, 122};
        extract("text box: converter", ExtractionStep::RunConverter, box, "Read", "GetPDFText",
                112);
        extract("text box: text file test", ExtractionStep::FindText, box, "Read", "GetPDFText",
                120);

        const auto file = [](const char* name, bool lines, TextFileStep step, const char* procedure,
                             int line) {
            std::function<void()> report = [lines, step] {
                if (lines)
                    reportTextLinesFailure({step, Why, QString()});
                else
                    reportTextBlocksFailure({step, Why, QString()});
            };
            QTest::newRow(name) << report << "Main" << procedure << line;
        };
        file("lines: read", true, TextFileStep::Read, "ReadFileToStringFSOLine", 102);
        file("lines: split", true, TextFileStep::Split, "ReadFileToStringFSOLine", 116);
        file("blocks: look-up", false, TextFileStep::LookUp, "ReadFileToStringFSO", 102);
        file("blocks: read", false, TextFileStep::Read, "ReadFileToStringFSO", 104);
        file("blocks: split", false, TextFileStep::Split, "ReadFileToStringFSO", 118);
    }

    void stepsKeepTheirTagAndLine()
    {
        QFETCH(std::function<void()>, report);
        QFETCH(QString, module);
        QFETCH(QString, procedure);
        QFETCH(int, line);
        test::ScriptedDialogs dialogs;
        report();
        QCOMPARE(dialogs.messages().size(), 1);
        QCOMPARE(dialogs.messages().first().title, QStringLiteral("Application Error"));
        QCOMPARE(dialogs.messageTexts().first(),
                 applicationErrorText(
                     sourceTag(module.toLatin1().constData(), procedure.toLatin1().constData()),
                     line, Why));
    }
};

QTEST_MAIN(TestJobFailureReports)
#include "test_job_failure_reports.moc"
