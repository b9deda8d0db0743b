// A library converted by running lectorix-convert under a job runner, as the README shows:
// several conversions at once share one TEMP and one settings file, and none disturbs another.

#include "cli/converter_run.h"
#include "packaging_support.h"

#include <QtTest>

using namespace lectorix;

class TestParallelConversion : public QObject
{
    Q_OBJECT

private slots:
    void xargsRunsConversionsSideBySide()
    {
        REQUIRE_CONVERTER_AND_CORPUS();
        if (test::mpg123Program().isEmpty())
            QSKIP("mpg123 is not installed (make test installs it)");
        const QString temp = test::freshScratch();
        const QString library = temp + QStringLiteral("/../library");
        const QString alone = temp + QStringLiteral("/../alone");
        QDir().mkpath(alone);
        const QStringList documents = {QStringLiteral("french_diacritics"),
                                       QStringLiteral("helloworld-bad"),
                                       QStringLiteral("xref_command_missing")};
        for (const QString& document : documents)
            QVERIFY(!test::copyCorpusFile(document + QStringLiteral(".pdf"),
                                          library + QLatin1Char('/') + document +
                                              QStringLiteral(".pdf"))
                         .isEmpty());

        // The README's command, two at a time.
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("LECTORIX_CONVERT"), test::converterProgram());
        const test::ProgramRun runner = test::runProgram(
            QStringLiteral("sh"),
            {QStringLiteral("-c"),
             QStringLiteral(
                 "printf '%s\\0' *.pdf | xargs -0 -n 1 -P 2 \"$LECTORIX_CONVERT\" --quiet")},
            {.folder = library, .environment = environment});
        QVERIFY2(runner.succeeded(), runner.said());

        for (const QString& document : documents) {
            const QString mp3 = library + QLatin1Char('/') + document + QStringLiteral(".mp3");
            const QString fault = test::mp3Fault(mp3);
            QVERIFY2(fault.isEmpty(), qPrintable(fault));
            // The same document converted on its own sounds the same: nothing of another run
            // got into it.
            const test::ConverterRun single =
                test::runConverter({QStringLiteral("--quiet"), QStringLiteral("-d"), alone,
                                    library + QLatin1Char('/') + document + QStringLiteral(".pdf")},
                                   alone);
            QCOMPARE(single.exitCode, 0);
            const auto together = test::decodeMp3(mp3);
            const auto byItself =
                test::decodeMp3(alone + QLatin1Char('/') + document + QStringLiteral(".mp3"));
            QVERIFY(together && byItself);
            QCOMPARE(together->samples, byItself->samples);
        }
        // Each run removed its own working folder.
        for (const QString& entry : test::folderEntries(temp))
            QVERIFY2(!entry.startsWith(QLatin1String("conversion")), qPrintable(entry));
    }
};

QTEST_MAIN(TestParallelConversion)
#include "test_parallel_conversion.moc"
