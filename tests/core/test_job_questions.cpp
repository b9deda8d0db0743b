// A job that needs the user asks a question and goes on with the answer instead of being run
// again: the password of an encrypted PDF, asked again while wrong, and whether to recognise a
// scan. A No, or no one listening, ends the job as it ends without asking.
#include "core/conversion/conversion_job.h"
#include "core/pdf/document_text.h"
#include "support/job_run.h"
#include "support/test_env.h"

#include <QtTest>

using namespace lectorix;

namespace {

const QString No = QStringLiteral("<no>");

// Answers each question with the next of answers (No declines), keeping what was asked:
// "password:" and the password tried, or "scan".
struct Answerer
{
    QStringList answers;
    QStringList asked;
    void listenTo(Job& job)
    {
        QObject::connect(&job, &Job::asked, &job, [this](JobQuestion* question) {
            asked << (question->kind() == JobQuestion::Kind::Password
                          ? QStringLiteral("password:") + question->tried()
                          : QStringLiteral("scan"));
            const QString answer = answers.isEmpty() ? No : answers.takeFirst();
            if (answer == No)
                question->decline();
            else if (question->kind() == JobQuestion::Kind::Password)
                question->answer(answer);
            else
                question->accept();
        });
    }
};

} // namespace

class TestJobQuestions : public QObject
{
    Q_OBJECT

private slots:
    void answered_data()
    {
        QTest::addColumn<QString>("job"); // "extraction" or "conversion"
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("listening");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QStringList>("asked");
        QTest::addColumn<int>("outcome");
        const QString locked = QStringLiteral("password-example.pdf");
        const auto extracted = [](ExtractionOutcome o) { return int(o); };
        const auto converted = [](ConversionOutcome o) { return int(o); };
        QTest::newRow("extraction, answered")
            << "extraction" << locked << true << QStringList{"test"} << QStringList{"password:"}
            << extracted(ExtractionOutcome::Text);
        QTest::newRow("extraction, wrong, then right")
            << "extraction" << locked << true << QStringList{"nope", "test"}
            << QStringList{"password:", "password:nope"} << extracted(ExtractionOutcome::Text);
        QTest::newRow("extraction, declined")
            << "extraction" << locked << true << QStringList{No} << QStringList{"password:"}
            << extracted(ExtractionOutcome::NeedsPassword);
        QTest::newRow("extraction, no one listening")
            << "extraction" << locked << false << QStringList() << QStringList()
            << extracted(ExtractionOutcome::NeedsPassword);
        QTest::newRow("conversion, answered")
            << "conversion" << QStringLiteral("libreoffice-writer-password.pdf") << true
            << QStringList{"openpassword"} << QStringList{"password:"}
            << converted(ConversionOutcome::Done);
        QTest::newRow("conversion, wrong and declined")
            << "conversion" << locked << true << QStringList{"nope", No}
            << QStringList{"password:", "password:nope"}
            << converted(ConversionOutcome::WrongPassword);
        QTest::newRow("conversion of a scan, recognised")
            << "conversion" << QStringLiteral("c02-22.pdf") << true << QStringList{"yes"}
            << QStringList{"scan"} << converted(ConversionOutcome::Done);
        QTest::newRow("conversion of a scan, not recognised")
            << "conversion" << QStringLiteral("c02-22.pdf") << true << QStringList{No}
            << QStringList{"scan"} << converted(ConversionOutcome::Unreadable);
    }

    void answered()
    {
        REQUIRE_CORPUS();
        QFETCH(QString, job);
        QFETCH(QString, file);
        QFETCH(bool, listening);
        QFETCH(QStringList, answers);
        QFETCH(QStringList, asked);
        QFETCH(int, outcome);
        const QString temp = test::freshScratch();
        Answerer answerer{answers, {}};
        int ended = -1;
        QString password;
        if (job == "extraction") {
            ExtractionRequest request;
            request.pdfPath = test::corpusFile(file);
            ExtractionJob extraction(request);
            if (listening)
                answerer.listenTo(extraction);
            if (const auto result = test::runToEnd(extraction).result)
                ended = int(result->outcome);
            password = extraction.request().password;
        } else {
            ConversionRequest request;
            request.sourcePdf = test::corpusFile(file);
            request.outputPath = temp + QStringLiteral("/../out.mp3");
            request.voice.rate = 10;
            ConversionJob conversion(request);
            answerer.listenTo(conversion);
            if (const auto result = test::runToEnd(conversion, 300000).result)
                ended = int(result->outcome);
            password = conversion.request().password;
        }
        QCOMPARE(answerer.asked, asked);
        QCOMPARE(ended, outcome);
        // The job keeps the password last tried, for the later steps and for the front end.
        const QStringList passwords = answers.filter(QRegularExpression("^(?!<no>|yes)"));
        QCOMPARE(password, passwords.value(passwords.size() - 1));
    }
};

QTEST_GUILESS_MAIN(TestJobQuestions)
#include "test_job_questions.moc"
