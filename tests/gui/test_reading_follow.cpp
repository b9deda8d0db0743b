// Reading aloud that a person can follow and steer, in the real window with an engine held by
// the test: the reading button's accessible name and its announcements, the keyboard, reading
// a selection or from the cursor's sentence, the highlight and its scrolling, Stop from the
// keyboard and the context menu, and the place kept in a PDF.

#include "core/base/program_folder.h"
#include "core/files/file_utils.h"
#include "core/files/temp_folder.h"
#include "core/reading/reading_places.h"
#include "gui/main_window.h"
#include "gui/read_aloud.h"
#include "gui/reading_controller.h"
#include "gui/reading_highlight.h"
#include "support/held_engine.h"
#include "support/scripted_dialogs.h"
#include "support/test_env.h"
#include "support/window_fixture.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>
#include <QTextBlock>
#include <QTextCursor>
#include <QtTest>

using namespace lectorix;

namespace {

const QString Sentences = QStringLiteral(
    "The first sentence is short. The second one follows it. The third sentence is where the "
    "cursor goes. A fourth and last sentence ends the text.");

qsizetype at(const QString& part)
{
    return Sentences.indexOf(part);
}

QString accessibleName(QWidget* widget)
{
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
}

void setCursor(QPlainTextEdit* box, qsizetype position, qsizetype anchor = -1)
{
    QTextCursor cursor = box->textCursor();
    cursor.setPosition(int(anchor < 0 ? position : anchor));
    cursor.setPosition(int(position), QTextCursor::KeepAnchor);
    box->setTextCursor(cursor);
}

TextRange selectionOf(const QTextEdit::ExtraSelection& s)
{
    return {s.cursor.selectionStart(), s.cursor.selectionEnd() - s.cursor.selectionStart()};
}

} // namespace

class TestReadingFollow : public QObject
{
    Q_OBJECT

private slots:
    void init() { test::freshScratch(); }

    // The name screen readers read after each press is "Pause", "Resume", "Pause", whichever
    // way the button is pressed; Escape stops and names it "Start Reading".
    void nameFollowsTheCaption_data()
    {
        QTest::addColumn<QString>("press");
        QTest::newRow("mouse") << "click";
        QTest::newRow("Ctrl+R") << "ctrl+r";
        QTest::newRow("Enter on the focused button") << "enter";
        QTest::newRow("Space on the focused button") << "space";
    }
    void nameFollowsTheCaption()
    {
        QFETCH(QString, press);
        test::ScriptedDialogs dialogs;
        test::HeldEngine engine;
        MainWindow form;
        form.documents().setUseTextBox(true);
        form.textToReadEdit()->setPlainText(Sentences);
        form.show();
        QApplication::setActiveWindow(&form);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        auto pressOnce = [&] {
            if (press == QLatin1String("click")) {
                form.readButton()->click();
            } else if (press == QLatin1String("ctrl+r")) {
                QTest::keyClick(form.textToReadEdit(), Qt::Key_R, Qt::ControlModifier);
            } else {
                form.readButton()->setFocus();
                QTest::keyClick(form.readButton(),
                                press == QLatin1String("enter") ? Qt::Key_Return : Qt::Key_Space);
                QTest::qWait(200); // a keyboard press animates the click
            }
            return accessibleName(form.readButton());
        };

        QStringList names;
        for (int i = 0; i < 3; ++i)
            names << pressOnce();
        QCOMPARE(names, (QStringList{"Pause", "Resume", "Pause"}));
        QTest::keyClick(form.readButton(), Qt::Key_Escape);
        QCOMPARE(accessibleName(form.readButton()), QStringLiteral("Start Reading"));
        QCOMPARE(form.readButton()->text(), QStringLiteral("Start Reading"));
        QCOMPARE(form.readButton()->accessibleName(), QStringLiteral("Start Reading"));
        // The text is queued sentence by sentence, each with its pause.
        QStringList calls = engine.log.filter(QStringLiteral("voice1 "));
        calls.removeIf([](const QString& call) { return call.startsWith("voice1 speak "); });
        QCOMPARE(calls, (QStringList{"voice1 created", "voice1 pause", "voice1 resume",
                                     "voice1 destroyed"}));
        QCOMPARE(engine.spokenBy(QStringLiteral("voice1")).join(QLatin1Char(' ')), Sentences);
        QCOMPARE(form.reading().session()->state(), ReadingState::Idle);
        QVERIFY(dialogs.shown().isEmpty());
    }

