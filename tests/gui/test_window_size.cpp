// The window made larger: the text box grows and the other controls keep their places, nothing
// overlaps, and the size and the text box's zoom outlive the window.

#include "core/settings/settings.h"
#include "core/settings/settings_keys.h"
#include "gui/main_window.h"
#include "gui/window_layout.h"
#include "gui/window_sizing.h"
#include "support/fake_engine.h"
#include "support/scripted_dialogs.h"
#include "support/test_env.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QWheelEvent>
#include <QtTest>

using namespace lectorix;

namespace {

// Where each control of the table stands in its container.
QHash<QString, QRect> places(const MainWindow& form)
{
    QHash<QString, QRect> found;
    for (const ControlRow& row : windowLayout())
        found.insert(QLatin1String(row.name),
                     form.findChild<QWidget*>(QLatin1String(row.name))->geometry());
    return found;
}

void sendWheel(QWidget* target, int angle, Qt::KeyboardModifiers modifiers)
{
    const QPointF at(10, 10);
    QWheelEvent wheel(at, target->mapToGlobal(at), QPoint(), QPoint(0, angle), Qt::NoButton,
                      modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &wheel);
}

} // namespace

class TestWindowSize : public QObject
{
    Q_OBJECT

private slots:
    void init() { test::freshScratch(); }

    // Larger, the text box takes the room; the right column keeps its distance from the
    // window's right edge, the buttons below the text box theirs from its bottom, the rest its
    // place. Smaller than designed it cannot be made.
    void controlsFollowTheWindow_data()
    {
        QTest::addColumn<QSize>("asked");
        QTest::addColumn<QSize>("extra");
        QTest::newRow("designed") << QSize(1064, 433) << QSize(0, 0);
        QTest::newRow("wider") << QSize(1500, 433) << QSize(436, 0);
        QTest::newRow("taller") << QSize(1064, 900) << QSize(0, 467);
        QTest::newRow("both") << QSize(1700, 1000) << QSize(636, 567);
        QTest::newRow("smaller than designed") << QSize(700, 300) << QSize(0, 0);
    }
    void controlsFollowTheWindow()
    {
        QFETCH(QSize, asked);
        QFETCH(QSize, extra);
        MainWindow form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QHash<QString, QRect> designed = places(form);
        form.resize(asked);
        QCOMPARE(form.size(), WindowSize + extra);
        const QHash<QString, QRect> now = places(form);

        const auto moved = [&](const char* name) {
            return now[QLatin1String(name)].topLeft() - designed[QLatin1String(name)].topLeft();
        };
        const auto grown = [&](const char* name) {
            return now[QLatin1String(name)].size() - designed[QLatin1String(name)].size();
        };
        QCOMPARE(grown("textToReadEdit"), extra);
        QCOMPARE(grown("textFrame"), extra);
        for (const char* name :
             {"volumeFrame", "speedFrame", "voiceFrame", "readButton", "mp3Frame"}) {
            QCOMPARE(moved(name), QPoint(extra.width(), 0));
            QCOMPARE(grown(name), QSize(0, 0));
        }
        for (const char* name :
             {"loadTextButton", "saveTextButton", "clearTextButton", "loadSampleButton"})
            QCOMPARE(moved(name), QPoint(0, extra.height()));
        for (const char* name : {"helpButton", "pdfFrame", "optionFrame", "pdfPathEdit",
                                 "voiceCombo", "saveMp3Button", "outputFolderEdit"}) {
            QCOMPARE(moved(name), QPoint(0, 0));
            QCOMPARE(grown(name), QSize(0, 0));
        }

        // Nothing sticks out of its container or covers a neighbour it did not cover as
        // designed (an option button sits on the edge of the frame it enables).
        for (const ControlRow& row : windowLayout()) {
            const QString name = QLatin1String(row.name);
            auto* control = form.findChild<QWidget*>(name);
            QVERIFY2(control->parentWidget()->rect().contains(control->geometry()), row.name);
            for (const ControlRow& other : windowLayout()) {
                const QString otherName = QLatin1String(other.name);
                auto* neighbour = form.findChild<QWidget*>(otherName);
                if (neighbour == control || neighbour->parentWidget() != control->parentWidget() ||
                    designed[name].intersects(designed[otherName]))
                    continue;
                QVERIFY2(!now[name].intersects(now[otherName]),
                         qPrintable(QStringLiteral("%1 covers %2").arg(row.name, other.name)));
            }
        }
    }

