// Places where readings of PDFs stopped: kept per document (path, size, modification time) in
// a section of their own of the settings file, at most 50, the most recent first.

#include "core/reading/reading_places.h"
#include "core/settings/settings.h"
#include "support/test_env.h"

#include <QDateTime>
#include <QFile>
#include <QSettings>
#include <QtTest>

using namespace lectorix;

class TestReadingPlaces : public QObject
{
    Q_OBJECT

    QString m_folder;

    QString document(const QString& name, const QByteArray& bytes = "%PDF-1.4 test")
    {
        return test::writeFile(m_folder + QLatin1Char('/') + name, bytes);
    }

private slots:
    void init() { m_folder = test::freshScratch() + QStringLiteral("/docs"); }

    void roundTripBesideTheOtherSettings()
    {
        writeSetting(QStringLiteral("Text1"), QStringLiteral("/some/book.pdf"));
        const QString book = document(QStringLiteral("book, one.pdf"));
        QCOMPARE(readingPlace(book), std::nullopt);
        rememberReadingPlace(book, 12345);
        QCOMPARE(readingPlace(book), std::optional<qsizetype>(12345));
        rememberReadingPlace(book, 200); // a later stop replaces the place
        QCOMPARE(readingPlace(book), std::optional<qsizetype>(200));
        // Its own section; the window's keys are untouched.
        QCOMPARE(readSetting(QStringLiteral("Text1"), QString()), QStringLiteral("/some/book.pdf"));
        QSettings file(settingsFilePath(), QSettings::IniFormat);
        QCOMPARE(file.childGroups(), (QStringList{"Lectorix", "Reading Places"}));
        QCOMPARE(file.value(QStringLiteral("Reading Places/Place/size")).toInt(), 1);

        forgetReadingPlace(book);
        QCOMPARE(readingPlace(book), std::nullopt);
    }

    void aChangedDocumentStartsAfresh_data()
    {
        QTest::addColumn<bool>("resize");
        QTest::newRow("other size") << true;
        QTest::newRow("same size, newer") << false;
    }
    void aChangedDocumentStartsAfresh()
    {
        QFETCH(bool, resize);
        const QString book = document(QStringLiteral("book.pdf"));
        rememberReadingPlace(book, 500);
        if (resize) {
            document(QStringLiteral("book.pdf"), "%PDF-1.4 a longer text");
        } else {
            QFile file(book);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(60),
                                     QFileDevice::FileModificationTime));
        }
        QCOMPARE(readingPlace(book), std::nullopt);
        QVERIFY(readingPlace(QStringLiteral("/no/such/file.pdf")) == std::nullopt);
    }

    void keepsTheFiftyMostRecent()
    {
        QStringList books;
        for (int i = 0; i < MaxReadingPlaces + 2; ++i) {
            books << document(QStringLiteral("book%1.pdf").arg(i));
            rememberReadingPlace(books.last(), 100 + i);
        }
        QCOMPARE(readingPlace(books[0]), std::nullopt);
        QCOMPARE(readingPlace(books[1]), std::nullopt);
        QCOMPARE(readingPlace(books[2]), std::optional<qsizetype>(102));
        QCOMPARE(readingPlace(books.last()), std::optional<qsizetype>(100 + MaxReadingPlaces + 1));
        // Stopping in an old one again makes it the most recent.
        rememberReadingPlace(books[2], 7);
        rememberReadingPlace(books[0], 8);
        QCOMPARE(readingPlace(books[2]), std::optional<qsizetype>(7));
        QCOMPARE(readingPlace(books[3]), std::nullopt);
        QSettings file(settingsFilePath(), QSettings::IniFormat);
        QCOMPARE(file.value(QStringLiteral("Reading Places/Place/size")).toInt(), MaxReadingPlaces);
    }

    // A place is named by its page (pages end with form feeds) and up to eight words from the
    // start of its sentence, line breaks shown as spaces, "…" when the sentence goes on.
    void placeNames_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("at");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("words");
        const QString book = QStringLiteral(
            "Title page.\n\fIt was a dark and stormy night; the rain fell in torrents.\n\f"
            "Short one. The next sentence\nruns over a line. Its end.\n\f");
        QTest::newRow("first page") << book << "page." << 1 << "Title page.";
        QTest::newRow("a long sentence, inside")
            << book << "stormy" << 2 << "It was a dark and stormy night; the\u2026";
        QTest::newRow("a short sentence after a long one") << book << "one." << 3 << "Short one.";
        QTest::newRow("across a line break")
            << book << "over" << 3 << "The next sentence runs over a line.";
        QTest::newRow("past the text") << book << "" << 0 << "";
        QTest::newRow("no page breaks") << "Just text. No pages."
                                        << "No" << 1 << "No pages.";
    }
    void placeNames()
    {
        QFETCH(QString, text);
        QFETCH(QString, at);
        QFETCH(int, page);
        QFETCH(QString, words);
        const qsizetype position = at.isEmpty() ? text.size() : text.indexOf(at);
        const PlaceName name = nameOfPlace(text, position);
        QCOMPARE(name.page, page);
        QCOMPARE(name.words, words);
    }

    // The name (page, words, chapter) is kept with the place and goes with it; a place kept
    // without one has none.
    void namesAreKeptWithThePlace()
    {
        const QString book = document(QStringLiteral("named.pdf"));
        const PlaceName name{102, QStringLiteral("Sentence 102 names \u2026"),
                             QStringLiteral("Chapter 12: The Drawing-Room")};
        rememberReadingPlace(book, 4321, name);
        QCOMPARE(readingPlace(book), std::optional<qsizetype>(4321));
        QCOMPARE(readingPlaceName(book), std::optional<PlaceName>(name));
        rememberReadingPlace(book, 99);
        QCOMPARE(readingPlaceName(book), std::optional<PlaceName>(PlaceName{}));
        forgetReadingPlace(book);
        QCOMPARE(readingPlaceName(book), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestReadingPlaces)
#include "test_reading_places.moc"
