#include "core/settings/settings.h"
#include "gui/document_controller.h"
#include "gui/main_window.h"
#include "gui/window_layout.h"
#include "support/test_env.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStyle>
#include <QtTest>

using namespace lectorix;

class TestWindow : public QObject
{
    Q_OBJECT

private slots:
    void init() { test::freshScratch(); }

    // Every control of the layout table, as the window built it: container, position and
    // designed size, caption, accessible name, font, and a caption that fits.
    void layout_data()
    {
        QTest::addColumn<int>("row");
        const std::span<const ControlRow> rows = windowLayout();
        for (size_t i = 0; i < rows.size(); ++i)
            QTest::newRow(rows[i].name) << int(i);
    }
    void layout()
    {
        QFETCH(int, row);
        const ControlRow& designed = windowLayout()[size_t(row)];
        MainWindow form;
        auto* control = form.findChild<QWidget*>(QLatin1String(designed.name));
        QVERIFY(control);
        QCOMPARE(control->parentWidget()->objectName(), QLatin1String(designed.parent));
        const QRect pixels = pixelsFromTwips(designed.twips);
        QCOMPARE(control->pos(), pixels.topLeft());
        // Captions that would not fit the designed size grow it; nothing shrinks.
        QVERIFY(control->width() >= pixels.width() && control->height() >= pixels.height());
        QVERIFY2(control->parentWidget()->rect().contains(control->geometry()),
                 "sticks out of its container");
        QCOMPARE(control->accessibleName(), accessibleNameOf(designed));
        QCOMPARE(control->accessibleName().isEmpty(), designed.kind == ControlKind::ValueLabel);
        QString shown;
        if (auto* b = qobject_cast<QAbstractButton*>(control))
            shown = b->text();
        else if (auto* g = qobject_cast<QGroupBox*>(control))
            shown = g->title();
        else if (auto* l = qobject_cast<QLabel*>(control))
            shown = l->text();
        else if (auto* e = qobject_cast<QLineEdit*>(control))
            shown = e->text();
        else if (auto* t = qobject_cast<QPlainTextEdit*>(control))
            shown = t->toPlainText();
        QCOMPARE(shown, QString::fromUtf8(designed.caption));
        // Nothing clipped: the caption fits its control, a push button's with the style's
        // margins around it.
        const bool showsCaption =
            qobject_cast<QAbstractButton*>(control) || qobject_cast<QLabel*>(control);
        const QStyle* style = control->style();
        const int buttonMargins =
            2 * (style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, control) +
                 style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, control));
        if (showsCaption && !shown.isEmpty()) {
            const int textWidth = control->fontMetrics().horizontalAdvance(shown);
            const int room = qobject_cast<QLabel*>(control) ? control->width()
                             : qobject_cast<QPushButton*>(control)
                                 ? control->width() - buttonMargins
                                 : control->width() - 16;
            QVERIFY2(textWidth <= room,
                     qPrintable(QStringLiteral("%1 > %2").arg(textWidth).arg(room)));
            QVERIFY(control->fontMetrics().height() <= control->height());
        }
        const QFont font = control->font();
        QCOMPARE(font.family(), QStringLiteral("Arial"));
        QVERIFY(font.bold());
        // A push button's caption too wide for it in the designed type is set smaller; the
        // button keeps its size.
        if (qobject_cast<QPushButton*>(control)) {
            QFont designedFont = font;
            designedFont.setPointSizeF(11.25);
            const bool fitsDesigned =
                QFontMetrics(designedFont).horizontalAdvance(shown) + buttonMargins <=
                control->width();
            QCOMPARE(font.pointSizeF() == 11.25, fitsDesigned);
            QVERIFY(font.pointSizeF() >= 8);
        } else
            QCOMPARE(font.pointSizeF(), 9.0);
    }

    // The window shows the table's controls and no others.
    void everyControlIsInTheTable()
    {
        MainWindow form;
        QStringList designed;
        for (const ControlRow& row : windowLayout())
            designed << QString::fromUtf8(row.name);
        QStringList built;
        for (QWidget* w : form.findChildren<QWidget*>())
            if (qobject_cast<QAbstractButton*>(w) || qobject_cast<QGroupBox*>(w) ||
                qobject_cast<QLabel*>(w) || qobject_cast<QLineEdit*>(w) ||
                qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QAbstractSlider*>(w) ||
                qobject_cast<QComboBox*>(w))
                if (!w->objectName().isEmpty() && !w->objectName().startsWith("qt_"))
                    built << w->objectName();
        designed.sort();
        built.sort();
        QCOMPARE(built, designed);
    }

    void windowAndTabOrder()
    {
        MainWindow form;
        QCOMPARE(form.size(), QSize(1064, 433));
        // Resizable, but never smaller than designed.
        QCOMPARE(form.minimumSize(), QSize(1064, 433));
        QVERIFY(form.maximumSize().width() > 1064 && form.maximumSize().height() > 433);
        QVERIFY(form.windowFlags() & Qt::WindowMaximizeButtonHint);
        QCOMPARE(form.palette().color(QPalette::Window), QColor(Qt::white));
        // Down the left column, then down the right one.
        const QStringList expected = {
            "textToReadEdit",      "loadTextButton",       "saveTextButton",
            "clearTextButton",     "loadSampleButton",     "volumeSlider",
            "rateSlider",          "testSpeedButton",      "voiceCombo",
            "refreshVoicesButton", "addVoicesButton",      "readButton",
            "saveToFolderOption",  "outputFolderEdit",     "chooseOutputFolderButton",
            "saveBesidePdfOption", "chapterFilesCheck",    "saveMp3Button",
            "helpButton",          "pronunciationsButton", "pdfPathEdit",
            "choosePdfButton",     "passwordPromptCheck",  "chapterCombo"};
        QStringList chain;
        QWidget* w = form.textToReadEdit();
        do {
            if (expected.contains(w->objectName()) && !chain.contains(w->objectName()))
                chain << w->objectName();
            w = w->nextInFocusChain();
        } while (w != form.textToReadEdit());
        QCOMPARE(chain, expected);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QString png = QStringLiteral(LECTORIX_BUILD_DIR) + QStringLiteral("/Form1.png");
        QVERIFY(form.grab().save(png));
        QVERIFY(QFileInfo(png).size() > 1000);
    }

    // Over a push button the pointer is the hand, elsewhere the default; a busy pointer stays
    // except over the reading button. Only the control under the mouse counts.
    void pointerFollowsTheMouse()
    {
        MainWindow form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto move = [](QWidget* w) {
            QMouseEvent event(QEvent::MouseMove, QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)),
                              Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(w, &event);
        };
        move(form.choosePdfButton());
        QCOMPARE(form.mousePointer(), 99);
        move(form.pdfFrame());
        QCOMPARE(form.mousePointer(), 0);
        form.setMousePointer(11);
        move(form.volumeFrame());
        move(form.loadTextButton());
        QCOMPARE(form.mousePointer(), 11);
        move(form.readButton()); // the reading button shows the hand even over a busy window
        QCOMPARE(form.mousePointer(), 99);
        move(form.textFrame());
        QCOMPARE(form.mousePointer(), 0);
        move(form.saveMp3Button());
        QCOMPARE(form.mousePointer(), 99);
        move(form.textToReadEdit()->viewport());
        QCOMPARE(form.mousePointer(), 0);
        move(form.testSpeedButton()); // no pointer handler of its own
        QCOMPARE(form.mousePointer(), 0);
    }

    void storingHandlers()
    {
        MainWindow form;
        form.show();
        form.saveToFolderOption()->setChecked(true);
        form.saveBesidePdfOption()->click();
        QCOMPARE(readSetting("Option1", QString()), QStringLiteral("False"));
        QCOMPARE(readSetting("Option2", QString()), QStringLiteral("True"));
        QVERIFY(!form.outputFolderFrame()->isEnabled());
        form.saveToFolderOption()->click();
        QCOMPARE(readSetting("Option1", QString()), QStringLiteral("True"));
        QCOMPARE(readSetting("Option2", QString()), QStringLiteral("False"));
        QVERIFY(form.outputFolderFrame()->isEnabled());

        QTest::keyClicks(form.outputFolderEdit(), QStringLiteral("/srv/a"));
        QCOMPARE(readSetting("Text3", QString()), QStringLiteral("/srv/a"));
        form.pdfPathEdit()->setText(QStringLiteral("/x/y.pdf"));
        QCOMPARE(readSetting("Text1", QString()), QStringLiteral("/x/y.pdf"));
        form.passwordPromptCheck()->click();
        QCOMPARE(readSetting("Check1", QString()), QStringLiteral("1"));
        form.passwordPromptCheck()->click();
        QCOMPARE(readSetting("Check1", QString()), QStringLiteral("0"));

        form.readButton()->setText(QStringLiteral("Pause"));
        form.textToReadEdit()->clear();
        QCOMPARE(form.readButton()->text(), QStringLiteral("Start Reading"));
    }

    void leavingTheTextBoxMakesItTheSource()
    {
        MainWindow form;
        form.show();
        QApplication::setActiveWindow(&form);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.documents().setUseTextBox(false);
        form.textToReadEdit()->setFocus();
        QTRY_VERIFY(form.textToReadEdit()->hasFocus());
        QVERIFY(!form.documents().useTextBox());
        form.helpButton()->setFocus(Qt::TabFocusReason);
        QVERIFY(form.documents().useTextBox());
    }
};

QTEST_MAIN(TestWindow)
#include "test_window.moc"
