// `cmake --install` into a DESTDIR, checked with the tools a desktop and a distribution use.

#include "core/base/program_folder.h"
#include "packaging_support.h"
#include "support/audio_files.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QtEndian>
#include <QtTest>

using namespace lectorix;
using test::ProgramRun;

namespace {

const QString Prefix = QStringLiteral("/usr");

// "Key=Value" lines of a group of a desktop entry: its main group, or an action's.
QHash<QString, QString> desktopEntryKeys(const QString& path,
                                         const QString& group = QStringLiteral("Desktop Entry"))
{
    QHash<QString, QString> keys;
    const QStringList lines = QString::fromUtf8(test::readFile(path)).split(QLatin1Char('\n'));
    bool inGroup = false;
    for (const QString& line : lines) {
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line.trimmed() == QLatin1Char('[') + group + QLatin1Char(']');
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (inGroup && equals > 0 && !line.startsWith(QLatin1Char('#')))
            keys.insert(line.left(equals).trimmed(), line.mid(equals + 1).trimmed());
    }
    return keys;
}

QSet<QString> listValue(const QString& value)
{
    const QStringList items = value.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    return QSet<QString>(items.begin(), items.end());
}

// A manual page as a reader sees it: wide lines, so no option is broken across two.
ProgramRun renderManualPage(const QString& path)
{
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("MANWIDTH"), QStringLiteral("200"));
    environment.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    environment.insert(QStringLiteral("MAN_KEEP_FORMATTING"), QString());
    return test::runProgram(QStringLiteral("man"),
                            {QStringLiteral("--warnings"), QStringLiteral("-l"), path},
                            {.environment = environment});
}

// The options of a --help text's option table: "-o", "--output", "--list-voices", ...
QStringList optionsIn(const QString& help)
{
    static const QRegularExpression row(QStringLiteral("^ {2,8}(-[^ ].*?)(?: {2,}|$)"),
                                        QRegularExpression::MultilineOption);
    static const QRegularExpression option(QStringLiteral("--?[a-z][a-z-]*"));
    QStringList options;
    for (auto rows = row.globalMatch(help); rows.hasNext();)
        for (auto it = option.globalMatch(rows.next().captured(1)); it.hasNext();)
            options << it.next().captured();
    return options;
}

// The whole numbers a --help text gives after "Exit status:".
QStringList exitStatusesIn(const QString& help)
{
    const qsizetype start = help.indexOf(QStringLiteral("Exit status:"));
    const QString paragraph =
        start < 0 ? QString() : help.mid(start).section(QStringLiteral("\n\n"), 0, 0);
    static const QRegularExpression number(QStringLiteral("\\b(\\d+)\\b"));
    QStringList statuses;
    for (auto it = number.globalMatch(paragraph); it.hasNext();)
        statuses << it.next().captured(1);
    return statuses;
}

// The item headings of a section of a rendered page ("-o FILE, --output=FILE", "130"): a
// heading stands at column 7 with its text below or beside it at column 14.
QStringList itemsOfSection(const QString& page, const QString& heading)
{
    const QStringList lines = page.split(QLatin1Char('\n'));
    const qsizetype start = lines.indexOf(heading);
    if (start < 0)
        return {};
    static const QRegularExpression headingOnly(QStringLiteral("^ {7}(\\S.*)$"));
    static const QRegularExpression headingBeside(QStringLiteral("^ {7}(\\S(?:.{0,4}\\S)?) +\\S"));
    static const QRegularExpression text(QStringLiteral("^ {14}\\S"));
    QStringList items;
    for (qsizetype i = start + 1; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        if (!line.isEmpty() && !line.startsWith(QLatin1Char(' ')))
            break; // the next section
        const auto beside = headingBeside.match(line);
        if (beside.hasMatch() && beside.capturedEnd(0) == 15)
            items << beside.captured(1);
        else if (const auto only = headingOnly.match(line);
                 only.hasMatch() && i + 1 < lines.size() && text.match(lines.at(i + 1)).hasMatch())
            items << only.captured(1);
    }
    return items;
}

QSize pngSize(const QString& path)
{
    const QByteArray bytes = test::readFile(path);
    if (!bytes.startsWith("\x89PNG\r\n\x1a\n") || bytes.mid(12, 4) != "IHDR")
        return {};
    const auto* header = reinterpret_cast<const uchar*>(bytes.constData()) + 16;
    return QSize(int(qFromBigEndian<quint32>(header)), int(qFromBigEndian<quint32>(header + 4)));
}

} // namespace

