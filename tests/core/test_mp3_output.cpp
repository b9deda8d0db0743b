// Where the MP3 goes, and the unfinished MP3 beside it that is renamed into place.
#include "core/base/failure.h"
#include "core/conversion/mp3_output.h"
#include "support/test_env.h"

#include <QFile>
#include <QFileInfo>
#include <QtTest>

#include <sys/stat.h>

using namespace lectorix;

class TestMp3Output : public QObject
{
    Q_OBJECT

private slots:
    void outputPath_data();
    void outputPath();
    void firstWords_data();
    void firstWords();
    void partialFileIsNewAndFollowsUmask();
};

void TestMp3Output::outputPath_data()
{
    QTest::addColumn<QString>("pdf");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("option1");
    QTest::addColumn<bool>("option2");
    QTest::addColumn<QString>("mp3");
    const QString report = QStringLiteral("/Docs/My.Annual.Report.pdf");
    QTest::newRow("beside the PDF")
        << report << QString() << false << true << QStringLiteral("/Docs/My.Annual.Report.mp3");
    QTest::newRow("folder with trailing slash")
        << report << QStringLiteral("/Audio/") << true << false
        << QStringLiteral("/Audio/My.Annual.Report.mp3");
    QTest::newRow("folder without trailing slash")
        << report << QStringLiteral("/Audio") << true << false
        << QStringLiteral("/Audio/My.Annual.Report.mp3");
    QTest::newRow("Option1 wins over Option2") << report << QStringLiteral("/Audio") << true << true
                                               << QStringLiteral("/Audio/My.Annual.Report.mp3");
    QTest::newRow("neither: beside the PDF") << report << QStringLiteral("/Audio") << false << false
                                             << QStringLiteral("/Docs/My.Annual.Report.mp3");
    QTest::newRow("root folder") << QStringLiteral("/x.pdf") << QStringLiteral("/") << true << false
                                 << QStringLiteral("/x.mp3");
    QTest::newRow("no extension") << QStringLiteral("/d/notes") << QString() << false << true
                                  << QStringLiteral("/d/notes.mp3");
    QTest::newRow("a hidden PDF gives a visible MP3")
        << QStringLiteral("/d/.draft.pdf") << QString() << false << true
        << QStringLiteral("/d/draft.mp3");
    QTest::newRow("a PDF named only its extension")
        << QStringLiteral("/d/.pdf") << QStringLiteral("/Audio") << true << false
        << QStringLiteral("/Audio/pdf.mp3");
    QTest::newRow("a PDF named only dots") << QStringLiteral("/d/...pdf") << QString() << false
                                           << true << QStringLiteral("/d/untitled.mp3");
}

void TestMp3Output::outputPath()
{
    QFETCH(QString, pdf);
    QFETCH(QString, folder);
    QFETCH(bool, option1);
    QFETCH(bool, option2);
    QFETCH(QString, mp3);
    QCOMPARE(mp3OutputPath(pdf, folder, option1, option2), mp3);
}

void TestMp3Output::firstWords_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("name");
    QTest::newRow("six words at most") << "It was a bright cold day in April, and the clocks"
                                       << "It was a bright cold day";
    QTest::newRow("no path, no leading dot") << "  ../../etc/passwd now"
                                             << "etc passwd now";
    QTest::newRow("letters of any script")
        << QString::fromUtf8("Über café 日本語 text") << QString::fromUtf8("Über café 日本語 text");
    QTest::newRow("stops before 40 characters")
        << "Internationalisation and localisation documentation"
        << "Internationalisation and localisation";
    QTest::newRow("one very long word is cut")
        << "Donaudampfschifffahrtsgesellschaftskapitaenswitwe"
        << "Donaudampfschifffahrtsgesellschaftskapit";
    QTest::newRow("no words") << "!!! ... ---" << QString();
}

void TestMp3Output::firstWords()
{
    QFETCH(QString, text);
    QFETCH(QString, name);
    QCOMPARE(firstWordsName(text), name);
}

void TestMp3Output::partialFileIsNewAndFollowsUmask()
{
    const QString temp = test::freshScratch();
    const QString out = test::writeFile(temp + QStringLiteral("/Book.mp3"), "old");
    const mode_t old = ::umask(022);
    const QString partial = reservePartialFile(out);
    const QString other = reservePartialFile(out);
    ::umask(old);

    QVERIFY(partial != other);
    QCOMPARE(QFileInfo(partial).absolutePath(), temp);
    QVERIFY(QFileInfo(partial).fileName().startsWith(QLatin1Char('.')));
    QCOMPARE(QFileInfo(partial).size(), 0);
    QCOMPARE(test::readFile(out), QByteArray("old"));
    struct stat info
    {
    };
    QCOMPARE(::stat(QFile::encodeName(partial).constData(), &info), 0);
    QCOMPARE(info.st_mode & 0777, mode_t(0644));

    test::writeFile(partial, "new");
    renameOver(partial, out);
    QCOMPARE(test::readFile(out), QByteArray("new"));
    QVERIFY(!QFile::exists(partial));

    QVERIFY_THROWS_EXCEPTION(Failure, reservePartialFile(temp + QStringLiteral("/missing/x.mp3")));
}

QTEST_MAIN(TestMp3Output)
#include "test_mp3_output.moc"
