// A job that needs the user asks and goes on with the answer instead of being run again: the
// password of an encrypted PDF (asked again while wrong), whether to recognise a scan. A No,
// or no one listening, ends the job as it ends without asking.
#include "core/conversion/conversion_job.h"
#include "support/job_run.h"
#include "support/test_env.h"

#include <QtTest>

using namespace lectorix;

class TestJobQuestions : public QObject
{
    Q_OBJECT

private slots:
    void answered_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("answers"); // "no" declines; none: no one listens
        QTest::addColumn<QStringList>("asked");   // "password:" and the one tried, or "scan"
        QTest::addColumn<ConversionOutcome>("outcome");
        const QString locked = QStringLiteral("password-example.pdf");
        const QString scan = QStringLiteral("c02-22.pdf");
        QTest::newRow("password answered")
            << QStringLiteral("libreoffice-writer-password.pdf") << QStringList{"openpassword"}
            << QStringList{"password:"} << ConversionOutcome::Done;
        QTest::newRow("wrong, then declined")
            << locked << QStringList{"nope", "no"} << QStringList{"password:", "password:nope"}
            << ConversionOutcome::WrongPassword;
        QTest::newRow("no one listening")
            << locked << QStringList() << QStringList() << ConversionOutcome::NeedsPassword;
        QTest::newRow("scan recognised")
            << scan << QStringList{"yes"} << QStringList{"scan"} << ConversionOutcome::Done;
        QTest::newRow("scan not recognised")
            << scan << QStringList{"no"} << QStringList{"scan"} << ConversionOutcome::Unreadable;
    }

    void answered()
    {
        REQUIRE_CORPUS();
        QFETCH(QString, file);
        QFETCH(QStringList, answers);
        QFETCH(QStringList, asked);
        QFETCH(ConversionOutcome, outcome);
        ConversionRequest request;
        request.sourcePdf = test::corpusFile(file);
        request.outputPath = test::freshScratch() + QStringLiteral("/../out.mp3");
        request.voice.rate = 10;
        ConversionJob job(request);
        QStringList seen;
        const QStringList passwords = answers.filter(QRegularExpression("^(?!no$|yes$)"));
        if (!answers.isEmpty())
            QObject::connect(&job, &Job::asked, &job, [&](JobQuestion* question) {
                const bool password = question->kind() == JobQuestion::Kind::Password;
                seen << (password ? QStringLiteral("password:") + question->tried()
                                  : QStringLiteral("scan"));
                const QString answer = answers.value(seen.size() - 1, QStringLiteral("no"));
                if (answer == "no")
                    question->decline();
                else if (password)
                    question->answer(answer);
                else
                    question->accept();
            });
        const auto result = test::runToEnd(job, 300000).result;
        QVERIFY(result);
        QCOMPARE(seen, asked);
        QCOMPARE(result->outcome, outcome);
        // The job keeps the password last tried, for its later steps and for the front end.
        QCOMPARE(job.request().password, passwords.value(passwords.size() - 1));
    }
};

QTEST_GUILESS_MAIN(TestJobQuestions)
#include "test_job_questions.moc"
