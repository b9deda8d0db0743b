// Reading a PDF from its pages' layout: the voice is given a sentence at a time, a heading on
// its own, with the pause each needs after it, and every utterance is announced at its place
// in the text the text box shows; read verbatim, the lines as they stand (the last page's form
// feed too), without pauses.

#include "core/pdf/page_layout.h"
#include "core/reading/reading_session.h"
#include "core/text/speech_pauses.h"
#include "support/drawn_pdf.h"
#include "support/fake_engine.h"
#include "support/test_env.h"

#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

using namespace lectorix;
using test::DrawnText;

namespace {

// Two pages: a heading in large type, two paragraphs (the second starting on an indented
// line), and a page number at each foot.
QList<DrawnText> storyTexts()
{
    QList<DrawnText> texts{
        {0, 50, 75, 18, QStringLiteral("Chapter One")},
        {0, 50, 100, 11, QStringLiteral("The keeper climbed the tower at dusk. He lit")},
        {0, 50, 114, 11, QStringLiteral("the lamp and sat down to wait for the boat.")},
        {0, 65, 128, 11, QStringLiteral("Nobody came that night. The sea was calm")},
        {0, 50, 142, 11, QStringLiteral("and the sky was clear.")},
        {0, 205, 570, 9, QStringLiteral("1")},
        {1, 50, 100, 11, QStringLiteral("In the morning he slept until noon.")},
        {1, 205, 570, 9, QStringLiteral("2")},
    };
    return texts;
}

// The text the text box shows for the PDF: its layout's plain text.
QString boxText(const QString& pdf)
{
    QProcess converter;
    converter.start(QStringLiteral("pdftotext"),
                    {QStringLiteral("-bbox-layout"), pdf, QStringLiteral("-")});
    converter.waitForFinished(60000);
    QList<LayoutPage> pages = readBoundingBoxLayout(converter.readAllStandardOutput(), 1).pages;
    return layoutText(pages);
}

QString simplified(QString text)
{
    return text.replace(QLatin1Char('\n'), QLatin1Char(' ')).simplified();
}

} // namespace

class TestReadingLayout : public QObject
{
    Q_OBJECT

    QString m_pdf;

private slots:
    void initTestCase() { test::ignoreBrokenPipes(); }
    void init()
    {
        m_pdf = test::freshScratch() + QStringLiteral("/story.pdf");
        QVERIFY(test::drawPdf(m_pdf, storyTexts()));
    }

    void readsFromLayout_data()
    {
        QTest::addColumn<bool>("verbatim");
        QTest::addColumn<QStringList>("utterances");
        QTest::addColumn<QList<int>>("silences");
        // The request's pauses, each told from the others.
        const int s = 111;
        const int p = 222;
        const int h = 333;
        const int own = speech::VoicesOwnPause;
        QTest::newRow("sentences, paragraphs and a heading")
            << false
            << QStringList{"Chapter One",
                           "The keeper climbed the tower at dusk.",
                           "He lit the lamp and sat down to wait for the boat.",
                           "Nobody came that night.",
                           "The sea was calm and the sky was clear.",
                           "In the morning he slept until noon."}
            << QList<int>{h, s, p, s, p, p};
        QTest::newRow("verbatim: the lines as they stand")
            << true
            << QStringList{"Chapter One",
                           "The keeper climbed the tower at dusk. He lit",
                           "the lamp and sat down to wait for the boat.",
                           "Nobody came that night. The sea was calm",
                           "and the sky was clear.",
                           "1",
                           "In the morning he slept until noon.",
                           "2",
                           ""}
            << QList<int>{own, own, own, own, own, own, own, own, own};
    }

    void readsFromLayout()
    {
        QFETCH(bool, verbatim);
        QFETCH(QStringList, utterances);
        QFETCH(QList<int>, silences);
        test::FakeEngine engine;
        ReadingSession session;
        QSignalSpy ranges(&session, &ReadingSession::spokenRange);
        QSignalSpy unreadable(&session, &ReadingSession::unreadablePages);
        ReadingRequest request;
        request.fromPdf = true;
        request.pdfPath = m_pdf;
        request.verbatim = verbatim;
        request.pauses = {111, 222, 333};
        session.start(request);
        QTRY_COMPARE_WITH_TIMEOUT(session.state(), ReadingState::Idle, 60000);

        QStringList spoken = engine.queued();
        for (QString& text : spoken)
            text = text.simplified();
        QCOMPARE(spoken, utterances);
        QCOMPARE(engine.silences, silences);
        QCOMPARE(unreadable.size(), 0);
        // Each utterance is announced where its words stand in the text box.
        const QString box = boxText(m_pdf);
        QCOMPARE(ranges.size(), utterances.size());
        for (qsizetype i = 0; i < ranges.size(); ++i) {
            const qsizetype start = ranges[i][0].value<qsizetype>();
            const qsizetype length = ranges[i][1].value<qsizetype>();
            QCOMPARE(simplified(box.mid(start, length)), utterances.at(i));
        }
    }
};

int main(int argc, char** argv)
{
    TestReadingLayout test;
    return test::runWithDrawing(&test, argc, argv);
}

#include "test_reading_layout.moc"
