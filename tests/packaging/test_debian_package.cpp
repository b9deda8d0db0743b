// `make deb`: what the package holds, what it depends on, and what lintian says of it.

#include "packaging_support.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

using namespace lectorix;
using test::ProgramRun;

namespace {

// The package names of a Depends field, alternatives included, without versions.
QSet<QString> packageNames(const QString& field)
{
    QSet<QString> names;
    static const QRegularExpression separator(QStringLiteral("[,|]"));
    for (const QString& item : field.split(separator, Qt::SkipEmptyParts))
        names.insert(
            item.trimmed().section(QLatin1Char(' '), 0, 0).section(QLatin1Char(':'), 0, 0));
    return names;
}

// The shared libraries a program is linked against, by their file names.
QStringList neededLibraries(const QString& program)
{
    const ProgramRun readelf =
        test::runProgram(QStringLiteral("readelf"), {QStringLiteral("--dynamic"), program});
    static const QRegularExpression needed(QStringLiteral("\\(NEEDED\\).*\\[([^]]+)\\]"));
    QStringList libraries;
    for (auto it = needed.globalMatch(readelf.output()); it.hasNext();)
        libraries << it.next().captured(1);
    return libraries;
}

// The packages a package depends on, as installed here.
QSet<QString> dependenciesOf(const QString& package)
{
    return packageNames(test::runProgram(QStringLiteral("dpkg-query"),
                                         {QStringLiteral("--show"),
                                          QStringLiteral("--showformat=${Depends}"), package})
                            .output());
}

// The installed package that ships a shared library; empty when none does.
QString packageShipping(const QString& library)
{
    const ProgramRun cache = test::runProgram(QStringLiteral("ldconfig"), {QStringLiteral("-p")});
    const QRegularExpression entry(
        QStringLiteral("^\\s*%1 \\(.*\\) => (\\S+)$").arg(QRegularExpression::escape(library)),
        QRegularExpression::MultilineOption);
    const QString path = entry.match(cache.output()).captured(1);
    if (path.isEmpty())
        return QString();
    // With merged /usr a package may list the file under /lib or /usr/lib, by either name.
    const QString resolved = QFileInfo(path).canonicalFilePath();
    for (const QString& candidate :
         {path, QStringLiteral("/usr") + path, resolved, QStringLiteral("/usr") + resolved}) {
        const ProgramRun search =
            test::runProgram(QStringLiteral("dpkg"), {QStringLiteral("-S"), candidate});
        if (search.succeeded())
            return search.output().section(QLatin1Char(':'), 0, 0).trimmed();
    }
    return QString();
}

} // namespace

class TestDebianPackage : public QObject
{
    Q_OBJECT

    QString m_package;

    QString field(const QString& name) const
    {
        return test::runProgram(QStringLiteral("dpkg-deb"),
                                {QStringLiteral("--field"), m_package, name})
            .output()
            .trimmed();
    }

private slots:
    void initTestCase()
    {
        if (!test::toolInstalled(QStringLiteral("dpkg-deb")))
            QSKIP("dpkg-deb is not installed: no Debian package can be built on this machine");
        test::freshScratch();
        const QString output = test::scratchFolder() + QStringLiteral("/packages");
        const ProgramRun make =
            test::runProgram(test::sourceFolder() + QStringLiteral("/tools/make-deb.sh"),
                             {test::buildFolder(), output});
        QVERIFY2(make.succeeded(), make.said());
        m_package = make.output().trimmed().section(QLatin1Char('\n'), -1);
        QVERIFY2(QFileInfo(m_package).isFile(), qPrintable(m_package));
        QCOMPARE(QFileInfo(m_package).absolutePath(), QDir(output).absolutePath());
    }

