#include "gui/control_handlers.h"
#include "gui/main_window.h"
#include "gui/globals.h"
#include "core/settings.h"
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
        row("PushButton3", "Form1", {120, 120, 7800, 405}, "Help");
        row("Frame3", "Form1", {120, 570, 7800, 800}, "PDF File");
        row("Text1", "Frame3", {240, 300, 6500, 345}, "", "PDF File");
        row("PushButton1", "Frame3", {6840, 300, 720, 345}, "...", "Choose PDF File");
        row("Frame7", "Form1", {120, 1420, 7800, 735}, "Option");
        row("Check1", "Frame7", {240, 300, 6015, 255},
            "Prompt for password because PDF files are password protected");
        row("Frame5", "Form1", {120, 2220, 7800, 4140}, "Text To Read");
        row("Text2", "Frame5", {240, 300, 7320, 2670}, "", "Text To Read");
        row("PushButton4", "Frame5", {240, 3105, 3600, 405}, "Load Text From Text File");
        row("PushButton5", "Frame5", {3960, 3105, 3600, 405}, "Save Text To Text File");
        row("PushButton6", "Frame5", {240, 3615, 3600, 405}, "Clear Text");
        row("PushButton7", "Frame5", {3960, 3615, 3600, 405}, "Load Sample/Example File");
        row("Frame1", "Form1", {8040, 30, 7800, 1110}, "Volume Control");
        row("Slider1", "Frame1", {60, 300, 7650, 315}, "", "Volume Control");
        row("lblVolume", "Frame1", {705, 675, 6315, 330}, "");
        row("Label3", "Frame1", {7170, 720, 405, 225}, "Max.");
        row("Label2", "Frame1", {150, 720, 375, 195}, "Min.");
        row("Frame4", "Form1", {8040, 1200, 7800, 1110}, "Speed of Speech");
        row("Slider2", "Frame4", {180, 300, 5805, 315}, "", "Speed of Speech");
        row("PushButton14", "Frame4", {6120, 300, 1440, 345}, "Test Speed");
        row("lblSpeed", "Frame4", {900, 675, 4395, 330}, "");
        row("Label6", "Frame4", {225, 720, 615, 255}, "Slow");
        row("Label5", "Frame4", {5550, 720, 360, 225}, "Fast");
        row("Frame2", "Form1", {8040, 2370, 7800, 840}, "Voice Used");
        row("Combo1", "Frame2", {240, 300, 4200, 345}, "", "Voice Used");
        row("PushButton11", "Frame2", {4560, 300, 1440, 345}, "Refresh List");
        row("PushButton10", "Frame2", {6120, 300, 1440, 345}, "Add Voices");
        row("PushButton2", "Form1", {8040, 3330, 7800, 405}, "Start Reading");
        row("Frame6", "Form1", {8040, 3780, 7800, 2580}, "Save As MP3 File(s)");
        row("Frame8", "Frame6", {240, 210, 7320, 1815}, "Save Option");
        row("Option1", "Frame8", {240, 330, 3615, 255}, "Save results to this folder:");
        row("Frame9", "Frame8", {480, 510, 6600, 780}, "", "Output Folder");
        row("Text3", "Frame9", {240, 300, 5430, 345}, "", "Output Folder");
        row("PushButton9", "Frame9", {5880, 300, 600, 345}, "...", "Choose Output Folder");
        row("Option2", "Frame8", {240, 1410, 3615, 255}, "Save results in folder of original file");
        row("PushButton8", "Frame6", {240, 2070, 7320, 405}, "Save Audio As MP3");
    }
    void layout()
    {
        QFETCH(QString, name);
        QFETCH(QString, parent);
        QFETCH(QRect, twips);
        QFETCH(QString, caption);
        QFETCH(QString, accessible);
        Form1 form;
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
        Form1 form;
        QCOMPARE(form.size(), QSize(1064, 433));
        QCOMPARE(form.minimumSize(), form.maximumSize());
        QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(form.palette().color(QPalette::Window), QColor(Qt::white));
        const QStringList expected = {"Text2",        "PushButton3",  "Text1",        "PushButton1",
                                      "PushButton4",  "PushButton5",  "Slider1",      "Slider2",
                                      "Combo1",       "PushButton2",  "PushButton6",  "PushButton7",
                                      "PushButton8",  "PushButton10", "PushButton11", "Check1",
                                      "PushButton14", "Text3",        "PushButton9",  "Option2",
                                      "Option1"};
        QStringList chain;
        QWidget* w = form.Text2;
        do {
            if (expected.contains(w->objectName()) && !chain.contains(w->objectName()))
                chain << w->objectName();
            w = w->nextInFocusChain();
        } while (w != form.Text2);
        QCOMPARE(chain, expected);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QString png = QStringLiteral(LECTORIX_BUILD_DIR) + QStringLiteral("/Form1.png");
        QVERIFY(form.grab().save(png));
        QVERIFY(QFileInfo(png).size() > 1000);
    }

    void pointerFollowsTheMouse()
    {
        Form1 form;
        auto move = [&](QWidget* over) { pointerMoved(form, over); };
        move(form.PushButton1);
        QCOMPARE(form.mousePointer(), 99);
        move(form.Frame3);
        QCOMPARE(form.mousePointer(), 0);
        form.setMousePointer(11);
        move(form.Frame1);
        move(form.PushButton4);
        QCOMPARE(form.mousePointer(), 11);
        move(form.PushButton2); // the reading button shows the hand even over a busy window
        QCOMPARE(form.mousePointer(), 99);
        move(form.Frame5);
        QCOMPARE(form.mousePointer(), 0);
        // Mouse-move events of the controls reach the handler.
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto sendMove = [](QWidget* w) {
            QMouseEvent event(QEvent::MouseMove, QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)),
                              Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(w, &event);
        };
        sendMove(form.PushButton8);
        QCOMPARE(form.mousePointer(), 99);
        sendMove(form.Text2->viewport());
        QCOMPARE(form.mousePointer(), 0);
        sendMove(form.PushButton14); // no pointer handler of its own
        QCOMPARE(form.mousePointer(), 0);
    }

    void storingHandlers()
    {
        Form1 form;
        form.show();
        form.Option1->setChecked(true);
        form.Option2->click();
        QCOMPARE(ReadSetting("Option1", QString()), QStringLiteral("False"));
        QCOMPARE(ReadSetting("Option2", QString()), QStringLiteral("True"));
        QVERIFY(!form.Frame9->isEnabled());
        form.Option1->click();
        QCOMPARE(ReadSetting("Option1", QString()), QStringLiteral("True"));
        QCOMPARE(ReadSetting("Option2", QString()), QStringLiteral("False"));
        QVERIFY(form.Frame9->isEnabled());

        QTest::keyClicks(form.Text3, QStringLiteral("/srv/a"));
        QCOMPARE(ReadSetting("Text3", QString()), QStringLiteral("/srv/a"));
        form.Text1->setText(QStringLiteral("/x/y.pdf"));
        QCOMPARE(ReadSetting("Text1", QString()), QStringLiteral("/x/y.pdf"));
        form.Check1->click();
        QCOMPARE(ReadSetting("Check1", QString()), QStringLiteral("1"));
        form.Check1->click();
        QCOMPARE(ReadSetting("Check1", QString()), QStringLiteral("0"));

        form.PushButton2->setText(QStringLiteral("Pause"));
        form.Text2->clear();
        QCOMPARE(form.PushButton2->text(), QStringLiteral("Start Reading"));
    }

    void leavingTheTextBoxMakesItTheSource()
    {
        Form1 form;
        form.show();
        QApplication::setActiveWindow(&form);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        globals().UseTextBox = false;
        form.Text2->setFocus();
        QTRY_VERIFY(form.Text2->hasFocus());
        QVERIFY(!globals().UseTextBox);
        form.PushButton3->setFocus(Qt::TabFocusReason);
        QVERIFY(globals().UseTextBox);
    }
};

QTEST_MAIN(TestWindow)
#include "test_window.moc"
