// checkOwnProgram: what may be run from {TEMP} when TEMP names a folder others can write.
#include "core/base/failure.h"
#include "core/files/temp_folder.h"
#include "support/test_env.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace lectorix;

class TestTempFolder : public QObject
{
    Q_OBJECT

private slots:
    void checkOwnProgram_data()
    {
        QTest::addColumn<QString>("kind"); // file, link, folder, missing
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("otherOwner");
        QTest::addColumn<QString>("refusal"); // empty: accepted
        QTest::newRow("own, owner only") << "file" << 0700 << false << QString();
        QTest::newRow("own, others may read and run") << "file" << 0755 << false << QString();
        QTest::newRow("group may write")
            << "file" << 0770 << false << "can be changed by other users";
        QTest::newRow("others may write")
            << "file" << 0702 << false << "can be changed by other users";
        QTest::newRow("another user's") << "file" << 0700 << true << "belongs to another user";
        QTest::newRow("symbolic link to an own file")
            << "link" << 0700 << false << "is not a regular file";
        QTest::newRow("folder") << "folder" << 0700 << false << "is not a regular file";
        QTest::newRow("missing: running it fails by itself")
            << "missing" << 0 << false << QString();
    }

    void checkOwnProgram()
    {
        QFETCH(QString, kind);
        QFETCH(int, mode);
        QFETCH(bool, otherOwner);
        QFETCH(QString, refusal);
        const QString temp = test::freshScratch();
        const QString path = temp + "/lame";
        const QByteArray native = QFile::encodeName(path);
        if (kind == "file" || kind == "link") {
            const QString file = test::writeFile(kind == "file" ? path : temp + "/target", "x");
            QVERIFY(::chmod(QFile::encodeName(file).constData(), mode_t(mode)) == 0);
            if (kind == "link")
                QVERIFY(QFile::link(file, path));
        } else if (kind == "folder") {
            QVERIFY(QDir().mkpath(path));
        }
        if (otherOwner && ::chown(native.constData(), 65534, 65534) != 0)
            QSKIP("only root can give a file to another user");

        try {
            lectorix::checkOwnProgram(path);
            QVERIFY2(refusal.isEmpty(), "accepted");
        } catch (const Failure& failure) {
            QCOMPARE(failure.description(), "The program " + path + " is refused because it " +
                                                refusal + ". Remove it and try again.");
        }
    }
};

QTEST_MAIN(TestTempFolder)
#include "test_temp_folder.moc"