    void keyboardAndLabels()
    {
        test::ScriptedDialogs dialogs;
        test::HeldEngine engine;
        MainWindow form;
        form.textToReadEdit()->setPlainText(Sentences);
        form.show();
        QApplication::setActiveWindow(&form);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        // Tab leaves the text box instead of typing a tab.
        form.textToReadEdit()->setFocus();
        QTest::keyClick(form.textToReadEdit(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), form.loadTextButton());
        QCOMPARE(form.textToReadEdit()->toPlainText(), Sentences);
        // The voice list is labelled "Voice Used" for screen readers that name it by its item.
        QAccessibleInterface* combo = QAccessible::queryAccessibleInterface(form.voiceCombo());
        QStringList labels;
        for (const auto& [label, relation] : combo->relations(QAccessible::Label))
            labels << label->text(QAccessible::Name);
        QVERIFY2(labels.contains(QStringLiteral("Voice Used")), qPrintable(labels.join('|')));
        // Labels whose text changes are named by it.
        form.volumeSlider()->setValue(37);
        QCOMPARE(accessibleName(form.volumeValueLabel()), form.volumeValueLabel()->text());
        QVERIFY(form.volumeValueLabel()->text().endsWith(QStringLiteral("37")));
        // Escape with nothing being read changes nothing.
        QTest::keyClick(form.textToReadEdit(), Qt::Key_Escape);
        QCOMPARE(form.readButton()->text(), QStringLiteral("Start Reading"));
        QVERIFY(engine.log.isEmpty());
    }

    // A selection is read on its own; otherwise from the start of the cursor's sentence; a
    // cursor at the very start or end reads everything.
    void startsWhereYouAre_data()
    {
        QTest::addColumn<qsizetype>("anchor");
        QTest::addColumn<qsizetype>("position");
        QTest::addColumn<QString>("read");
        const qsizetype second = at("The second");
        const qsizetype third = at("The third");
        const qsizetype fourth = at("A fourth");
        QTest::newRow("selection of the second sentence")
            << second << third - 1 << Sentences.mid(second, third - 1 - second);
        QTest::newRow("cursor inside the third sentence")
            << at("cursor") << at("cursor") << Sentences.mid(third);
        QTest::newRow("cursor right after the third sentence's full stop")
            << fourth - 1 << fourth - 1 << Sentences.mid(third);
        QTest::newRow("cursor at the very start") << qsizetype(0) << qsizetype(0) << Sentences;
        QTest::newRow("cursor at the very end")
            << Sentences.size() << Sentences.size() << Sentences;
    }
    void startsWhereYouAre()
    {
        QFETCH(qsizetype, anchor);
        QFETCH(qsizetype, position);
        QFETCH(QString, read);
        test::ScriptedDialogs dialogs;
        test::HeldEngine engine;
        MainWindow form;
        form.documents().setUseTextBox(true);
        form.textToReadEdit()->setPlainText(Sentences);
        setCursor(form.textToReadEdit(), position, anchor);
        form.readButton()->click();
        QCOMPARE(engine.spokenBy(QStringLiteral("voice1")).join(QLatin1Char(' ')), read);
        QCOMPARE(form.readButton()->text(), QStringLiteral("Pause"));
        QCOMPARE(form.reading().session()->request().textOffset, Sentences.indexOf(read));
    }

