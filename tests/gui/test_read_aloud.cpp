// Reading the text box aloud: the caption as the reading state, the pieces handed to the
// engine, the error report's lines, and re-entry through the button while a reading waits.

#include "core/base/failure.h"
#include "core/settings/settings.h"
#include "core/settings/settings_keys.h"
#include "gui/main_window.h"
#include "gui/read_aloud.h"
#include "support/fake_engine.h"
#include "support/held_engine.h"
#include "support/scripted_dialogs.h"
#include "support/test_env.h"
#include "support/window_fixture.h"

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

QString caption(const MainWindow& form)
{
    return form.readButton()->text();
}

} // namespace

class TestReadAloud : public QObject
{
    Q_OBJECT

private slots:
    void init() { test::freshScratch(); }

    void splitsTextIntoPieces_data()
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
    void splitsTextIntoPieces()
    {
        QFETCH(int, length);
        QFETCH(int, size);
        QFETCH(QList<int>, pieces);
        QString text;
        for (int i = 0; i < length; ++i)
            text += QChar(u'a' + i % 26);
        const QStringList got = splitTextBySize(text, size);
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
        const QStringList got = splitTextBySize(text, 2);           // 5/2+1 = 3.5 -> 4
        QCOMPARE(got, (QStringList{face + "a", face + face, "b", ""}));
    }

    void splitRefusesPieceSizesBelowOne()
    {
        QVERIFY_THROWS_EXCEPTION(Failure, splitTextBySize(QStringLiteral("abc"), 0));
        QVERIFY_THROWS_EXCEPTION(Failure, splitTextBySize(QStringLiteral("abc"), -5));
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
        MainWindow form;
        form.documents().setUseTextBox(true);
        form.voiceCombo()->addItems({"Voice 1", "Voice 2", "Voice 3"});
        form.voiceCombo()->setCurrentIndex(1);
        form.volumeSlider()->setValue(80);
        form.rateSlider()->setValue(-4);
        form.pdfPathEdit()->setText(pdfBox);
        form.textToReadEdit()->setPlainText(QStringLiteral("Hello there.\nSecond line."));
        QStringList during;
        engine.onSpeak = [&](const QString&) {
            during << caption(form) + QStringLiteral(" / %1").arg(form.mousePointer());
        };
        engine.log.clear();

        form.readButton()->click();
        QVERIFY(test::waitUntilReadingEnds(form));

        QCOMPARE(engine.log.mid(0, 4), (QStringList{"voice1 created", "voice1 setVoice v2",
                                                    "voice1 volume 80", "voice1 rate -4"}));
        // Two short lines that each end a sentence are two paragraphs.
        QCOMPARE(engine.queued(), (QStringList{"Hello there.", "Second line."}));
        QCOMPARE(during, (QStringList{"Pause / 11", "Pause / 11"}));
        QCOMPARE(caption(form), QStringLiteral("Start Reading"));
        QCOMPARE(form.mousePointer(), 0);
        QVERIFY(dialogs.shown().isEmpty());
    }

    void emptyTextBoxEndsAtOnce()
    {
        test::ScriptedDialogs dialogs;
        test::FakeEngine engine;
        MainWindow form;
        form.documents().setUseTextBox(true);
        form.textToReadEdit()->clear();
        form.readButton()->click();
        QVERIFY(test::waitUntilReadingEnds(form));
        QVERIFY(engine.log.isEmpty()); // no voice made
        QCOMPARE(caption(form), QStringLiteral("Start Reading"));
        QCOMPARE(form.mousePointer(), 0);
        QVERIFY(dialogs.shown().isEmpty());
    }

    // Read verbatim, as the settings may ask, a long text goes to the voice in pieces of
    // 100,000 characters.
    void longTextIsQueuedInPieces()
    {
        writeSetting(keys::ReadVerbatim, QStringLiteral("True"));
        test::ScriptedDialogs dialogs;
        test::FakeEngine engine;
        MainWindow form;
        form.documents().setUseTextBox(true);
        form.textToReadEdit()->setPlainText(QString(150001, QLatin1Char('x')));
        form.readButton()->click();
        QVERIFY(test::waitUntilReadingEnds(form));
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
        MainWindow form;
        form.documents().setUseTextBox(true);
        form.voiceCombo()->addItems({"Voice 1", "Voice 2", "Voice 3"});
        form.voiceCombo()->setCurrentIndex(setup == "fewerVoices" ? 2 : -1);
        if (setup == "fewerVoices")
            engine.setVoices(2);
        if (setup == "failCreateVoice")
            engine.failCreateVoice = QStringLiteral("Class not registered");
        if (setup == "failSpeak")
            engine.failSpeak = QStringLiteral("Connection refused");
        form.textToReadEdit()->setPlainText(length > 0 ? QString(length, QLatin1Char('a'))
                                                       : QStringLiteral("Some words."));
        form.readButton()->setText(startCaption);

        form.readButton()->click();
        QVERIFY(test::waitUntilReadingEnds(form));

        QCOMPARE(dialogs.reportedLines("Speak.SpeakLoud"), lines);
        QCOMPARE(caption(form), endCaption);
        QCOMPARE(int(engine.queued().size()), queuedCount);
        if (setup == "failCreateVoice")
            QVERIFY(dialogs.messageTexts().first().startsWith("Class not registered\r\n"));
        if (endCaption == QStringLiteral("Start Reading"))
            QCOMPARE(form.mousePointer(), 0);
    }

    // Closing the window ends the waiting call at once, with no report about the voice it
    // released.
    void closingTheWindowEndsTheWait()
    {
        test::ScriptedDialogs dialogs;
        test::HeldEngine engine;
        MainWindow form;
        form.documents().setUseTextBox(true);
        form.show();
        form.textToReadEdit()->setPlainText(
            QStringLiteral("A line of words to read.\n").repeated(10000));
        QTimer::singleShot(50, &form, [&] { form.close(); });

        form.readButton()->click();
        QVERIFY(test::waitUntilReadingEnds(form));
        const bool ending = form.isClosing();

        QVERIFY(ending);
        QVERIFY(!form.isVisible());
        QVERIFY(!engine.finished);
        QVERIFY(!form.reading().session()->voice());
        QCOMPARE(engine.alive, 0);
        QVERIFY(dialogs.shown().isEmpty());
    }
};

QTEST_MAIN(TestReadAloud)
#include "test_read_aloud.moc"
