// Reading the text box aloud: the caption as the reading state, the pieces handed to the
// engine, the error report's lines, and re-entry through the button while a reading waits.

#include "gui/main_window.h"
#include "gui/globals.h"
#include "core/event_pump.h"
#include "gui/read_aloud.h"
#include "support/fake_engine.h"
#include "support/scripted_dialogs.h"
#include "support/test_env.h"
#include "test_read_aloud_held.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QtTest>

using namespace lectorix;

namespace {

QList<int> reportedLines(const test::ScriptedDialogs& dialogs, const QString& tag)
{
    QList<int> lines;
    for (const auto& shown : dialogs.messages()) {
        if (shown.title != QStringLiteral("Application Error"))
            continue;
        if (!shown.text.contains(QStringLiteral("in Lectorix2021/08/31.") + tag + " at line "))
            continue;
        lines << shown.text.mid(shown.text.indexOf(QStringLiteral(" at line ")) + 9, 3).toInt();
    }
    return lines;
}

QString caption(const Form1& form)
{
    return form.PushButton2->text();
}

} // namespace

class TestReadAloud : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        test::freshScratch();
        globals().UseTextBox = true;
    }

    void splitTextBySize_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("size");
        QTest::addColumn<QList<int>>("pieces");
        QTest::newRow("empty") << 0 << 100000 << QList<int>{0};
        QTest::newRow("49,999") << 49999 << 100000 << QList<int>{49999};
        QTest::newRow("50,000 half rounds to even") << 50000 << 100000 << QList<int>{50000, 0};
        QTest::newRow("100,000") << 100000 << 100000 << QList<int>{100000, 0};
        QTest::newRow("150,000 half rounds to even")
            << 150000 << 100000 << QList<int>{100000, 50000};
        QTest::newRow("150,001") << 150001 << 100000 << QList<int>{100000, 50001, 0};
        QTest::newRow("350,000") << 350000 << 100000 << QList<int>{100000, 100000, 100000, 50000};
        QTest::newRow("5 by 2") << 5 << 2 << QList<int>{2, 2, 1, 0};
        QTest::newRow("3 by 2") << 3 << 2 << QList<int>{2, 1};
        QTest::newRow("size 1") << 4 << 1 << QList<int>{1, 1, 1, 1, 0};
    }
    void splitTextBySize()
    {
        QFETCH(int, length);
        QFETCH(int, size);
        QFETCH(QList<int>, pieces);
        QString text;
        for (int i = 0; i < length; ++i)
            text += QChar(u'a' + i % 26);
        const QStringList got = SplitTextBySize(text, size);
        QList<int> lengths;
        for (const QString& piece : got)
            lengths << int(piece.size());
        QCOMPARE(lengths, pieces);
        QCOMPARE(got.join(QString()), text);
    }

    void splitCountsCharactersNotHalves()
    {
        const QString face = QString::fromUtf8("\xF0\x9F\x98\x80"); // one character, two halves
        const QString text = face + "a" + face + face + "b";        // 5 characters
        const QStringList got = SplitTextBySize(text, 2);           // 5/2+1 = 3.5 -> 4
        QCOMPARE(got, (QStringList{face + "a", face + face, "b", ""}));
    }

    void splitRefusesPieceSizesBelowOne()
    {
        QVERIFY_THROWS_EXCEPTION(Failure, SplitTextBySize(QStringLiteral("abc"), 0));
        QVERIFY_THROWS_EXCEPTION(Failure, SplitTextBySize(QStringLiteral("abc"), -5));
    }

    // The text box is read whatever the PDF box holds.
    void readsTheTextBox_data()
    {
        QTest::addColumn<QString>("pdfBox");
        QTest::newRow("empty PDF box") << QString();
        QTest::newRow("missing PDF") << QStringLiteral("/nowhere/gone.pdf");
        QTest::newRow("folder") << QDir::tempPath();
        QTest::newRow("existing PDF") << test::corpusFile(QStringLiteral("multicolumn.pdf"));
    }
    void readsTheTextBox()
    {
        QFETCH(QString, pdfBox);
        test::ScriptedDialogs dialogs;
        test::FakeEngine engine;
        Form1 form;
        form.Combo1->addItems({"Voice 1", "Voice 2", "Voice 3"});
        form.Combo1->setCurrentIndex(1);
        form.Slider1->setValue(80);
        form.Slider2->setValue(-4);
        form.Text1->setText(pdfBox);
        form.Text2->setPlainText(QStringLiteral("Hello there.\nSecond line."));
        QStringList during;
        engine.onSpeak = [&](const QString&) {
            during << caption(form) + QStringLiteral(" / %1").arg(form.mousePointer());
        };
        engine.log.clear();

        form.PushButton2->click();

        QCOMPARE(engine.log.mid(0, 4), (QStringList{"voice1 created", "voice1 setVoice v2",
                                                    "voice1 volume 80", "voice1 rate -4"}));
        QCOMPARE(engine.queued(), QStringList{"Hello there.\nSecond line."});
        QCOMPARE(during, QStringList{"Pause / 11"});
        QCOMPARE(caption(form), QStringLiteral("Start Reading"));
        QCOMPARE(form.mousePointer(), 0);
        QVERIFY(dialogs.shown().isEmpty());
    }

    void emptyTextBoxEndsAtOnce()
    {
        test::ScriptedDialogs dialogs;
        test::FakeEngine engine;
        Form1 form;
        form.Text2->clear();
        form.PushButton2->click();
        QVERIFY(engine.log.isEmpty()); // no voice made
        QCOMPARE(caption(form), QStringLiteral("Start Reading"));
        QCOMPARE(form.mousePointer(), 0);
        QVERIFY(dialogs.shown().isEmpty());
    }

    void longTextIsQueuedInPieces()
    {
        test::ScriptedDialogs dialogs;
        test::FakeEngine engine;
        Form1 form;
        form.Text2->setPlainText(QString(150001, QLatin1Char('x')));
        form.PushButton2->click();
        const QStringList texts = engine.queued();
        QCOMPARE(texts.size(), 3);
        QCOMPARE(texts[0].size(), 100000);
        QCOMPARE(texts[1].size(), 50001);
        QCOMPARE(texts[2], QString());
    }

    // Each failing step is reported with its line and the reading goes on with the next;
    // a failed queuing step ends the queuing, so a long text gives one report, not one a piece.
    void failuresAreReportedAtTheirLine_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<int>("length"); // of the text box's text, 0 for a few words
        QTest::addColumn<QString>("startCaption");
        QTest::addColumn<QList<int>>("lines");
        QTest::addColumn<QString>("endCaption");
        QTest::addColumn<int>("queuedCount");
        QTest::newRow("no voice can be made")
            << "failCreateVoice" << 0 << "Start Reading" << QList<int>{124, 130, 132, 140}
            << "Start Reading" << 0;
        QTest::newRow("no voice can be made, three pieces")
            << "failCreateVoice" << 250000 << "Start Reading" << QList<int>{124, 130, 132, 140}
            << "Start Reading" << 0;
        QTest::newRow("voice list outgrew the engine")
            << "fewerVoices" << 0 << "Start Reading" << QList<int>{128} << "Start Reading" << 1;
        QTest::newRow("speaking fails")
            << "failSpeak" << 0 << "Start Reading" << QList<int>{140} << "Start Reading" << 1;
        QTest::newRow("speaking fails, three pieces")
            << "failSpeak" << 250000 << "Start Reading" << QList<int>{140} << "Start Reading" << 1;
        QTest::newRow("pause before any voice")
            << "" << 0 << "Pause" << QList<int>{242} << "Resume" << 0;
        QTest::newRow("resume before any voice")
            << "" << 0 << "Resume" << QList<int>{106} << "Pause" << 0;
    }
    void failuresAreReportedAtTheirLine()
    {
        QFETCH(QString, setup);
        QFETCH(int, length);
        QFETCH(QString, startCaption);
        QFETCH(QList<int>, lines);
        QFETCH(QString, endCaption);
        QFETCH(int, queuedCount);
        test::ScriptedDialogs dialogs;
        test::FakeEngine engine;
        Form1 form;
        form.Combo1->addItems({"Voice 1", "Voice 2", "Voice 3"});
        form.Combo1->setCurrentIndex(setup == "fewerVoices" ? 2 : -1);
        if (setup == "fewerVoices")
            engine.setVoices(2);
        if (setup == "failCreateVoice")
            engine.failCreateVoice = QStringLiteral("Class not registered");
        if (setup == "failSpeak")
            engine.failSpeak = QStringLiteral("Connection refused");
        form.Text2->setPlainText(length > 0 ? QString(length, QLatin1Char('a'))
                                            : QStringLiteral("Some words."));
        form.PushButton2->setText(startCaption);

        form.PushButton2->click();

        QCOMPARE(reportedLines(dialogs, "Speak.SpeakLoud"), lines);
        QCOMPARE(caption(form), endCaption);
        QCOMPARE(int(engine.queued().size()), queuedCount);
        if (setup == "failCreateVoice")
            QVERIFY(dialogs.messageTexts().first().startsWith("Class not registered\r\n"));
        if (endCaption == QStringLiteral("Start Reading"))
            QCOMPARE(form.mousePointer(), 0);
    }

    // The first call waits while paused; presses in the meantime pause and resume it.
    void pauseAndResumeWhileTheFirstCallWaits()
    {
        test::ScriptedDialogs dialogs;
        test::HeldEngine engine;
        Form1 form;
        form.Text2->setPlainText(QStringLiteral("Words to read."));
        QStringList seen;
        bool returned = false;
        auto at = [&](int ms, std::function<void()> step) { QTimer::singleShot(ms, &form, step); };
        at(50, [&] {
            seen << caption(form) + QStringLiteral(" / %1").arg(form.mousePointer());
            form.PushButton2->click();
            seen << caption(form);
        });
        at(100, [&] { engine.finished = true; }); // all heard but the paused rest
        at(300, [&] {
            seen << (returned ? "returned" : "waiting") << caption(form);
            form.PushButton2->click();
            seen << caption(form);
        });
        at(5000, [&] { events::setProgramEnding(true); }); // never hang the test run

        form.PushButton2->click();
        returned = true;
        const bool ranOut = events::programEnding();
        events::setProgramEnding(false);

        QVERIFY(!ranOut);
        QCOMPARE(seen, (QStringList{"Pause / 11", "Resume", "waiting", "Resume", "Pause"}));
        QCOMPARE(engine.log, (QStringList{"voice1 created", "voice1 speak Words to read.",
                                          "voice1 pause", "voice1 resume"}));
        QCOMPARE(caption(form), QStringLiteral("Start Reading"));
        QCOMPARE(form.mousePointer(), 0);
        QVERIFY(dialogs.shown().isEmpty());
    }

    // Editing the text resets the caption; the next press starts a new reading with a new
    // voice while the first call keeps waiting, now on that voice.
    void newReadingWhileTheFirstCallWaits()
    {
        test::ScriptedDialogs dialogs;
        test::HeldEngine engine;
        Form1 form;
        form.Text2->setPlainText(QStringLiteral("First text."));
        QStringList seen;
        auto at = [&](int ms, std::function<void()> step) { QTimer::singleShot(ms, &form, step); };
        at(50, [&] {
            form.Text2->setPlainText(QStringLiteral("Second text."));
            seen << caption(form);
            form.PushButton2->click(); // waits inside until the engine is done
            seen << caption(form);
        });
        at(150, [&] { seen << caption(form) << QString::number(engine.alive); });
        at(250, [&] { engine.finished = true; });
        at(5000, [&] { events::setProgramEnding(true); });

        form.PushButton2->click();
        const bool ranOut = events::programEnding();
        events::setProgramEnding(false);

        QVERIFY(!ranOut);
        QCOMPARE(seen, (QStringList{"Start Reading", "Pause", "1", "Start Reading"}));
        QCOMPARE(engine.log,
                 (QStringList{"voice1 created", "voice1 speak First text.", "voice2 created",
                              "voice1 destroyed", "voice2 speak Second text."}));
        QCOMPARE(caption(form), QStringLiteral("Start Reading"));
        QCOMPARE(form.mousePointer(), 0);
    }

    // A press that lands while the first text is still being queued: the new text is read,
    // and the rest of the first never follows it.
    void newReadingWhileTheFirstIsQueued()
    {
        test::ScriptedDialogs dialogs;
        test::HeldEngine engine;
        engine.finished = true;
        Form1 form;
        form.Text2->setPlainText(QString(250000, QLatin1Char('a'))); // three pieces
        QTimer::singleShot(0, &form, [&] {
            form.Text2->setPlainText(QStringLiteral("Second text."));
            form.PushButton2->click();
        });

        form.PushButton2->click();

        QCOMPARE(engine.log.filter(" speak ").size(), 1);
        QCOMPARE(engine.log.filter(" speak ").first(), QStringLiteral("voice2 speak Second text."));
        QCOMPARE(caption(form), QStringLiteral("Start Reading"));
        QVERIFY(dialogs.shown().isEmpty());
    }

    // Closing the window ends the waiting call at once, with no report about the voice it
    // released.
    void closingTheWindowEndsTheWait()
    {
        test::ScriptedDialogs dialogs;
        test::HeldEngine engine;
        int exitCode = -1;
        Form1::setEndProgram([&](int code) { exitCode = code; });
        Form1 form;
        form.show();
        form.Text2->setPlainText(QStringLiteral("A line of words to read.\n").repeated(10000));
        QTimer::singleShot(50, &form, [&] { form.close(); });

        form.PushButton2->click();
        const bool ending = events::programEnding();
        events::setProgramEnding(false);

        QVERIFY(ending);
        QCOMPARE(exitCode, 0);
        QVERIFY(!engine.finished);
        QVERIFY(!globals().ReadingVoice);
        QCOMPARE(engine.alive, 0);
        QVERIFY(dialogs.shown().isEmpty());
    }
};

QTEST_MAIN(TestReadAloud)
#include "test_read_aloud.moc"