    // The word heard and its sentence are highlighted in text-box offsets, sentence after
    // sentence; editing the text ends the reading and the highlight.
    void highlightFollowsTheWords()
    {
        test::ScriptedDialogs dialogs;
        test::HeldEngine engine;
        MainWindow form;
        form.documents().setUseTextBox(true);
        form.textToReadEdit()->setPlainText(Sentences);
        setCursor(form.textToReadEdit(), at("cursor"));
        form.readButton()->click();
        const qsizetype third = at("The third");
        QSignalSpy words(form.reading().session(), &ReadingSession::spokenWord);

        auto highlighted = [&] {
            QStringList shown;
            for (const auto& s : form.textToReadEdit()->extraSelections()) {
                const TextRange r = selectionOf(s);
                shown << Sentences.mid(r.start, r.length);
            }
            return shown;
        };
        engine.word = {0, at("sentence is where") - third, 8};
        QTRY_COMPARE(highlighted(),
                     (QStringList{"The third sentence is where the cursor goes.", "sentence"}));
        QCOMPARE(words.last(), (QList<QVariant>{at("sentence is where"), qsizetype(8)}));
        engine.word = {0, at("fourth") - third, 6};
        QTRY_COMPARE(highlighted(),
                     (QStringList{"A fourth and last sentence ends the text.", "fourth"}));
        QCOMPARE(form.reading().highlight()->word(), (TextRange{at("fourth"), 6}));
        // The user's cursor is left where it was.
        QCOMPARE(form.textToReadEdit()->textCursor().position(), at("cursor"));

        form.textToReadEdit()->insertPlainText(QStringLiteral("x"));
        QVERIFY(form.textToReadEdit()->extraSelections().isEmpty());
        QCOMPARE(form.reading().session()->state(), ReadingState::Idle);
        QCOMPARE(form.readButton()->text(), QStringLiteral("Start Reading"));
    }

    // The box scrolls to the word heard, unless the user scrolled it within the last seconds.
    void scrollsUnlessTheUserScrolled()
    {
        test::ScriptedDialogs dialogs;
        test::HeldEngine engine;
        MainWindow form;
        form.documents().setUseTextBox(true);
        QString text;
        for (int i = 0; i < 300; ++i)
            text += QStringLiteral("Line %1 is a sentence.\n").arg(i, 3, 10, QLatin1Char('0'));
        form.textToReadEdit()->setPlainText(text);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto now = std::chrono::steady_clock::now();
        form.reading().highlight()->setClock([&] { return now; });
        form.readButton()->click();
        QScrollBar* bar = form.textToReadEdit()->verticalScrollBar();
        QCOMPARE(bar->value(), 0);
        auto inView = [&](const QString& part) {
            // One line per block here; the scroll bar counts lines and its page is what shows.
            const int line =
                form.textToReadEdit()->document()->findBlock(int(text.indexOf(part))).blockNumber();
            return line >= bar->value() && line < bar->value() + bar->pageStep();
        };
        QVERIFY(inView(QStringLiteral("Line 000")));
        QVERIFY(!inView(QStringLiteral("Line 250")));
        auto hear = [&](const QString& part) {
            engine.word = {0, text.indexOf(part), 4};
            QTRY_COMPARE(form.reading().highlight()->word().start, text.indexOf(part));
        };

        hear(QStringLiteral("Line 250"));
        QVERIFY(inView(QStringLiteral("Line 250")));
        bar->triggerAction(QAbstractSlider::SliderToMinimum); // the user looks at the top
        QCOMPARE(bar->value(), 0);
        now += std::chrono::seconds(2);
        hear(QStringLiteral("Line 260"));
        QCOMPARE(bar->value(), 0);
        now += std::chrono::seconds(3); // the respite is over
        hear(QStringLiteral("Line 270"));
        QVERIFY(inView(QStringLiteral("Line 270")));
    }

    // "Stop" in the text box's context menu ends the reading at once; the next press starts
    // afresh with a new voice.
    void stopFromTheContextMenu()
    {
        test::ScriptedDialogs dialogs;
        test::HeldEngine engine;
        MainWindow form;
        form.documents().setUseTextBox(true);
        form.textToReadEdit()->setPlainText(Sentences);
        auto stopAction = [&] {
            std::unique_ptr<QMenu> menu(form.reading().textBoxContextMenu());
            auto* stop = menu->findChild<QAction*>(QStringLiteral("stopReadingAction"));
            return std::make_pair(std::move(menu), stop);
        };
        {
            auto [menu, stop] = stopAction();
            QVERIFY(stop);
            QCOMPARE(stop->text(), QStringLiteral("Stop"));
            QVERIFY(!stop->isEnabled());
            QVERIFY(menu->actions().size() > 2); // the usual editing entries are there
        }
        form.readButton()->click();
        form.readButton()->click(); // paused: Stop works as well
        QCOMPARE(form.readButton()->text(), QStringLiteral("Resume"));
        {
            auto [menu, stop] = stopAction();
            QVERIFY(stop->isEnabled());
            stop->trigger();
        }
        QCOMPARE(form.readButton()->text(), QStringLiteral("Start Reading"));
        QCOMPARE(form.reading().session()->state(), ReadingState::Idle);
        QVERIFY(engine.log.contains(QStringLiteral("voice1 destroyed")));
        form.readButton()->click();
        QCOMPARE(engine.spokenBy(QStringLiteral("voice2")).join(QLatin1Char(' ')), Sentences);
        QCOMPARE(form.readButton()->text(), QStringLiteral("Pause"));
    }

