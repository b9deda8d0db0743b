// A PDF is read while later ranges of its pages are still being converted: every sentence once
// and whole across range boundaries, scanned ranges passed over, one password prompt, and
// nothing left running or lying in {TEMP} when the reading is stopped or the window closed.

#include "core/base/program_folder.h"
#include "core/files/file_utils.h"
#include "core/files/temp_folder.h"
#include "core/reading/reading_session.h"
#include "core/text/spoken_piece.h"
#include "gui/main_window.h"
#include "support/drawn_pdf.h"
#include "support/fake_engine.h"
#include "support/layout_speech.h"
#include "support/process_info.h"
#include "support/scripted_dialogs.h"
#include "support/sink_recorder.h"
#include "support/test_env.h"
#include "support/window_fixture.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QtTest>

#include <unistd.h>

using namespace lectorix;
using namespace std::chrono_literals;

namespace {

const QStringList Names{"alfa",   "bravo",   "charlie", "delta",  "echo",   "foxtrot", "golf",
                        "hotel",  "india",   "juliett", "kilo",   "lima",   "mike",    "november",
                        "oscar",  "papa",    "quebec",  "romeo",  "sierra", "tango",   "uniform",
                        "victor", "whiskey", "xray",    "yankee", "zulu"};

using test::Pages;
using test::writePdf;

QString sentence(int page)
{
    return QStringLiteral("Sentence %1 names %2.").arg(page).arg(Names.at(page - 1));
}

// Twenty-five pages of one sentence each, but for the sentence that runs from page 10, the end
// of the first range converted, onto page 11.
Pages bookAcrossRanges()
{
    Pages pages;
    for (int page = 1; page <= 25; ++page)
        pages.append({sentence(page)});
    pages[9] =
        QStringList{QStringLiteral("Sentence 10 names juliett and runs over the edge of the")};
    pages[10] = QStringList{QStringLiteral("page into the next one without a break.")};
    return pages;
}

// What a reading of the whole document at once gives the voice.
QStringList expectedSpeech(const QString& pdf)
{
    return test::pdfVoiceTexts(pdf);
}

QStringList readingFolders(const QString& temp)
{
    return QDir(temp).entryList({QStringLiteral("reading-*")}, QDir::Dirs);
}

} // namespace

class TestProgressiveReading : public QObject
{
    Q_OBJECT

    QString m_temp;
    QString m_docs;

    ReadingRequest pdfRequest(const QString& pdf)
    {
        ReadingRequest request;
        request.fromPdf = true;
        request.pdfPath = pdf;
        return request;
    }

private slots:
    void init()
    {
        m_temp = test::freshScratch();
        // The converter's launcher, as the window writes it at start-up.
        writeFileIfMissing(customResource(101), tempPath(QStringLiteral("pdftotext")), true);
        m_docs = QFileInfo(m_temp).absolutePath() + QStringLiteral("/docs");
        for (const char* tool : {"pdftotext", "qpdf"})
            if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
                QSKIP("pdftotext and qpdf are needed");
    }

    // Every sentence is given to the voice once, in order, the one across the first range's
    // end whole, exactly as when the whole document is prepared at once.
    void sentencesCrossRanges()
    {
        const QString pdf = writePdf(m_docs + QStringLiteral("/book.pdf"), bookAcrossRanges());
        test::FakeEngine engine;
        ReadingSession session;
        session.start(pdfRequest(pdf));
        QTRY_COMPARE_WITH_TIMEOUT(session.state(), ReadingState::Idle, 60000);
        const QStringList expected = expectedSpeech(pdf);
        QCOMPARE(expected.size(), 24);
        QVERIFY(expected.contains(QStringLiteral(
            "Sentence 10 names juliett and runs over the edge of the page into the next one "
            "without a break.")));
        QCOMPARE(engine.queued(), expected);
        QCOMPARE(readingFolders(m_temp), QStringList());
    }

    // A first range of scanned pages is passed over and the text after it read; a document
    // that is scanned throughout ends quietly without a voice.
    void scannedRanges()
    {
        Pages pages(12);
        pages.append({sentence(13)});
        pages.append({sentence(14)});
        const QString mixed = writePdf(m_docs + QStringLiteral("/mixed.pdf"), pages);
        const QString scanned = writePdf(m_docs + QStringLiteral("/scanned.pdf"), Pages(12));
        test::FakeEngine engine;
        ReadingSession session;
        session.start(pdfRequest(mixed));
        QTRY_COMPARE_WITH_TIMEOUT(session.state(), ReadingState::Idle, 60000);
        QCOMPARE(engine.queued(), (QStringList{sentence(13), sentence(14)}));

        engine.log.clear();
        session.start(pdfRequest(scanned));
        QTRY_COMPARE_WITH_TIMEOUT(session.state(), ReadingState::Idle, 60000);
        QCOMPARE(engine.log, QStringList());
        QCOMPARE(readingFolders(m_temp), QStringList());
    }

