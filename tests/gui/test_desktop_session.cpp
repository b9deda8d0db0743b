// The window and the desktop's services, on a private session bus with fake services: the
// desktop is kept from suspending exactly while the window reads aloud or exports, through the
// login manager or else the portal, and an export that ends while the window is not active is
// told in a notification that names the MP3 and opens its folder. Without a service nothing
// breaks.

#include "core/reading/reading_session.h"
#include "gui/desktop_notification.h"
#include "gui/main_window.h"
#include "gui/mp3_conversion.h"
#include "support/fake_desktop.h"
#include "support/held_engine.h"
#include "support/test_env.h"
#include "support/window_fixture.h"

#include <QApplication>
#include <QDir>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace lectorix;
using Shown = test::ScriptedDialogs::Shown;

namespace {

const QString Sentence = QStringLiteral(
    "In the year 1878 I took my degree of Doctor of Medicine of the University of London, and "
    "proceeded to Netley to go through the course prescribed for surgeons in the army. ");

// One of the two services that hand out suspend locks, faked.
struct LockService
{
    std::unique_ptr<test::FakeLoginManager> login;
    std::unique_ptr<test::FakeInhibitPortal> portal;

    explicit LockService(bool useLogin)
    {
        if (useLogin)
            login = std::make_unique<test::FakeLoginManager>();
        else
            portal = std::make_unique<test::FakeInhibitPortal>();
    }
    bool isRunning() const { return login ? login->isRunning() : portal->isRunning(); }
    int held() const { return login ? login->locksHeld() : portal->locksHeld(); }
    QStringList requests() const { return login ? login->requests : portal->requests; }
    // Waits until `count` locks are held; false when that did not come.
    bool waitHeld(int count) const
    {
        return QTest::qWaitFor([&] { return held() == count; }, 5000);
    }
};

QString request(bool login, const QString& reason)
{
    return login ? QStringLiteral("sleep|Lectorix|%1|block").arg(reason)
                 : QStringLiteral("4|%1").arg(reason);
}

// Saves the text of the box as name in the home folder and waits for the end.
void saveText(test::WindowFixture& f, const QString& text, const QString& path)
{
    f.form.textToReadEdit()->setPlainText(text);
    f.dialogs.setNextFileName(path);
    f.form.saveMp3Button()->click();
}

} // namespace