    // The size kept when the window closes is the size of the next window; a stored size
    // smaller than designed, or one that is no size, gives the designed size.
    void sizeOutlivesTheWindow_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("larger") << "1300x700" << QSize(1300, 700);
        QTest::newRow("smaller than designed") << "600x200" << WindowSize;
        QTest::newRow("one side smaller") << "1200x100" << QSize(1200, 433);
        QTest::newRow("not a size") << "wide" << WindowSize;
        QTest::newRow("never stored") << "" << WindowSize;
    }
    void sizeOutlivesTheWindow()
    {
        QFETCH(QString, stored);
        QFETCH(QSize, expected);
        test::ScriptedDialogs dialogs;
        test::FakeEngine engine;
        engine.setVoices(2);
        if (!stored.isEmpty())
            writeSetting(keys::WindowSize, stored);
        {
            MainWindow form;
            QVERIFY(form.startUp());
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            QCOMPARE(form.size(), expected);
            // The text box has the room the window has beyond its designed size.
            QCOMPARE(form.textToReadEdit()->size(),
                     QSize(7320 / 15, 2010 / 15) + expected - WindowSize);
            form.resize(expected + QSize(40, 30));
            form.close();
        }
        QCOMPARE(readSetting(keys::WindowSize, QString()),
                 QStringLiteral("%1x%2").arg(expected.width() + 40).arg(expected.height() + 30));
        MainWindow again;
        QVERIFY(again.startUp());
        QCOMPARE(again.size(), expected + QSize(40, 30));
    }

    // Ctrl+plus and Ctrl+minus, and Ctrl with the wheel over the text box, zoom its type by a
    // point a step, between the smallest and largest zoom; the wheel alone scrolls. The zoom
    // is the next window's.
    void zoomOutlivesTheWindow_data()
    {
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<int>("times");
        QTest::addColumn<int>("zoom");
        QTest::newRow("Ctrl+plus") << "ctrl+plus" << 2 << 2;
        QTest::newRow("Ctrl+=") << "ctrl+equal" << 3 << 3;
        QTest::newRow("Ctrl+minus") << "ctrl+minus" << 1 << -1;
        QTest::newRow("Ctrl+minus past the smallest") << "ctrl+minus" << 10 << -3;
        QTest::newRow("Ctrl+plus past the largest") << "ctrl+plus" << 40 << 31;
        QTest::newRow("Ctrl+wheel up") << "ctrl+wheel up" << 2 << 2;
        QTest::newRow("Ctrl+wheel down") << "ctrl+wheel down" << 1 << -1;
        QTest::newRow("Ctrl+wheel, half notches") << "ctrl+wheel half up" << 3 << 1;
        QTest::newRow("wheel without Ctrl") << "wheel up" << 2 << 0;
    }
    void zoomOutlivesTheWindow()
    {
        QFETCH(QString, gesture);
        QFETCH(int, times);
        QFETCH(int, zoom);
        test::ScriptedDialogs dialogs;
        test::FakeEngine engine;
        engine.setVoices(1);
        {
            MainWindow form;
            QVERIFY(form.startUp());
            form.show();
            QApplication::setActiveWindow(&form);
            QVERIFY(QTest::qWaitForWindowActive(&form));
            QPlainTextEdit* box = form.textToReadEdit();
            box->setPlainText(QStringLiteral("line\n").repeated(200));
            box->setFocus();
            QCOMPARE(box->font().pointSizeF(), 9.0);
            for (int i = 0; i < times; ++i) {
                if (gesture == QLatin1String("ctrl+plus"))
                    QTest::keyClick(box, Qt::Key_Plus, Qt::ControlModifier);
                else if (gesture == QLatin1String("ctrl+equal"))
                    QTest::keyClick(box, Qt::Key_Equal, Qt::ControlModifier);
                else if (gesture == QLatin1String("ctrl+minus"))
                    QTest::keyClick(box, Qt::Key_Minus, Qt::ControlModifier);
                else if (gesture.startsWith(QLatin1String("ctrl+wheel")))
                    sendWheel(box->viewport(),
                              gesture.endsWith(QLatin1String("down"))   ? -120
                              : gesture.contains(QLatin1String("half")) ? 60
                                                                        : 120,
                              Qt::ControlModifier);
                else
                    sendWheel(box->viewport(), -120, Qt::NoModifier);
            }
            QCOMPARE(form.sizing().zoom(), zoom);
            QCOMPARE(box->font().pointSizeF(), 9.0 + zoom);
            QVERIFY(box->font().bold());
            // The wheel alone scrolls the text, as it always did.
            QCOMPARE(box->verticalScrollBar()->value() > 0, gesture == QLatin1String("wheel up"));
            QCOMPARE(box->toPlainText(), QStringLiteral("line\n").repeated(200));
        }
        MainWindow again;
        QVERIFY(again.startUp());
        QCOMPARE(again.textToReadEdit()->font().pointSizeF(), 9.0 + zoom);
    }
};

QTEST_MAIN(TestWindowSize)
#include "test_window_size.moc"
