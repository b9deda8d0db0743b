// The window as a media player on a private session bus, steered by playerctl as media keys
// and the desktop's media controls steer it: what the sink hears and the reading button's
// caption follow Play, Pause, PlayPause and Stop; the metadata names the document; the
// PropertiesChanged signals tell every change.

#include "core/base/program_folder.h"
#include "core/reading/reading_session.h"
#include "gui/listening_controller.h"
#include "gui/main_window.h"
#include "gui/media_metadata.h"
#include "gui/media_player_bus.h"
#include "support/drawn_pdf.h"
#include "support/fake_desktop.h"
#include "support/program_run.h"
#include "support/sink_recorder.h"
#include "support/test_env.h"
#include "support/window_fixture.h"

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSlider>
#include <QtTest>

using namespace lectorix;
using namespace std::chrono_literals;
using Clock = test::SinkRecorder::Clock;

namespace {

const QString Text =
    QStringLiteral(
        "In the year 1878 I took my degree of Doctor of Medicine of the University of London, and "
        "proceeded to Netley to go through the course prescribed for surgeons in the army. ")
        .repeated(4);

constexpr double Loud = 100.0; // speech at full volume is far above this RMS; silence is 0
constexpr double Quiet = 20.0;

// What playerctl says for the window's player (its first line), or why it failed.
QString playerctl(const QStringList& arguments)
{
    const test::ProgramRun run = test::runProgram(
        QStringLiteral("playerctl"), QStringList{QStringLiteral("--player=lectorix")} + arguments,
        {.timeoutMs = 10000, .serveEvents = true});
    if (!run.succeeded())
        return QStringLiteral("failed: ") + QString::fromUtf8(run.said()).trimmed();
    return run.output().section(QLatin1Char('\n'), 0, 0).trimmed();
}

// Asks playerctl until it says `expected`; what it said last.
QString playerctlUntil(const QStringList& arguments, const QString& expected)
{
    QString said;
    [[maybe_unused]] const bool came = QTest::qWaitFor(
        [&] {
            said = playerctl(arguments);
            return said == expected;
        },
        5000);
    return said;
}

} // namespace

// Collects the player's PropertiesChanged signals, as a desktop's media controls hear them.
class PropertiesWatch : public QObject
{
    Q_OBJECT

public:
    explicit PropertiesWatch(const QString& service)
    {
        QDBusConnection::sessionBus().connect(service, QStringLiteral("/org/mpris/MediaPlayer2"),
                                              QStringLiteral("org.freedesktop.DBus.Properties"),
                                              QStringLiteral("PropertiesChanged"), this,
                                              SLOT(changed(QString, QVariantMap, QStringList)));
    }
    // The properties of each signal, in order: "CanGoNext Metadata PlaybackStatus=Playing", ...
    QStringList seen;

public slots:
    void changed(const QString& interface, const QVariantMap& properties, const QStringList&)
    {
        if (interface != QLatin1String("org.mpris.MediaPlayer2.Player"))
            return;
        QStringList names;
        for (auto it = properties.begin(); it != properties.end(); ++it)
            names << (it.key() == QLatin1String("PlaybackStatus")
                          ? it.key() + QLatin1Char('=') + it.value().toString()
                          : it.key());
        seen << names.join(QLatin1Char(' '));
    }
};

