// Steering a reading with the real engine, heard on the null sink of tools/with-audio.sh:
// Escape silences at once, a selected sentence is all that is heard, and the highlight walks
// through the sentences in the order they are heard.

#include "core/speech/speech_engine.h"
#include "gui/main_window.h"
#include "gui/reading_highlight.h"
#include "support/scripted_dialogs.h"
#include "support/sink_recorder.h"
#include "support/test_env.h"
#include "support/window_fixture.h"

#include <QAccessible>
#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTextCursor>
#include <QTimer>
#include <QtTest>

using namespace lectorix;
using namespace std::chrono_literals;
using Clock = test::SinkRecorder::Clock;

namespace {

const QStringList Sentences = {QStringLiteral("The morning train was late again."),
                               QStringLiteral("Nobody on the platform seemed surprised by it."),
                               QStringLiteral("A man in a grey coat read his newspaper twice."),
                               QStringLiteral("Then the bell rang and everyone looked up at once."),
                               QStringLiteral("The doors opened with a long and tired sigh.")};

constexpr double Loud = 100.0;
constexpr double Quiet = 20.0;

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// The start of the first 10 ms window in [from, to] louder than threshold; `to` if none.
Clock::time_point firstSound(test::SinkRecorder& rec, Clock::time_point from, Clock::time_point to,
                             double threshold)
{
    for (Clock::time_point t = from; t + 10ms <= to; t += 10ms) {
        if (rec.rms(t, t + 10ms) > threshold)
            return t;
    }
    return to;
}

} // namespace

class TestReadingFollowAudio : public QObject
{
    Q_OBJECT

    // How long the sound of a reading lasted, from its first to its last loud moment, and
    // whether anything was heard after the reading ended.
    struct Heard
    {
        double seconds = 0;
        bool afterTheEnd = false;
    };
    Heard readAndListen(test::SinkRecorder& rec, MainWindow& form)
    {
        const auto start = Clock::now();
        form.readButton()->click();
        if (!test::waitUntilReadingEnds(form))
            return {};
        const auto end = Clock::now();
        QTest::qWait(400);
        const auto first = firstSound(rec, start, end, Quiet);
        const auto last = rec.lastSound(start, end, Quiet);
        return {seconds(last - first), rec.lastSound(start, end + 300ms, Quiet) > end + 30ms};
    }

private slots:
    void initTestCase() { test::warmUpEngine(); }
    void init() { test::freshScratch(); }

    void escapeSilencesAtOnce()
    {
        NEED_SINK(rec);
        test::ScriptedDialogs dialogs;
        MainWindow form;
        test::readTextBoxAtFullVolume(form, Sentences.join(QLatin1Char(' ')).repeated(3));
        form.show();
        QApplication::setActiveWindow(&form);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        Clock::time_point stoppedAt;
        QString nameAfter;
        QTimer listen;
        connect(&listen, &QTimer::timeout, &form, [&] {
            if (rec->rmsSince(Clock::now() - 300ms) <= Loud)
                return;
            listen.stop();
            stoppedAt = Clock::now();
            QTest::keyClick(form.textToReadEdit(), Qt::Key_Escape);
            nameAfter =
                QAccessible::queryAccessibleInterface(form.readButton())->text(QAccessible::Name);
        });
        listen.start(100);
        form.readButton()->click();
        QVERIFY(test::waitUntilReadingEnds(form));
        QVERIFY2(stoppedAt != Clock::time_point{}, "nothing was heard");
        QTest::qWait(700);

        QCOMPARE(nameAfter, QStringLiteral("Start Reading"));
        QCOMPARE(form.readButton()->text(), QStringLiteral("Start Reading"));
        QVERIFY2(rec->rms(stoppedAt + 100ms, stoppedAt + 600ms) < Quiet, "heard after Escape");
        QVERIFY(!form.reading().session()->voice());
        QVERIFY(dialogs.shown().isEmpty());
    }

    // A sentence selected in the middle is the only thing heard: as long as that sentence read
    // on its own, and silence once the reading ends.
    void selectionIsReadAlone()
    {
        NEED_SINK(rec);
        test::ScriptedDialogs dialogs;
        MainWindow form;
        const QString text = Sentences.join(QLatin1Char(' '));
        const QString middle = Sentences[2];

        test::readTextBoxAtFullVolume(form, middle);
        const Heard alone = readAndListen(*rec, form);

        test::readTextBoxAtFullVolume(form, text);
        QTextCursor cursor = form.textToReadEdit()->textCursor();
        cursor.setPosition(int(text.indexOf(middle)));
        cursor.setPosition(int(text.indexOf(middle) + middle.size()), QTextCursor::KeepAnchor);
        form.textToReadEdit()->setTextCursor(cursor);
        const Heard selection = readAndListen(*rec, form);

        test::readTextBoxAtFullVolume(form, text);
        const Heard whole = readAndListen(*rec, form);

        qInfo("alone %.2f s, selection %.2f s, whole text %.2f s", alone.seconds, selection.seconds,
              whole.seconds);
        QVERIFY2(alone.seconds > 1.0, "the sentence alone was not heard");
        QVERIFY2(!selection.afterTheEnd, "heard after the selection's reading ended");
        QVERIFY2(std::abs(selection.seconds - alone.seconds) <= 0.2 * alone.seconds,
                 "the selection's length differs from the sentence alone");
        QVERIFY2(whole.seconds > 3 * alone.seconds, "the whole text was not longer");
    }

    // With the cursor in the third sentence the highlight walks through the third, fourth and
    // fifth sentences, in order, each word of them inside it.
    void highlightWalksThroughTheSentences()
    {
        NEED_SINK(rec);
        test::ScriptedDialogs dialogs;
        MainWindow form;
        const QString text = Sentences.join(QLatin1Char(' '));
        test::readTextBoxAtFullVolume(form, text);
        QTextCursor cursor = form.textToReadEdit()->textCursor();
        cursor.setPosition(int(text.indexOf(QStringLiteral("grey"))));
        form.textToReadEdit()->setTextCursor(cursor);
        QStringList sentences;
        int words = 0;
        bool wordsInside = true;
        QTimer look;
        connect(&look, &QTimer::timeout, &form, [&] {
            const TextRange s = form.reading().highlight()->sentence();
            const TextRange w = form.reading().highlight()->word();
            if (s.length == 0)
                return;
            const QString shown = text.mid(s.start, s.length);
            if (sentences.isEmpty() || sentences.last() != shown)
                sentences << shown;
            if (w.length > 0) {
                ++words;
                wordsInside = wordsInside && w.start >= s.start && w.end() <= s.end();
            }
        });
        look.start(20);
        form.readButton()->click();
        QVERIFY(test::waitUntilReadingEnds(form));
        look.stop();

        QCOMPARE(sentences, Sentences.mid(2));
        QVERIFY2(words > 10, "words were not highlighted");
        QVERIFY(wordsInside);
        QVERIFY(form.textToReadEdit()->extraSelections().isEmpty()); // gone at the end
        QCOMPARE(form.textToReadEdit()->toPlainText(), text);
    }
};

QTEST_MAIN(TestReadingFollowAudio)
#include "test_reading_follow_audio.moc"