    // Everything `cmake --install` puts under its prefix, in /usr, manual pages compressed as
    // Debian wants them; nothing outside /usr.
    void holdsTheInstallation()
    {
        const ProgramRun contents =
            test::runProgram(QStringLiteral("dpkg-deb"), {QStringLiteral("--contents"), m_package});
        QVERIFY2(contents.succeeded(), contents.said());
        QStringList paths;
        for (const QString& line : contents.output().split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            paths << line.section(QLatin1Char(' '), -1);
        for (const QString& path : paths)
            QVERIFY2(path.startsWith(QLatin1String("./usr/")), qPrintable(path));
        for (QString file : test::installedFiles()) {
            if (file.startsWith(QLatin1String("share/man/")))
                file += QStringLiteral(".gz");
            QVERIFY2(paths.contains(QStringLiteral("./usr/") + file), qPrintable(file));
        }
    }

    void describesItself()
    {
        QCOMPARE(field(QStringLiteral("Package")), QStringLiteral("lectorix"));
        QCOMPARE(field(QStringLiteral("Version")), test::builtVersion());
        const ProgramRun architecture =
            test::runProgram(QStringLiteral("dpkg"), {QStringLiteral("--print-architecture")});
        QCOMPARE(field(QStringLiteral("Architecture")), architecture.output().trimmed());
        QVERIFY(!field(QStringLiteral("Description")).isEmpty());
    }

    // Installing the package brings everything the programs need: the package of every
    // library they link, the voices, and the tools they run.
    void dependsOnWhatTheProgramsNeed()
    {
        const QSet<QString> depends = packageNames(field(QStringLiteral("Depends")));
        for (const QString& tool : {QStringLiteral("espeak-ng-data"),
                                    QStringLiteral("poppler-utils"), QStringLiteral("lame")})
            QVERIFY2(depends.contains(tool), qPrintable(tool));
        int libraries = 0;
        for (const QString& program :
             {QStringLiteral("lectorix"), QStringLiteral("lectorix-convert")}) {
            for (const QString& library :
                 neededLibraries(test::buildFolder() + QLatin1Char('/') + program)) {
                const QString package = packageShipping(library);
                QVERIFY2(!package.isEmpty(), qPrintable(library));
                // Named itself, or brought by a package that is named (libtag1v5 brings
                // libtag1v5-vanilla, which holds the library).
                bool brought = depends.contains(package);
                for (auto it = depends.begin(); !brought && it != depends.end(); ++it)
                    brought = dependenciesOf(*it).contains(package);
                QVERIFY2(brought, qPrintable(library + " of " + package));
                ++libraries;
            }
        }
        QVERIFY(libraries > 0);
        for (const QString& runtime :
             {QStringLiteral("libqt6widgets6"), QStringLiteral("libespeak-ng1"),
              QStringLiteral("libpulse0"), QStringLiteral("libtag1v5")})
            QVERIFY2(depends.contains(runtime), qPrintable(runtime));
    }

    // What a fresh system may lack and the programs use when it is there; each is named to
    // the user when it is missing.
    void recommendsWhatAFreshSystemLacks_data()
    {
        QTest::addColumn<QString>("package");
        QTest::newRow("a sound server to read aloud") << QStringLiteral("pulseaudio");
        QTest::newRow("CJK fonts' text for pdftotext") << QStringLiteral("poppler-data");
        QTest::newRow("xdg-open for folders and web pages") << QStringLiteral("xdg-utils");
        QTest::newRow("tesseract to recognise scanned pages") << QStringLiteral("tesseract-ocr");
        QTest::newRow("ffmpeg for M4B and Opus") << QStringLiteral("ffmpeg");
    }

    void recommendsWhatAFreshSystemLacks()
    {
        QFETCH(QString, package);
        const QSet<QString> recommends = packageNames(field(QStringLiteral("Recommends")));
        QVERIFY2(recommends.contains(package), qPrintable(field(QStringLiteral("Recommends"))));
        QVERIFY(!packageNames(field(QStringLiteral("Depends"))).contains(package));
    }

    void lintianFindsNoFault()
    {
        if (!test::toolInstalled(QStringLiteral("lintian")))
            QFAIL("lintian is not installed (make test installs it)");
        const ProgramRun lintian = test::runProgram(QStringLiteral("lintian"), {m_package});
        QStringList faults;
        for (const QString& line : lintian.output().split(QLatin1Char('\n')))
            if (line.startsWith(QLatin1String("E: ")) || line.startsWith(QLatin1String("W: ")))
                faults << line;
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
        QVERIFY2(lintian.succeeded(), lintian.said());
    }
};

QTEST_MAIN(TestDebianPackage)
#include "test_debian_package.moc"