    // A PDF reading stopped early keeps its place; the next reading of the unchanged document
    // offers to go on from there; one that goes to the end forgets it.
    void placeInAPdfRoundTrips()
    {
        const QString source = test::corpusFile(QStringLiteral("multicolumn.pdf"));
        REQUIRE_CORPUS();
        test::ScriptedDialogs dialogs;
        test::HeldEngine engine;
        writeFileIfMissing(customResource(101), tempPath(QStringLiteral("pdftotext")), true);
        const QString pdf = test::scratchFolder() + QStringLiteral("/docs/multicolumn.pdf");
        test::writeFile(pdf, test::readFile(source));
        MainWindow form;
        form.documents().setUseTextBox(false);
        form.pdfPathEdit()->setText(pdf);
        form.show();
        QApplication::setActiveWindow(&form);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QSignalSpy words(form.reading().session(), &ReadingSession::spokenWord);

        form.readButton()->click();
        QTRY_VERIFY(engine.spokenBy(QStringLiteral("voice1")).size() > 5);
        const QStringList lines = engine.spokenBy(QStringLiteral("voice1"));
        engine.word = {4, 3, 5};
        QTRY_COMPARE(words.size(), 1);
        const qsizetype place = words.last().at(0).value<qsizetype>();
        QVERIFY(place > lines[0].size());
        QTest::keyClick(form.textToReadEdit(), Qt::Key_Escape);
        QCOMPARE(form.readButton()->text(), QStringLiteral("Start Reading"));
        QCOMPARE(readingPlace(pdf), std::optional<qsizetype>(place));
        QVERIFY(dialogs.shown().isEmpty());

        // Cancel: nothing is read.
        engine.word = {};
        dialogs.setNextAnswer(Dialogs::Answer::Cancel);
        form.readButton()->click();
        // The question names the place (test_reading_source tests the name, and
        // test_reading_chapters its chapter from an outline).
        QCOMPARE(dialogs.messageTexts().size(), 1);
        // Its chapter is the heading it stopped under, the document having no outline.
        QVERIFY(dialogs.messageTexts()[0].startsWith("Continue in Abstract?\n\nPage 1: "));
        QCOMPARE(dialogs.messages().last().buttons, Dialogs::Buttons::YesNoCancel);
        QCOMPARE(form.readButton()->text(), QStringLiteral("Start Reading"));
        QVERIFY(!engine.log.contains(QStringLiteral("voice2 created")));

        // Yes: the reading starts at the line holding the place. Nothing begins, so the next
        // stop comes before anything was heard.
        engine.beginAtOnce = false;
        dialogs.setNextAnswer(Dialogs::Answer::Yes);
        form.readButton()->click();
        QTRY_VERIFY(!engine.spokenBy(QStringLiteral("voice2")).isEmpty());
        const QStringList queued = engine.spokenBy(QStringLiteral("voice2"));
        QCOMPARE(queued, lines.mid(4, queued.size()));
        // Stopped again before a word was heard: the place stays where it was.
        form.reading().stop();
        QCOMPARE(readingPlace(pdf), std::optional<qsizetype>(place));
        engine.beginAtOnce = true;

        // With the cursor moved in the text box nobody is asked.
        form.textToReadEdit()->setPlainText(QStringLiteral("Some text"));
        setCursor(form.textToReadEdit(), 4);
        dialogs.clear();
        form.readButton()->click();
        QTRY_VERIFY(!engine.spokenBy(QStringLiteral("voice3")).isEmpty());
        QVERIFY(dialogs.shown().isEmpty());
        QCOMPARE(engine.spokenBy(QStringLiteral("voice3")), lines);
        // Read to the end: the place is forgotten.
        engine.finished = true;
        QVERIFY(test::waitUntilReadingEnds(form));
        QCOMPARE(readingPlace(pdf), std::nullopt);
    }
};

QTEST_MAIN(TestReadingFollow)
#include "test_reading_follow.moc"
