// One program instance working for a long time: fifty readings aloud and twenty exports back
// to back. Resident memory and open file descriptors stay flat after the first rounds, and no
// child process outlives the job that started it.
#include "core/conversion/conversion_job.h"
#include "core/reading/reading_session.h"
#include "gui/error_report.h"
#include "support/error_recorder.h"
#include "support/job_run.h"
#include "support/process_info.h"
#include "support/test_env.h"

#include <QDir>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

#include <unistd.h>

using namespace lectorix;

namespace {

using test::Footprint;

// Every child of this process, ended or not: one not yet reaped is a leak too.
QStringList childProcesses()
{
    QStringList children;
    for (const test::ProcessInfo& child : test::childrenOf(::getpid()))
        children << QStringLiteral("%1 %2 %3").arg(child.pid).arg(child.name).arg(child.state);
    return children;
}

QString describe(const Footprint& at)
{
    return QStringLiteral("%1 KiB resident, %2 open files")
        .arg(at.residentBytes / 1024)
        .arg(at.openFiles);
}

// Grows by no more than a few percent (resident memory) or not at all (files).
void compareFootprints(const Footprint& settled, const Footprint& end, const char* what)
{
    qInfo("%s: after 5 rounds %s; at the end %s", what, qPrintable(describe(settled)),
          qPrintable(describe(end)));
#if defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer keeps freed memory in quarantine: resident memory says nothing here.
#else
    QVERIFY2(end.residentBytes <= settled.residentBytes + settled.residentBytes / 20,
             qPrintable(describe(end)));
#endif
    QVERIFY2(end.openFiles <= settled.openFiles, qPrintable(describe(end)));
}

} // namespace

class TestLongLife : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { test::ignoreBrokenPipes(); }
    void fiftyReadings();
    void twentyExports();
};

void TestLongLife::fiftyReadings()
{
    if (qEnvironmentVariableIsEmpty("LECTORIX_TEST_SINK") &&
        qEnvironmentVariableIsEmpty("PULSE_SERVER"))
        QSKIP("a sound server is needed (tools/with-audio.sh starts one)");
    test::freshScratch();
    test::ErrorRecorder errors;
    ReadingSession session;
    Footprint settled;
    for (int round = 1; round <= 50; ++round) {
        ReadingRequest request;
        request.text = QStringLiteral("Round %1.").arg(round);
        request.voice.rate = 10;
        session.start(request);
        QTRY_VERIFY_WITH_TIMEOUT(session.state() == ReadingState::Idle, 60000);
        QCOMPARE(errors.reports, QStringList());
        QCOMPARE(childProcesses(), QStringList());
        if (round == 5)
            settled = test::ownFootprint();
    }
    compareFootprints(settled, test::ownFootprint(), "reading aloud");
}

void TestLongLife::twentyExports()
{
    REQUIRE_CORPUS();
    const QString pdf = test::corpusFile(QStringLiteral("french_diacritics.pdf"));
    if (QStandardPaths::findExecutable(QStringLiteral("lame")).isEmpty())
        QSKIP("lame is needed");
    const QString temp = test::freshScratch();
    test::ErrorRecorder errors;
    const QString folder = test::scratchFolder() + QStringLiteral("/exports");
    QDir().mkpath(folder);
    Footprint settled;
    for (int round = 1; round <= 20; ++round) {
        ConversionRequest request;
        request.sourcePdf = pdf;
        request.outputPath = folder + QStringLiteral("/round%1.mp3").arg(round);
        request.voice.rate = 10;
        ConversionJob job(request);
        const auto result = test::runToEnd(job, 300000).result;
        QVERIFY(result);
        QVERIFY2(result->outcome == ConversionOutcome::Done, qPrintable(result->message));
        QVERIFY(QFileInfo(request.outputPath).size() > 1000);
        QCOMPARE(errors.reports, QStringList());
        QCOMPARE(childProcesses(), QStringList());
        QCOMPARE(QDir(temp).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList());
        if (round == 5)
            settled = test::ownFootprint();
    }
    compareFootprints(settled, test::ownFootprint(), "exporting");
}

QTEST_GUILESS_MAIN(TestLongLife)
#include "test_long_life.moc"
