#include "core/settings/settings.h"
#include "gui/control_handlers.h"
#include "gui/main_window.h"
#include "support/test_env.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace lectorix;

class TestWindow : public QObject
{
    Q_OBJECT

private slots:
    void init() { test::freshScratch(); }

    // Every control of the layout table: container, twips position, caption, accessible name.
    void layout_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QRect>("twips");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("accessible");
        auto row = [](const char* n, const char* p, QRect r, const char* c,
                      const char* a = nullptr) {
            QTest::newRow(n) << n << p << r << c << QString::fromUtf8(a ? a : c);
        };
        row("helpButton", "mainWindow", {120, 120, 7800, 405}, "Help");
        row("pdfFrame", "mainWindow", {120, 570, 7800, 800}, "PDF File");
        row("pdfPathEdit", "pdfFrame", {240, 300, 6500, 345}, "", "PDF File");
        row("choosePdfButton", "pdfFrame", {6840, 300, 720, 345}, "...", "Choose PDF File");
        row("optionFrame", "mainWindow", {120, 1420, 7800, 735}, "Option");
        row("passwordPromptCheck", "optionFrame", {240, 300, 6015, 255},
            "Prompt for password because PDF files are password protected");
        row("textFrame", "mainWindow", {120, 2220, 7800, 4140}, "Text To Read");
        row("textToReadEdit", "textFrame", {240, 300, 7320, 2670}, "", "Text To Read");
        row("loadTextButton", "textFrame", {240, 3105, 3600, 405}, "Load Text From Text File");
        row("saveTextButton", "textFrame", {3960, 3105, 3600, 405}, "Save Text To Text File");
        row("clearTextButton", "textFrame", {240, 3615, 3600, 405}, "Clear Text");
        row("loadSampleButton", "textFrame", {3960, 3615, 3600, 405}, "Load Sample/Example File");
        row("volumeFrame", "mainWindow", {8040, 30, 7800, 1110}, "Volume Control");
        row("volumeSlider", "volumeFrame", {60, 300, 7650, 315}, "", "Volume Control");
        row("volumeValueLabel", "volumeFrame", {705, 675, 6315, 330}, "");
        row("volumeMaxLabel", "volumeFrame", {7170, 720, 405, 225}, "Max.");
        row("volumeMinLabel", "volumeFrame", {150, 720, 375, 195}, "Min.");
        row("speedFrame", "mainWindow", {8040, 1200, 7800, 1110}, "Speed of Speech");
        row("rateSlider", "speedFrame", {180, 300, 5805, 315}, "", "Speed of Speech");
        row("testSpeedButton", "speedFrame", {6120, 300, 1440, 345}, "Test Speed");
        row("speedValueLabel", "speedFrame", {900, 675, 4395, 330}, "");
        row("speedSlowLabel", "speedFrame", {225, 720, 615, 255}, "Slow");
        row("speedFastLabel", "speedFrame", {5550, 720, 360, 225}, "Fast");
        row("voiceFrame", "mainWindow", {8040, 2370, 7800, 840}, "Voice Used");
        row("voiceCombo", "voiceFrame", {240, 300, 4200, 345}, "", "Voice Used");
        row("refreshVoicesButton", "voiceFrame", {4560, 300, 1440, 345}, "Refresh List");
        row("addVoicesButton", "voiceFrame", {6120, 300, 1440, 345}, "Add Voices");
        row("readButton", "mainWindow", {8040, 3330, 7800, 405}, "Start Reading");
        row("mp3Frame", "mainWindow", {8040, 3780, 7800, 2580}, "Save As MP3 File(s)");
        row("saveOptionFrame", "mp3Frame", {240, 210, 7320, 1815}, "Save Option");
        row("saveToFolderOption", "saveOptionFrame", {240, 330, 3615, 255},
            "Save results to this folder:");
        row("outputFolderFrame", "saveOptionFrame", {480, 510, 6600, 780}, "", "Output Folder");
        row("outputFolderEdit", "outputFolderFrame", {240, 300, 5430, 345}, "", "Output Folder");
        row("chooseOutputFolderButton", "outputFolderFrame", {5880, 300, 600, 345}, "...",
            "Choose Output Folder");
        row("saveBesidePdfOption", "saveOptionFrame", {240, 1410, 3615, 255},
            "Save results in folder of original file");
        row("saveMp3Button", "mp3Frame", {240, 2070, 7320, 405}, "Save Audio As MP3");
    }
    void layout()
    {
        QFETCH(QString, name);
        QFETCH(QString, parent);
        QFETCH(QRect, twips);
        QFETCH(QString, caption);
        QFETCH(QString, accessible);
        MainWindow form;
        auto* control = form.findChild<QWidget*>(name);
        QVERIFY(control);
        QCOMPARE(control->parentWidget()->objectName(), parent);
        const QRect designed(twips.x() / 15, twips.y() / 15, twips.width() / 15,
                             twips.height() / 15);
        QCOMPARE(control->pos(), designed.topLeft());
        // Captions that would not fit the designed size grow it; nothing shrinks.
        QVERIFY(control->width() >= designed.width() && control->height() >= designed.height());
        QVERIFY2(control->parentWidget()->rect().contains(control->geometry()),
                 "sticks out of its container");
        QCOMPARE(control->accessibleName(), accessible);
        QString shown;
        if (auto* b = qobject_cast<QAbstractButton*>(control))
            shown = b->text();
        else if (auto* g = qobject_cast<QGroupBox*>(control))
            shown = g->title();
        else if (auto* l = qobject_cast<QLabel*>(control))
            shown = l->text();
        if (!qobject_cast<QLineEdit*>(control) && !qobject_cast<QPlainTextEdit*>(control))
            QCOMPARE(shown, caption);
        // Nothing clipped: the caption fits its control.
        if (!shown.isEmpty() && !qobject_cast<QGroupBox*>(control)) {
            const int textWidth = control->fontMetrics().horizontalAdvance(shown);
            const int room = qobject_cast<QLabel*>(control)        ? control->width()
                             : qobject_cast<QPushButton*>(control) ? control->width() - 4
                                                                   : control->width() - 16;
            QVERIFY2(textWidth <= room,
                     qPrintable(QStringLiteral("%1 > %2").arg(textWidth).arg(room)));
            QVERIFY(control->fontMetrics().height() <= control->height());
        }
        const QFont font = control->font();
        QCOMPARE(font.family(), QStringLiteral("Arial"));
        QVERIFY(font.bold());
        QCOMPARE(font.pointSizeF(), qobject_cast<QPushButton*>(control) ? 11.25 : 9.0);
    }

    void windowAndTabOrder()
    {
        MainWindow form;
        QCOMPARE(form.size(), QSize(1064, 433));
        QCOMPARE(form.minimumSize(), form.maximumSize());
        QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(form.palette().color(QPalette::Window), QColor(Qt::white));
        // Down the left column, then down the right one.
        const QStringList expected = {
            "textToReadEdit",      "loadTextButton",   "saveTextButton",
            "clearTextButton",     "loadSampleButton", "volumeSlider",
            "rateSlider",          "testSpeedButton",  "voiceCombo",
            "refreshVoicesButton", "addVoicesButton",  "readButton",
            "saveToFolderOption",  "outputFolderEdit", "chooseOutputFolderButton",
            "saveBesidePdfOption", "saveMp3Button",    "helpButton",
            "pdfPathEdit",         "choosePdfButton",  "passwordPromptCheck"};
        QStringList chain;
        QWidget* w = form.textToReadEdit;
        do {
            if (expected.contains(w->objectName()) && !chain.contains(w->objectName()))
                chain << w->objectName();
            w = w->nextInFocusChain();
        } while (w != form.textToReadEdit);
        QCOMPARE(chain, expected);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QString png = QStringLiteral(LECTORIX_BUILD_DIR) + QStringLiteral("/Form1.png");
        QVERIFY(form.grab().save(png));
        QVERIFY(QFileInfo(png).size() > 1000);
    }

    void pointerFollowsTheMouse()
    {
        MainWindow form;
        auto move = [&](QWidget* over) { pointerMoved(form, over); };
        move(form.choosePdfButton);
        QCOMPARE(form.mousePointer(), 99);
        move(form.pdfFrame);
        QCOMPARE(form.mousePointer(), 0);
        form.setMousePointer(11);
        move(form.volumeFrame);
        move(form.loadTextButton);
        QCOMPARE(form.mousePointer(), 11);
        move(form.readButton); // the reading button shows the hand even over a busy window
        QCOMPARE(form.mousePointer(), 99);
        move(form.textFrame);
        QCOMPARE(form.mousePointer(), 0);
        // Mouse-move events of the controls reach the handler.
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto sendMove = [](QWidget* w) {
            QMouseEvent event(QEvent::MouseMove, QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)),
                              Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(w, &event);
        };
        sendMove(form.saveMp3Button);
        QCOMPARE(form.mousePointer(), 99);
        sendMove(form.textToReadEdit->viewport());
        QCOMPARE(form.mousePointer(), 0);
        sendMove(form.testSpeedButton); // no pointer handler of its own
        QCOMPARE(form.mousePointer(), 0);
    }

    void storingHandlers()
    {
        MainWindow form;
        form.show();
        form.saveToFolderOption->setChecked(true);
        form.saveBesidePdfOption->click();
        QCOMPARE(readSetting("Option1", QString()), QStringLiteral("False"));
        QCOMPARE(readSetting("Option2", QString()), QStringLiteral("True"));
        QVERIFY(!form.outputFolderFrame->isEnabled());
        form.saveToFolderOption->click();
        QCOMPARE(readSetting("Option1", QString()), QStringLiteral("True"));
        QCOMPARE(readSetting("Option2", QString()), QStringLiteral("False"));
        QVERIFY(form.outputFolderFrame->isEnabled());

        QTest::keyClicks(form.outputFolderEdit, QStringLiteral("/srv/a"));
        QCOMPARE(readSetting("Text3", QString()), QStringLiteral("/srv/a"));
        form.pdfPathEdit->setText(QStringLiteral("/x/y.pdf"));
        QCOMPARE(readSetting("Text1", QString()), QStringLiteral("/x/y.pdf"));
        form.passwordPromptCheck->click();
        QCOMPARE(readSetting("Check1", QString()), QStringLiteral("1"));
        form.passwordPromptCheck->click();
        QCOMPARE(readSetting("Check1", QString()), QStringLiteral("0"));

        form.readButton->setText(QStringLiteral("Pause"));
        form.textToReadEdit->clear();
        QCOMPARE(form.readButton->text(), QStringLiteral("Start Reading"));
    }

    void leavingTheTextBoxMakesItTheSource()
    {
        MainWindow form;
        form.show();
        QApplication::setActiveWindow(&form);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.useTextBox = false;
        form.textToReadEdit->setFocus();
        QTRY_VERIFY(form.textToReadEdit->hasFocus());
        QVERIFY(!form.useTextBox);
        form.helpButton->setFocus(Qt::TabFocusReason);
        QVERIFY(form.useTextBox);
    }
};

QTEST_MAIN(TestWindow)
#include "test_window.moc"