class TestInstalledLayout : public QObject
{
    Q_OBJECT

    QString m_root;

    QString installed(const QString& relative) const
    {
        return m_root + Prefix + QLatin1Char('/') + relative;
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(!test::applicationId().isEmpty(), "resources/desktop holds one desktop entry");
        test::freshScratch();
        m_root = test::scratchFolder() + QStringLiteral("/root");
        const ProgramRun install = test::installInto(m_root, Prefix);
        QVERIFY2(install.succeeded(), install.said());
    }

    void everyFileIsInstalled_data()
    {
        QTest::addColumn<QString>("file");
        for (const QString& file : test::installedFiles())
            QTest::newRow(qPrintable(file)) << file;
    }

    void everyFileIsInstalled()
    {
        QFETCH(QString, file);
        const QFileInfo info(installed(file));
        QVERIFY2(info.isFile(), qPrintable(info.filePath()));
        QVERIFY(info.size() > 0);
        const bool program = file.startsWith(QLatin1String("bin/"));
        QCOMPARE(info.isExecutable(), program);
        QVERIFY(info.permissions() & QFile::ReadOther);
    }

    void iconsHaveTheirSizes_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("48 px") << 48;
        QTest::newRow("256 px") << 256;
    }

    void iconsHaveTheirSizes()
    {
        QFETCH(int, size);
        const QString icon = installed(QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png")
                                           .arg(size)
                                           .arg(test::applicationId()));
        QCOMPARE(pngSize(icon), QSize(size, size));
    }

    // The entry's action converts the files it is given to MP3 files beside them, as the
    // installed converter does, without a window.
    void desktopActionConverts()
    {
        REQUIRE_CORPUS();
        const QString entry =
            installed(QStringLiteral("share/applications/%1.desktop").arg(test::applicationId()));
        const QHash<QString, QString> main = desktopEntryKeys(entry);
        QCOMPARE(listValue(main.value(QStringLiteral("Actions"))),
                 QSet<QString>{QStringLiteral("ConvertToMp3")});
        const QHash<QString, QString> action =
            desktopEntryKeys(entry, QStringLiteral("Desktop Action ConvertToMp3"));
        QCOMPARE(action.value(QStringLiteral("Name")), QStringLiteral("Convert to MP3"));
        QStringList exec = action.value(QStringLiteral("Exec")).split(QLatin1Char(' '));
        QCOMPARE(exec.first(), QStringLiteral("lectorix-convert"));
        QCOMPARE(exec.last(), QStringLiteral("%F"));

        const QString folder = test::scratchFolder() + QStringLiteral("/action");
        const QString pdf = test::copyCorpusFile(QStringLiteral("french_diacritics.pdf"),
                                                 folder + QStringLiteral("/notes.pdf"));
        QVERIFY(!pdf.isEmpty());
        const QString program = installed(QStringLiteral("bin/") + exec.takeFirst());
        exec.last() = pdf;
        const ProgramRun run = test::runProgram(program, exec);
        QVERIFY2(run.succeeded(), run.said());
        const QString fault = test::mp3Fault(folder + QStringLiteral("/notes.mp3"));
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
    }

    // The menu entry passes the desktop's own check and "Open With" on a PDF or a text file
    // starts the installed program with that file.
    void desktopEntryIsValid()
    {
        const QString entry =
            installed(QStringLiteral("share/applications/%1.desktop").arg(test::applicationId()));
        const ProgramRun validate =
            test::runProgram(QStringLiteral("desktop-file-validate"), {entry});
        QVERIFY2(validate.succeeded(), validate.said());
        // Hints included: a menu shows an entry with two main categories twice.
        QVERIFY2(validate.said().trimmed().isEmpty(), validate.said());

        const QHash<QString, QString> keys = desktopEntryKeys(entry);
        const QStringList exec = keys.value(QStringLiteral("Exec")).split(QLatin1Char(' '));
        QCOMPARE(exec.size(), 2);
        QVERIFY2(QFileInfo(installed(QStringLiteral("bin/") + exec.first())).isExecutable(),
                 qPrintable(exec.first()));
        QVERIFY2(exec.last() == QLatin1String("%f") || exec.last() == QLatin1String("%F"),
                 "Exec takes the file opened with the program");
        QVERIFY(listValue(keys.value(QStringLiteral("MimeType")))
                    .contains({QStringLiteral("application/pdf"), QStringLiteral("text/plain")}));
        QVERIFY(listValue(keys.value(QStringLiteral("Categories")))
                    .contains({QStringLiteral("Utility"), QStringLiteral("Accessibility")}));
        // The icon it names is installed in every size.
        const QString icon = keys.value(QStringLiteral("Icon"));
        for (const QString& size :
             {QStringLiteral("scalable"), QStringLiteral("48x48"), QStringLiteral("256x256")}) {
            const QString file =
                installed(QStringLiteral("share/icons/hicolor/%1/apps/%2.%3")
                              .arg(size, icon,
                                   size == QLatin1String("scalable") ? QStringLiteral("svg")
                                                                     : QStringLiteral("png")));
            QVERIFY2(QFileInfo::exists(file), qPrintable(file));
        }
    }

    void metainfoIsValid()
    {
        const QString id = test::applicationId();
        const QString metainfo =
            installed(QStringLiteral("share/metainfo/%1.metainfo.xml").arg(id));
        const ProgramRun validate =
            test::runProgram(QStringLiteral("appstreamcli"),
                             {QStringLiteral("validate"), QStringLiteral("--no-net"), metainfo});
        QVERIFY2(validate.succeeded(), validate.said());
        const QString text = QString::fromUtf8(test::readFile(metainfo));
        QVERIFY(text.contains(
            QStringLiteral("<launchable type=\"desktop-id\">%1.desktop</launchable>").arg(id)));
        QVERIFY(
            QFileInfo::exists(installed(QStringLiteral("share/applications/%1.desktop").arg(id))));
        QVERIFY(text.contains(QStringLiteral("<release version=\"%1\"").arg(test::builtVersion())));
        QVERIFY(
            text.contains(QStringLiteral("<project_license>GPL-3.0-or-later</project_license>")));
    }

    // Published with its screenshots, the metainfo names each by its path below their web
    // address, and the picture is in resources/screenshots.
    void metainfoWithScreenshotsIsValid()
    {
        const QString id = test::applicationId();
        const QString output = test::scratchFolder() + QStringLiteral("/published.metainfo.xml");
        const QString base = QStringLiteral("https://lectorix.example/screenshots");
        const ProgramRun make = test::runProgram(
            QStringLiteral("cmake"),
            {QStringLiteral("-DTEMPLATE=%1/resources/desktop/%2.metainfo.xml.in")
                 .arg(test::sourceFolder(), id),
             QStringLiteral("-DOUTPUT=") + output, QStringLiteral("-DVERSION=1.2.3"),
             QStringLiteral("-DRELEASE_DATE=2030-01-31"),
             QStringLiteral("-DSCREENSHOT_BASE_URL=") + base + QLatin1Char('/'),
             QStringLiteral("-P"),
             test::sourceFolder() + QStringLiteral("/resources/desktop/make_metainfo.cmake")});
        QVERIFY2(make.succeeded(), make.said());
        const ProgramRun validate =
            test::runProgram(QStringLiteral("appstreamcli"),
                             {QStringLiteral("validate"), QStringLiteral("--no-net"), output});
        QVERIFY2(validate.succeeded(), validate.said());

        const QString text = QString::fromUtf8(test::readFile(output));
        static const QRegularExpression image(QStringLiteral("<image>([^<]*)</image>"));
        int images = 0;
        for (auto it = image.globalMatch(text); it.hasNext(); ++images) {
            const QString url = it.next().captured(1);
            QVERIFY2(url.startsWith(base + QLatin1Char('/')), qPrintable(url));
            const QString file = test::sourceFolder() + QStringLiteral("/resources/screenshots/") +
                                 url.mid(base.size() + 1);
            QVERIFY2(QFileInfo(file).isFile(), qPrintable(file));
        }
        QVERIFY(images > 0);
        QVERIFY(text.contains(QStringLiteral("<release version=\"1.2.3\" date=\"2030-01-31\"")));
    }

    void manualPagesRender_data()
    {
        QTest::addColumn<QString>("page");
        QTest::newRow("lectorix") << "lectorix";
        QTest::newRow("lectorix-convert") << "lectorix-convert";
    }

    void manualPagesRender()
    {
        QFETCH(QString, page);
        const ProgramRun man =
            renderManualPage(installed(QStringLiteral("share/man/man1/%1.1").arg(page)));
        QVERIFY2(man.succeeded(), man.said());
        QVERIFY2(man.errors().isEmpty(), qPrintable(man.errors()));
        for (const QString& section :
             {QStringLiteral("NAME"), QStringLiteral("SYNOPSIS"), QStringLiteral("DESCRIPTION"),
              QStringLiteral("OPTIONS"), QStringLiteral("EXIT STATUS"), QStringLiteral("SEE ALSO")})
            QVERIFY2(man.output().contains(QLatin1Char('\n') + section + QLatin1Char('\n')),
                     qPrintable(section));
        QVERIFY(man.output().contains(page + QStringLiteral(" - ")));
        QVERIFY(man.output().contains(QStringLiteral("Lectorix ") + test::builtVersion()));
    }

    // Every option and exit status --help of the installed program names has an entry of its
    // own on its page.
    void manualPagesCoverTheHelp_data() { manualPagesRender_data(); }

    void manualPagesCoverTheHelp()
    {
        QFETCH(QString, page);
        const ProgramRun help =
            test::runProgram(installed(QStringLiteral("bin/") + page), {QStringLiteral("--help")});
        QVERIFY2(help.succeeded(), help.said());
        const QString rendered =
            renderManualPage(installed(QStringLiteral("share/man/man1/%1.1").arg(page))).output();
        const QStringList options = optionsIn(help.output());
        QVERIFY(options.contains(QStringLiteral("--help")) &&
                options.contains(QStringLiteral("--version")));
        const QString optionItems = itemsOfSection(rendered, QStringLiteral("OPTIONS")).join('\n');
        for (const QString& option : options) {
            const QRegularExpression standing(QStringLiteral("(?:^|[\\s,])%1(?=[\\s,=]|$)")
                                                  .arg(QRegularExpression::escape(option)),
                                              QRegularExpression::MultilineOption);
            QVERIFY2(optionItems.contains(standing), qPrintable(option + " in\n" + optionItems));
        }
        const QStringList statuses = exitStatusesIn(help.output());
        QVERIFY2(statuses.contains(QStringLiteral("0")), qPrintable(help.output()));
        const QStringList listed = itemsOfSection(rendered, QStringLiteral("EXIT STATUS"));
        for (const QString& status : statuses)
            QVERIFY2(listed.contains(status), qPrintable(status + " in " + listed.join(',')));
    }

    void installedProgramsRun()
    {
        const ProgramRun convert = test::runProgram(
            installed(QStringLiteral("bin/lectorix-convert")), {QStringLiteral("--version")});
        QVERIFY2(convert.succeeded(), convert.said());
        QVERIFY(convert.output().startsWith(QStringLiteral("lectorix-convert (Lectorix) ") +
                                            test::builtVersion() + QLatin1Char('\n')));
        // The window program answers --version without a display.
        QProcessEnvironment noDisplay;
        noDisplay.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        noDisplay.insert(QStringLiteral("DISPLAY"), QStringLiteral(":none"));
        const ProgramRun window =
            test::runProgram(installed(QStringLiteral("bin/lectorix")),
                             {QStringLiteral("--version")}, {.environment = noDisplay});
        QVERIFY2(window.succeeded(), window.said());
        QVERIFY(window.output().startsWith(QStringLiteral("lectorix (Lectorix) ") +
                                           test::builtVersion() + QLatin1Char('\n')));
    }

    // Installed under any prefix, the program finds its sample document and about page beside
    // its own folder; the build tree finds them in itself.
    void programFindsItsData_data()
    {
        QTest::addColumn<QString>("prefix");
        QTest::newRow("/usr") << "/usr";
        QTest::newRow("/opt/lectorix") << "/opt/lectorix";
        QTest::newRow("a home folder") << "/home/reader/.local";
        QTest::newRow("build tree") << QString();
    }

    void programFindsItsData()
    {
        QFETCH(QString, prefix);
        QString programs = test::buildFolder();
        QString data = test::buildFolder();
        const QString root = test::freshScratch() + QStringLiteral("/../root");
        // Only a program that finds nothing falls back on the folder the tests name.
        qunsetenv("LECTORIX_PROGRAM_FOLDER");
        if (!prefix.isEmpty()) {
            const ProgramRun install = test::installInto(root, prefix);
            QVERIFY2(install.succeeded(), install.said());
            programs = QDir::cleanPath(root + prefix + QStringLiteral("/bin"));
            data = QDir::cleanPath(root + prefix + QStringLiteral("/share/lectorix"));
            QVERIFY(QFileInfo(programs + QStringLiteral("/lectorix")).isExecutable());
        }
        QCOMPARE(programFolderFor(programs), data);
        QVERIFY(test::readFile(data + QStringLiteral("/Samples/sample1.pdf")).startsWith("%PDF-"));
        QVERIFY(test::readFile(data + QStringLiteral("/about.html")).contains("<html"));
    }
};

QTEST_MAIN(TestInstalledLayout)
#include "test_installed_layout.moc"
