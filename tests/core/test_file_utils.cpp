#include "core/base/failure.h"
#include "core/files/file_utils.h"
#include "support/test_env.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

using namespace lectorix;

class TestFileUtils : public QObject
{
    Q_OBJECT

    QString m_dir;

private slots:
    void init() { m_dir = test::freshScratch(); }

    void pathSplitting_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("stripped");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("folder");
        QTest::newRow("two dots") << "/d/report.final.pdf"
                                  << "/d/report.final"
                                  << "report.final.pdf"
                                  << "/d/";
        QTest::newRow("dot file") << ".txt"
                                  << ".txt"
                                  << ".txt"
                                  << "";
        QTest::newRow("dot in folder") << "/my.docs/readme"
                                       << "/my"
                                       << "readme"
                                       << "/my.docs/";
        QTest::newRow("empty") << ""
                               << ""
                               << ""
                               << "";
        QTest::newRow("no separator") << "a.pdf"
                                      << "a"
                                      << "a.pdf"
                                      << "";
        QTest::newRow("trailing separator") << "/srv/out/"
                                            << "/srv/out/"
                                            << ""
                                            << "/srv/out/";
        QTest::newRow("root") << "/"
                              << "/"
                              << ""
                              << "/";
    }
    void pathSplitting()
    {
        QFETCH(QString, path);
        QFETCH(QString, stripped);
        QFETCH(QString, name);
        QFETCH(QString, folder);
        QCOMPARE(stripExtension(path), stripped);
        QCOMPARE(fileNameOf(path), name);
        QCOMPARE(folderOf(path), folder);
        QCOMPARE(shortPath(path), path);
    }

    void normalize_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("normalized");
        QTest::newRow("double in middle") << "/home/ann//out.mp3"
                                          << "/home/ann/out.mp3";
        QTest::newRow("triple in middle") << "/a///b"
                                          << "/a//b";
        QTest::newRow("leading run") << "///srv/x"
                                     << "/srv/x";
        QTest::newRow("leading single") << "/srv"
                                        << "/srv";
        QTest::newRow("only separators") << "////"
                                         << "/";
        QTest::newRow("relative") << "a//b"
                                  << "a/b";
        QTest::newRow("empty") << ""
                               << "";
    }
    void normalize()
    {
        QFETCH(QString, path);
        QFETCH(QString, normalized);
        QCOMPARE(normalizeSlashes(path), normalized);
    }

    void existenceTests()
    {
        const QString file = test::writeFile(m_dir + "/a.pdf", "x");
        QVERIFY(fileExists(file) && isExistingFile(file) && !isFolder(file));
        QVERIFY(!fileExists(QString()) && !isExistingFile(QString()) && !isFolder(QString()));
        QVERIFY(isFolder(m_dir) && !isExistingFile(m_dir));
        QVERIFY(!isFolder(m_dir + "/missing"));
        QVERIFY(!isExistingFile(m_dir + "/a.p?f") && !isExistingFile(m_dir + "/*"));
        test::writeFile(m_dir + "/.hidden", "x");
        QVERIFY(isExistingFile(m_dir + "/.hidden"));
    }

    void removeFileIgnoresErrors()
    {
        lectorix::removeFile(m_dir + "/missing");
        const QString readOnly = test::writeFile(m_dir + "/ro.txt", "x");
        QFile::setPermissions(readOnly, QFile::ReadOwner);
        lectorix::removeFile(readOnly);
        QVERIFY(!QFile::exists(readOnly));
        QVERIFY_THROWS_EXCEPTION(Failure, deleteFile(m_dir + "/missing"));
    }

    void writeStringReplacesWholeFile()
    {
        const QString path = test::writeFile(m_dir + "/t.txt", "a much longer old text");
        writeStringToFile(QStringLiteral("café ✓"), path);
        QCOMPARE(test::readFile(path), QStringLiteral("café ✓").toUtf8()); // UTF-8, no BOM
        writeStringToFile(QString(), path);
        QCOMPARE(QFileInfo(path).size(), 0);
        QVERIFY_THROWS_EXCEPTION(Failure, writeStringToFile("x", m_dir + "/missing/t.txt"));
        QCOMPARE(QDir(m_dir).entryList(QDir::Files | QDir::Hidden), QStringList{"t.txt"});
    }

    void writeStringKeepsReadOnlyFile()
    {
        const QString path = test::writeFile(m_dir + "/ro.txt", "keep me");
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup);
        QVERIFY_THROWS_EXCEPTION(Failure, writeStringToFile("new", path));
        QCOMPARE(test::readFile(path), QByteArray("keep me"));
    }

    // A disk that fills up half way: the old file must survive and no scrap may stay behind.
    void writeStringSurvivesFullDisk()
    {
        const QString path = test::writeFile(m_dir + "/book.txt", "the old text");
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit small = old;
        small.rlim_cur = 4096;
        setrlimit(RLIMIT_FSIZE, &small);
        bool threw = false;
        try {
            writeStringToFile(QString(100000, QLatin1Char('x')), path);
        } catch (const Failure&) {
            threw = true;
        }
        setrlimit(RLIMIT_FSIZE, &old);
        QVERIFY(threw);
        QCOMPARE(test::readFile(path), QByteArray("the old text"));
        QCOMPARE(QDir(m_dir).entryList(QDir::Files | QDir::Hidden), QStringList{"book.txt"});
    }

    void writeIfMissingNeverOverwrites()
    {
        const QString empty = test::writeFile(m_dir + "/tool", "");
        writeFileIfMissing("#!/bin/sh\n", empty, true);
        QCOMPARE(QFileInfo(empty).size(), 0);
        const QString fresh = m_dir + "/fresh";
        writeFileIfMissing("#!/bin/sh\n", fresh, true);
        QCOMPARE(test::readFile(fresh), QByteArray("#!/bin/sh\n"));
        QVERIFY(QFileInfo(fresh).permissions() & QFile::ExeOwner);
        QVERIFY_THROWS_EXCEPTION(Failure, writeFileIfMissing("x", m_dir + "/missing/tool"));
        QCOMPARE(QDir(m_dir).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    void desktopFolderEndsInOneSeparator()
    {
        const QString home = qEnvironmentVariable("HOME");
        QCOMPARE(desktopFolderPath(), home + "/");
        QDir().mkpath(home + "/Desktop");
        QCOMPARE(desktopFolderPath(), home + "/Desktop/");
    }
};

QTEST_MAIN(TestFileUtils)
#include "test_file_utils.moc"
