// The document feed: a drawn PDF comes range by range, in order, the last range bringing the
// document's end; typed text comes prepared whole; a feed cancelled or destroyed mid-document
// hands nothing more over and leaves no converter running; and its preparation runs on a
// thread other than the one that owns it.

#include "core/document/document_feed.h"
#include "support/drawn_pdf.h"
#include "support/process_info.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace lectorix;

namespace {

const test::Pages Book{{"The keeper climbed the tower at dusk.", "He lit the lamp at once."},
                       {"Nobody came that night.", "The sea was calm and clear."},
                       {"In the morning he slept until noon.", "Then he walked home."}};

QStringList sentencesOf(const QList<SpokenPiece>& pieces)
{
    QStringList sentences;
    for (const SpokenPiece& piece : pieces)
        sentences << piece.text.simplified();
    return sentences;
}

enum class Stop { None, Cancel, Destroy };

} // namespace

class TestDocumentFeed : public QObject
{
    Q_OBJECT

private slots:
    void feedsInOrder_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("firstRange");
        QTest::addColumn<Stop>("stop");
        QTest::addColumn<int>("converted"); // ranges with text handed over
        QTest::addColumn<QStringList>("sentences");
        const QStringList all = Book[0] + Book[1] + Book[2];
        QTest::newRow("ranges of one page, then two") << QString() << 1 << Stop::None << 2 << all;
        QTest::newRow("the whole book in its first range")
            << QString() << 10 << Stop::None << 1 << all;
        QTest::newRow("cancelled after its first range")
            << QString() << 1 << Stop::Cancel << 1 << QStringList();
        QTest::newRow("destroyed after its first range")
            << QString() << 1 << Stop::Destroy << 1 << QStringList();
        QTest::newRow("typed text, whole")
            << QStringLiteral("One two three. Four five?\n\nSix.") << 0 << Stop::None << 0
            << QStringList{"One two three.", "Four five?", "Six."};
    }
    void feedsInOrder()
    {
        QFETCH(QString, typed);
        QFETCH(int, firstRange);
        QFETCH(Stop, stop);
        QFETCH(int, converted);
        QFETCH(QStringList, sentences);
        QTemporaryDir work;
        FeedRequest request;
        request.pdfPath = test::writePdf(work.filePath("book.pdf"), Book);
        request.workFolder = work.path();
        request.firstRangePages = firstRange;
        request.largestRangePages = 2;
        // The layout reading holds a few pages for the pages after them (their running lines are
        // not known yet): a feed stopped after its first page hands over none of its sentences.
        auto* feed = new DocumentFeed(request);
        QSignalSpy ranges(feed, &DocumentFeed::rangeReady);
        QSignalSpy prepared(feed, &DocumentFeed::documentPrepared);

        if (!typed.isEmpty()) {
            WholeDocument document;
            document.text = typed;
            feed->prepareWhole(document);
            QTRY_COMPARE(prepared.size(), 1);
            const auto done = prepared.first().first().value<PreparedDocument>();
            QVERIFY(!done.failure);
            QCOMPARE(sentencesOf(done.spoken.pieces), sentences);
            delete feed;
            return;
        }
        // Stopped as the first range is handed over, while the next is being converted.
        QObject::connect(feed, &DocumentFeed::rangeReady, feed, [feed, stop] {
            if (stop == Stop::Cancel)
                feed->cancel();
            else if (stop == Stop::Destroy)
                feed->deleteLater();
        });
        feed->start();
        if (stop != Stop::None) {
            QTRY_COMPARE_WITH_TIMEOUT(ranges.size(), 1, 20000);
            // Whatever was converted or prepared meanwhile is never handed over.
            QTest::qWait(1000);
            QTRY_VERIFY(test::livingChildNames(QCoreApplication::applicationPid()).isEmpty());
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(!feed->isRunning(), 20000);
        }
        QList<SpokenPiece> pieces;
        qsizetype end = 0;
        int withText = 0;
        for (qsizetype i = 0; i < ranges.size(); ++i) {
            const auto range = ranges.at(i).first().value<FedRange>();
            QCOMPARE(range.last, stop == Stop::None && i == ranges.size() - 1);
            if (range.converted) {
                ++withText;
                QCOMPARE(range.offset, end); // each range continues the text
                end += range.text.size();
            }
            for (const SpokenPiece& piece : range.pieces)
                QVERIFY(piece.sourceOffset >= 0 && piece.sourceOffset + piece.sourceLength <= end);
            pieces += range.pieces;
        }
        QCOMPARE(withText, converted);
        QCOMPARE(sentencesOf(pieces), sentences);
        if (stop != Stop::Destroy)
            delete feed;
    }

    // The text is read from a pipe this thread writes only once the feed reads it: prepared on
    // this thread, the reading could never begin.
    void preparesOffItsThread()
    {
        QTemporaryDir work;
        const QString pipe = work.filePath("text");
        QCOMPARE(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        DocumentFeed feed{FeedRequest()};
        QSignalSpy prepared(&feed, &DocumentFeed::documentPrepared);
        WholeDocument document;
        document.textPath = pipe;
        feed.prepareWhole(document);
        int writer = -1;
        for (int tries = 0; writer < 0 && tries < 1000; ++tries) {
            writer = ::open(QFile::encodeName(pipe).constData(), O_WRONLY | O_NONBLOCK);
            if (writer < 0)
                QThread::msleep(10); // no reader yet; this thread handles no event meanwhile
        }
        QVERIFY2(writer >= 0, "the feed never began reading the text beside this thread");
        const QByteArray text = "Read off the thread. Then handed back.";
        QCOMPARE(::write(writer, text.constData(), size_t(text.size())), text.size());
        ::close(writer);
        QTRY_COMPARE(prepared.size(), 1);
        const auto done = prepared.first().first().value<PreparedDocument>();
        QCOMPARE(sentencesOf(done.spoken.pieces),
                 (QStringList{"Read off the thread.", "Then handed back."}));
    }
};

int main(int argc, char** argv)
{
    TestDocumentFeed test;
    return test::runWithDrawing(&test, argc, argv);
}

#include "test_document_feed.moc"