    // The window asks for the password once, and every range is opened with it.
    void passwordAskedOnce()
    {
        const QString plain = writePdf(m_docs + QStringLiteral("/plain.pdf"), bookAcrossRanges());
        const QString locked = m_docs + QStringLiteral("/locked.pdf");
        QCOMPARE(QProcess::execute(QStringLiteral("qpdf"),
                                   {QStringLiteral("--encrypt"), QStringLiteral("user pw"),
                                    QStringLiteral("owner pw"), QStringLiteral("256"),
                                    QStringLiteral("--"), plain, locked}),
                 0);
        test::ScriptedDialogs dialogs;
        test::FakeEngine engine;
        MainWindow form;
        form.documents().setUseTextBox(false);
        form.pdfPathEdit()->setText(locked);
        form.passwordPromptCheck()->setCheckState(Qt::Checked);
        dialogs.setNextInput(QStringLiteral("user pw"));
        form.readButton()->click();
        QVERIFY(test::waitUntilReadingEnds(form));
        QCOMPARE(dialogs.shown().size(), 1);
        QCOMPARE(engine.queued(), expectedSpeech(plain));
    }

    // Stopping, or closing the window, while later ranges are still being converted ends the
    // converter and removes the reading's working folder.
    void stopAndCloseEndTheConversion()
    {
        REQUIRE_CORPUS();
        const QString book = test::corpusFile(QStringLiteral("freeculture.pdf"));
        {
            test::FakeEngine engine;
            ReadingSession session;
            session.start(pdfRequest(book));
            QTRY_VERIFY_WITH_TIMEOUT(!engine.queued().isEmpty(), 30000);
            QVERIFY2(session.state() == ReadingState::Reading, "read to the end already");
            session.stop();
            QCOMPARE(test::livingChildNames(::getpid()), QStringList());
            QCOMPARE(readingFolders(m_temp), QStringList());
        }
        {
            test::ScriptedDialogs dialogs;
            test::FakeEngine engine;
            MainWindow form;
            form.documents().setUseTextBox(false);
            form.pdfPathEdit()->setText(book);
            form.readButton()->click();
            QTRY_VERIFY_WITH_TIMEOUT(!engine.queued().isEmpty(), 30000);
            QCOMPARE(form.readButton()->text(), QStringLiteral("Pause"));
            QVERIFY(form.close());
            QCOMPARE(test::livingChildNames(::getpid()), QStringList());
            QCOMPARE(readingFolders(m_temp), QStringList());
        }
    }

    // Heard end to end, a document read range by range sounds as long as its whole text read
    // in one piece.
    void heardEndToEnd()
    {
        NEED_SINK(rec);
        const QString pdf = writePdf(m_docs + QStringLiteral("/book.pdf"), bookAcrossRanges());
        auto heard = [&](const ReadingRequest& request) {
            ReadingSession session;
            const auto start = test::SinkRecorder::Clock::now();
            session.start(request);
            if (!QTest::qWaitFor([&] { return session.state() == ReadingState::Idle; }, 300000))
                return -1.0;
            const auto end = test::SinkRecorder::Clock::now();
            return std::chrono::duration<double>(rec->lastSound(start, end + 300ms, 20.0) -
                                                 rec->firstSound(start, end, 20.0))
                .count();
        };
        // Pauses would lengthen both readings alike; without them the test takes half as long.
        const SpeechPauses noPauses{0, 0, 0};
        ReadingRequest inRanges = pdfRequest(pdf);
        inRanges.voice.rate = 8;
        inRanges.pauses = noPauses;
        const double ranges = heard(inRanges);
        ReadingRequest whole;
        whole.text = expectedSpeech(pdf).join(QStringLiteral("\n\n"));
        whole.voice.rate = 8;
        whole.pauses = noPauses;
        const double onePiece = heard(whole);
        qInfo("in ranges %.2f s, in one piece %.2f s", ranges, onePiece);
        QVERIFY(onePiece > 5);
        QVERIFY2(qAbs(ranges - onePiece) < onePiece * 0.05,
                 qPrintable(QStringLiteral("%1 s against %2 s").arg(ranges).arg(onePiece)));
    }
};

QTEST_MAIN(TestProgressiveReading)
#include "test_progressive_reading.moc"