class TestMediaKeys : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        NEED_BUS();
        test::warmUpEngine();
    }
    void init() { test::freshScratch(); }

    // Each command, as playerctl sends it, acts as the reading button or Stop would: the
    // caption and the player's status follow, and the sink hears the voice or silence.
    void commandsSteerTheReading_data()
    {
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<QStringList>("captions"); // after each command
        QTest::addColumn<QStringList>("statuses");
        QTest::addColumn<QStringList>("heard"); // "sound" or "silence"
        QTest::newRow("play, pause, play")
            << QStringList{"play", "pause", "play"} << QStringList{"Pause", "Resume", "Pause"}
            << QStringList{"Playing", "Paused", "Playing"}
            << QStringList{"sound", "silence", "sound"};
        QTest::newRow("play-pause twice, play while playing")
            << QStringList{"play-pause", "play-pause", "play-pause", "play"}
            << QStringList{"Pause", "Resume", "Pause", "Pause"}
            << QStringList{"Playing", "Paused", "Playing", "Playing"}
            << QStringList{"sound", "silence", "sound", "sound"};
        QTest::newRow("play, stop, pause while stopped")
            << QStringList{"play", "stop", "pause"}
            << QStringList{"Pause", "Start Reading", "Start Reading"}
            << QStringList{"Playing", "Stopped", "Stopped"}
            << QStringList{"sound", "silence", "silence"};
    }
    void commandsSteerTheReading()
    {
        QFETCH(QStringList, commands);
        QFETCH(QStringList, captions);
        QFETCH(QStringList, statuses);
        QFETCH(QStringList, heard);
        NEED_SINK(rec);
        test::WindowFixture f;
        test::readTextBoxAtFullVolume(f.form, Text);
        QCOMPARE(playerctl({"status"}), QStringLiteral("Stopped"));

        QStringList seenCaptions, seenStatuses, seenHeard;
        for (const QString& command : std::as_const(commands)) {
            QVERIFY2(!playerctl({command}).startsWith("failed"), qPrintable(command));
            const QString caption = captions.at(seenCaptions.size());
            const bool soundExpected = heard.at(seenHeard.size()) == QLatin1String("sound");
            [[maybe_unused]] const bool shown =
                QTest::qWaitFor([&] { return f.form.readButton()->text() == caption; }, 5000);
            seenCaptions << f.form.readButton()->text();
            seenStatuses << playerctl({"status"});
            // Past what was heard before the command took hold, the voice (whose first start
            // in a process is slow) or a silence of 700 ms.
            QTest::qWait(300);
            const auto from = Clock::now();
            const bool sound = QTest::qWaitFor(
                [&] { return rec->rms(std::max(from, Clock::now() - 300ms), Clock::now()) > Loud; },
                soundExpected ? 5000 : 700);
            seenHeard << (sound ? "sound" : "silence");
        }
        QCOMPARE(seenCaptions, captions);
        QCOMPARE(seenStatuses, statuses);
        QCOMPARE(seenHeard, heard);
    }

    // Next and Previous move the reading to the next or previous chapter, which the metadata
    // names, and the voice goes on from there; a text without chapters moves by paragraph.
    void nextAndPreviousMoveTheReading_data()
    {
        QTest::addColumn<bool>("book"); // the drawn book with chapters, or two paragraphs
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<QString>("title"); // xesam:title afterwards
        QTest::addColumn<int>("chapter");
        QTest::newRow("next chapter") << true << QStringList{"next"} << "The Storm" << 1;
        QTest::newRow("next twice: a section")
            << true << QStringList{"next", "next"} << "At Sea" << 2;
        QTest::newRow("next, previous")
            << true << QStringList{"next", "previous"} << "The Lighthouse" << 0;
        QTest::newRow("next paragraph")
            << false << QStringList{"next"} << "It is a truth universally acknowledged" << -1;
    }
    void nextAndPreviousMoveTheReading()
    {
        QFETCH(bool, book);
        QFETCH(QStringList, commands);
        QFETCH(QString, title);
        QFETCH(int, chapter);
        NEED_SINK(rec);
        test::WindowFixture f;
        const QString second =
            QStringLiteral("However little known the feelings or views of such "
                           "a man may be on his first entering a neighbourhood.");
        test::readTextBoxAtFullVolume(
            f.form, QStringLiteral("It is a truth universally acknowledged, that a single man "
                                   "in possession of a good fortune must be in want of a "
                                   "wife.\n\n") +
                        second);
        ReadingSession& session = *f.form.reading().session();
        if (book) {
            const QString pdf = f.temp + QStringLiteral("/book.pdf");
            QVERIFY(test::drawChapterBook(pdf));
            f.form.documents().setUseTextBox(false);
            f.form.pdfPathEdit()->setText(pdf);
        }
        f.form.readButton()->click();
        QVERIFY2(QTest::qWaitFor(
                     [&] {
                         return !book || (session.chapters().size() == 4 &&
                                          session.chapters().last().offset >= 0);
                     },
                     10000),
                 "the book's chapters are found");
        QVERIFY(QTest::qWaitFor([&] { return rec->rmsSince(Clock::now() - 300ms) > Loud; }, 5000));
        for (const QString& command : std::as_const(commands)) {
            QVERIFY2(!playerctl({command}).startsWith("failed"), qPrintable(command));
            QTest::qWait(300);
        }
        QCOMPARE(playerctlUntil({"metadata", "xesam:title"}, title), title);
        QCOMPARE(session.chapter(), qsizetype(chapter));
        if (!book)
            QVERIFY2(session.position() >= f.form.textToReadEdit()->toPlainText().indexOf(second),
                     qPrintable(QString::number(session.position())));
        QVERIFY2(QTest::qWaitFor([&] { return rec->rmsSince(Clock::now() - 300ms) > Loud; }, 5000),
                 "the voice goes on");
        QCOMPARE(playerctl({"status"}), QStringLiteral("Playing"));
        QCOMPARE(f.form.readButton()->text(), QStringLiteral("Pause"));
        f.form.reading().stop();
    }

    // The metadata names what is read: a PDF's own title once read from the document, else
    // its file name; the text box's first words.
    void metadataNamesTheDocument_data()
    {
        QTest::addColumn<QString>("pdf"); // "sample", "drawn" or none: the text box
        QTest::addColumn<QString>("title");
        QTest::newRow("PDF with a title") << "sample"
                                          << "Lectorix - sample document";
        QTest::newRow("PDF without one") << "drawn"
                                         << "Chapter One";
        QTest::newRow("text box") << QString() << "In the year 1878 I took";
    }
    void metadataNamesTheDocument()
    {
        QFETCH(QString, pdf);
        QFETCH(QString, title);
        test::WindowFixture f;
        test::readTextBoxAtFullVolume(f.form, Text);
        f.form.volumeSlider()->setValue(0);
        if (pdf == QLatin1String("sample")) {
            f.form.documents().setUseTextBox(false);
            f.form.pdfPathEdit()->setText(test::programDataFolder() +
                                          QStringLiteral("/Samples/sample1.pdf"));
        } else if (pdf == QLatin1String("drawn")) {
            f.form.documents().setUseTextBox(false);
            f.form.pdfPathEdit()->setText(test::writePdf(
                f.temp + QStringLiteral("/Chapter One.pdf"), {{Text.left(60), Text.mid(60, 60)}}));
        }
        // playerctl quotes an object path.
        QCOMPARE(playerctl({"metadata", "mpris:trackid"}),
                 QStringLiteral("'/org/mpris/MediaPlayer2/TrackList/NoTrack'"));
        f.form.readButton()->click();
        QCOMPARE(playerctlUntil({"metadata", "xesam:album"}, title), title);
        // The title is the chapter's where the document has chapters, once they are found.
        const ReadingSession& session = *f.form.reading().session();
        const auto shown = [&] {
            return session.chapter() >= 0 ? session.chapters().at(session.chapter()).title : title;
        };
        QTRY_COMPARE_WITH_TIMEOUT(playerctl({"metadata", "xesam:title"}), shown(), 10000);
        QCOMPARE(playerctl({"metadata", "mpris:trackid"}),
                 QStringLiteral("'/io/github/quendrel/lectorix/reading/1'"));
        f.form.reading().stop();
    }

    // A change of state, of the document read or of the volume is announced with the
    // property's new value.
    void changesAreAnnounced()
    {
        test::WindowFixture f;
        test::readTextBoxAtFullVolume(f.form, Text);
        f.form.volumeSlider()->setValue(0);
        PropertiesWatch watch(f.form.listening().mediaPlayer().serviceName());
        f.form.readButton()->click();
        f.form.readButton()->click();
        f.form.volumeSlider()->setValue(40);
        f.form.reading().stop();
        const QStringList expected{"CanGoNext CanGoPrevious Metadata PlaybackStatus=Playing",
                                   "PlaybackStatus=Paused", "Volume",
                                   "CanGoNext CanGoPrevious PlaybackStatus=Stopped"};
        QVERIFY(QTest::qWaitFor([&] { return watch.seen.size() >= expected.size(); }, 5000));
        QCOMPARE(watch.seen, expected);
        QCOMPARE(playerctl({"volume"}), QStringLiteral("0.400000"));
    }

    // A second program is a player of its own, under the name MPRIS gives further instances,
    // and the name goes with the program.
    void secondProgramTakesItsOwnName()
    {
        test::WindowFixture f;
        QCOMPARE(f.form.listening().mediaPlayer().serviceName(),
                 QStringLiteral("org.mpris.MediaPlayer2.lectorix"));
        QProcess second;
        second.start(qEnvironmentVariable("LECTORIX_PROGRAM"), {});
        QVERIFY(second.waitForStarted());
        const QString both = QStringLiteral("lectorix lectorix.instance%1").arg(second.processId());
        QString players;
        const auto listed = [&] {
            const test::ProgramRun run =
                test::runProgram(QStringLiteral("playerctl"), {QStringLiteral("--list-all")},
                                 {.timeoutMs = 10000, .serveEvents = true});
            // The system bus is the session bus here, so playerctl finds every player twice.
            QStringList names = run.output().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            names.removeDuplicates();
            names.sort();
            players = names.join(QLatin1Char(' '));
        };
        [[maybe_unused]] const bool came = QTest::qWaitFor(
            [&] {
                listed();
                return players == both;
            },
            20000);
        QCOMPARE(players, both);
        second.terminate();
        QVERIFY(second.waitForFinished(10000));
        listed();
        QCOMPARE(players, QStringLiteral("lectorix"));
    }

    // What the metadata holds of a reading: the chapter as the title where one is known, the
    // author as the artist, the length where known.
    void metadataOfAReading_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("author");
        QTest::addColumn<QString>("chapter");
        QTest::addColumn<qint64>("length");
        QTest::addColumn<QStringList>("expected"); // key=value, sorted
        const QString track = QStringLiteral("mpris:trackid=/t/1");
        QTest::newRow("nothing known")
            << QString() << QString() << QString() << qint64(-1) << QStringList{track};
        QTest::newRow("a title") << "Pride" << QString() << QString() << qint64(-1)
                                 << QStringList{track, "xesam:album=Pride", "xesam:title=Pride"};
        QTest::newRow("title, author, chapter, length")
            << "Pride"
            << "Jane Austen"
            << "Chapter 3" << qint64(61000000)
            << QStringList{"mpris:length=61000000", track, "xesam:album=Pride",
                           "xesam:artist=Jane Austen", "xesam:title=Chapter 3"};
    }
    void metadataOfAReading()
    {
        QFETCH(QString, title);
        QFETCH(QString, author);
        QFETCH(QString, chapter);
        QFETCH(qint64, length);
        QFETCH(QStringList, expected);
        const QVariantMap metadata =
            mprisMetadata(NowReading{title, author, chapter, length}, QStringLiteral("/t/1"));
        QStringList entries;
        for (auto it = metadata.begin(); it != metadata.end(); ++it) {
            const QVariant& v = it.value();
            const QString value =
                v.canConvert<QDBusObjectPath>()        ? v.value<QDBusObjectPath>().path()
                : v.typeId() == QMetaType::QStringList ? v.toStringList().join(QLatin1Char(','))
                                                       : v.toString();
            entries << it.key() + QLatin1Char('=') + value;
        }
        QCOMPARE(entries, expected);
        if (length >= 0)
            QCOMPARE(metadata.value("mpris:length").typeId(), QMetaType::LongLong);
    }
};

QTEST_MAIN(TestMediaKeys)
#include "test_media_keys.moc"