class TestDesktopSession : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        test::ignoreBrokenPipes();
        NEED_BUS();
    }

    // A reading holds a lock while the voice reads, not while it is paused, and lets it go
    // at the end of the text and when the window closes.
    void readingHoldsALock_data()
    {
        QTest::addColumn<bool>("login");
        QTest::newRow("login manager") << true;
        QTest::newRow("portal, no login manager") << false;
    }
    void readingHoldsALock()
    {
        QFETCH(bool, login);
        LockService locks(login);
        QVERIFY(locks.isRunning());
        test::HeldEngine engine;
        test::WindowFixture f;
        f.form.documents().setUseTextBox(true);
        f.form.textToReadEdit()->setPlainText(Sentence);
        QCOMPARE(locks.held(), 0);

        f.form.readButton()->click();
        QVERIFY2(locks.waitHeld(1), "reading");
        f.form.readButton()->click();
        QCOMPARE(f.form.readButton()->text(), QStringLiteral("Resume"));
        QVERIFY2(locks.waitHeld(0), "paused");
        f.form.readButton()->click();
        QVERIFY2(locks.waitHeld(1), "resumed");
        engine.finished = true;
        QVERIFY(test::waitUntilReadingEnds(f.form));
        QVERIFY2(locks.waitHeld(0), "read to the end");

        f.form.readButton()->click();
        QVERIFY2(locks.waitHeld(1), "reading again");
        f.form.close();
        QVERIFY2(locks.waitHeld(0), "window closed");
        QCOMPARE(locks.requests(), QStringList(3, request(login, "Reading aloud")));
    }

    // An export holds a lock from its start to its end, whether it made the MP3 or was
    // cancelled.
    void exportHoldsALock_data()
    {
        QTest::addColumn<bool>("login");
        QTest::addColumn<bool>("cancel");
        QTest::newRow("login manager, MP3 made") << true << false;
        QTest::newRow("login manager, cancelled") << true << true;
        QTest::newRow("portal, MP3 made") << false << false;
    }
    void exportHoldsALock()
    {
        QFETCH(bool, login);
        QFETCH(bool, cancel);
        LockService locks(login);
        QVERIFY(locks.isRunning());
        test::WindowFixture f;
        saveText(f, Sentence.repeated(6), QDir::homePath() + QStringLiteral("/held.mp3"));
        QVERIFY(f.form.exporting().converting());
        QVERIFY2(locks.waitHeld(1), "exporting");
        QVERIFY2(f.form.exporting().converting(), "held only once the export had ended");
        if (cancel)
            f.form.exporting().cancelConversions();
        QVERIFY(test::waitUntilIdle(f.form));
        QVERIFY2(locks.waitHeld(0), "export ended");
        QCOMPARE(QFileInfo::exists(QDir::homePath() + QStringLiteral("/held.mp3")), !cancel);
        QCOMPARE(locks.requests(), QStringList{request(login, "Saving audio as MP3")});
    }

    // An export that ends while the window is not active is told by the desktop; its action
    // opens the MP3's folder. None while the window is active, for a cancelled export, or
    // without a notification server, and the window's own message comes in every case.
    void exportEndIsNotified_data()
    {
        QTest::addColumn<bool>("server");
        QTest::addColumn<bool>("active");
        QTest::addColumn<QString>("output"); // below the home folder
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QString>("body"); // with {HOME} for the home folder
        QTest::addColumn<QStringList>("actions");
        const QStringList openFolder{OpenFolderAction, OpenFolderButton};
        QTest::newRow("made") << true << false << "pride.mp3"
                              << "pride.mp3 is ready"
                              << "{HOME}" << openFolder;
        QTest::newRow("not made: no such folder")
            << true << false << "gone/pride.mp3"
            << "pride.mp3 was not made"
            << "The MP3 file {HOME}/gone/pride.mp3 could not be made" << QStringList();
        QTest::newRow("window active")
            << true << true << "pride.mp3" << QString() << QString() << QStringList();
        QTest::newRow("no notification server")
            << false << false << "pride.mp3" << QString() << QString() << QStringList();
    }
    void exportEndIsNotified()
    {
        QFETCH(bool, server);
        QFETCH(bool, active);
        QFETCH(QString, output);
        QFETCH(QString, summary);
        QFETCH(QString, body);
        QFETCH(QStringList, actions);
        std::unique_ptr<test::FakeNotificationServer> notifications;
        if (server) {
            notifications = std::make_unique<test::FakeNotificationServer>();
            QVERIFY(notifications->isRunning());
        }
        test::WindowFixture f;
        // The user works in another program, or in the window (and its progress dialog).
        QWidget elsewhere;
        QWidget* focused = active ? static_cast<QWidget*>(&f.form) : &elsewhere;
        focused->show();
        // The other program keeps the keyboard when the window's progress dialog shows.
        QTimer keepFocus;
        connect(&keepFocus, &QTimer::timeout, &elsewhere, [&elsewhere] {
            if (QApplication::activeWindow() != &elsewhere)
                QApplication::setActiveWindow(&elsewhere);
        });
        if (!active)
            keepFocus.start(20);
        QApplication::setActiveWindow(focused);
        QVERIFY(QTest::qWaitForWindowActive(focused));
        const QString home = QDir::homePath();
        saveText(f, Sentence, home + QLatin1Char('/') + output);
        QVERIFY(test::waitUntilIdle(f.form));
        QCOMPARE(f.dialogs.messages().size(), 1); // the window's own message: "Done.", or why not
        if (!server)
            return;
        if (summary.isEmpty()) {
            QTest::qWait(300);
            QCOMPARE(notifications->shown.size(), 0);
            return;
        }
        QVERIFY(QTest::qWaitFor([&] { return !notifications->shown.isEmpty(); }, 5000));
        QCOMPARE(notifications->shown.size(), 1);
        const test::FakeNotificationServer::Notification shown = notifications->shown.first();
        QCOMPARE(shown.appName, QStringLiteral("Lectorix"));
        QCOMPARE(shown.summary, summary);
        QVERIFY2(shown.body.startsWith(body.replace("{HOME}", home)), qPrintable(shown.body));
        QCOMPARE(shown.actions, actions);
        if (actions.isEmpty())
            return;
        notifications->invokeAction(shown.id, OpenFolderAction);
        QVERIFY(QTest::qWaitFor(
            [&] {
                return !f.dialogs.shown().isEmpty() && f.dialogs.shown().last().kind == Shown::Url;
            },
            5000));
        QCOMPARE(f.dialogs.shown().last().text, QUrl::fromLocalFile(home).toString());
    }
};

QTEST_MAIN(TestDesktopSession)
#include "test_desktop_session.moc"
