// lectorix-convert end to end: the real program on real PDFs and text files, with the real
// pdftotext, espeak-ng and lame, judged by its exit status, its messages and the files it
// leaves. Standard input and standard error are pipes here, so it never shows progress or
// asks for a password.
#include "converter_run.h"
#include "support/audio_probe.h"

#include "core/settings/settings.h"
#include "core/settings/settings_keys.h"

#include <QRegularExpression>
#include <QtTest>

using namespace lectorix;
using namespace lectorix::test;

namespace {

const QString TextPdf = QStringLiteral("french_diacritics.pdf");
const QString LockedPdf = QStringLiteral("libreoffice-writer-password.pdf");
const QString LockedPdfPassword = QStringLiteral("openpassword");

const QByteArray SentenceUtf8 = "Caf\xc3\xa9 cr\xc3\xa8me, d\xc3\xa9j\xc3\xa0 vu: na\xc3\xafve "
                                "fa\xc3\xa7"
                                "ade.\n";
const QByteArray SentenceWindows1252 = "Caf\xe9 cr\xe8me, d\xe9j\xe0 vu: na\xefve fa\xe7"
                                       "ade.\n";

QStringList lines(const QByteArray& text)
{
    return QString::fromUtf8(text).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QStringList sorted(QStringList names)
{
    names.sort();
    return names;
}

QStringList converterMessages(const QByteArray& standardError)
{
    return lines(standardError).filter(QRegularExpression(QStringLiteral("^lectorix-convert: ")));
}

} // namespace

class TestConvert : public ConverterTestCase
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(makeFolders()); }
    void cleanup() { QCOMPARE(leftInTemp(), QStringList()); }

    void textPdfBesideItself()
    {
        REQUIRE_CONVERTER_AND_CORPUS();
        QVERIFY(!copyCorpusFile(TextPdf, m_folder + "/Diacritics.pdf").isEmpty());

        const ConverterRun run = runConverter({"Diacritics.pdf"}, m_folder);

        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.standardOutput, QByteArray());
        QCOMPARE(run.standardError, QByteArray()); // no terminal: no progress line
        QCOMPARE(mp3Fault(m_folder + "/Diacritics.mp3"), QString());
        QCOMPARE(folderEntries(m_folder), QStringList({"Diacritics.mp3", "Diacritics.pdf"}));
    }

    // Text files and standard input are read as UTF-8, or as Windows-1252 when not valid
    // UTF-8: the same sentence in either form gives the same speech, byte for byte.
    void textInputs_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("fileName"); // written with fileBytes; empty: none
        QTest::addColumn<QByteArray>("fileBytes");
        QTest::addColumn<QByteArray>("standardInput");
        QTest::addColumn<QString>("output");

        QTest::newRow("UTF-8 file, MP3 beside it") << QStringList{"notes.txt"} << "notes.txt"
                                                   << SentenceUtf8 << QByteArray() << "notes.mp3";
        QTest::newRow("UTF-8 file with a byte-order mark")
            << QStringList{"bom.txt"} << "bom.txt"
            << "\xef\xbb\xbf" + SentenceUtf8 << QByteArray() << "bom.mp3";
        QTest::newRow("Windows-1252 file, upper-case extension")
            << QStringList{"old.TXT"} << "old.TXT" << SentenceWindows1252 << QByteArray()
            << "old.mp3";
        QTest::newRow("standard input into the current folder")
            << QStringList{"-"} << "" << QByteArray() << SentenceUtf8 << "stdin.mp3";
        QTest::newRow("standard input in Windows-1252 into a folder")
            << QStringList{"-d", "out", "-"} << "" << QByteArray() << SentenceWindows1252
            << "out/stdin.mp3";
        QTest::newRow("named output in a folder with a blank")
            << QStringList{"-o", "sub dir/speech.mp3", "notes.txt"} << "notes.txt" << SentenceUtf8
            << QByteArray() << "sub dir/speech.mp3";
    }

    void textInputs()
    {
        REQUIRE_CONVERTER_AND_CORPUS();
        QFETCH(QStringList, arguments);
        QFETCH(QString, fileName);
        QFETCH(QByteArray, fileBytes);
        QFETCH(QByteArray, standardInput);
        QFETCH(QString, output);
        const QString reference = QFileInfo(m_temp).path() + "/reference";
        writeFile(reference + "/sentence.txt", SentenceUtf8);
        QCOMPARE(runConverter({"-o", "sentence.mp3", "sentence.txt"}, reference).exitCode, 0);
        if (!fileName.isEmpty())
            writeFile(m_folder + '/' + fileName, fileBytes);
        QDir(m_folder).mkpath("out");
        QDir(m_folder).mkpath("sub dir");

        const ConverterRun run = runConverter(arguments, m_folder, standardInput);

        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.standardError, QByteArray());
        QCOMPARE(mp3Fault(m_folder + '/' + output), QString());
        // The same sound; the tags name each input by its own name.
        QVERIFY(withoutTag(readFile(m_folder + '/' + output)) ==
                withoutTag(readFile(reference + "/sentence.mp3")));
    }

    // One input of three fails: it is named with its reason, the other two are converted,
    // and the exit status says that something failed. The failed input leaves no file.
    void failedInputInBatch_data()
    {
        QTest::addColumn<QString>("failing");
        // What failing is: "corpus:FILE" a copy of a corpus file, "text:CONTENT" a text file,
        // "folder" a folder, "blocked" a good PDF whose MP3 path is taken by a folder, or
        // nothing at all.
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QByteArray>("password"); // into a password file; empty: none
        QTest::addColumn<QString>("reason");

        QTest::newRow("scanned") << "scan.pdf"
                                 << "corpus:c02-22.pdf" << QByteArray()
                                 << "no text layer (a scanned document?)";
        QTest::newRow("damaged") << "broken.pdf"
                                 << "corpus:invalid.pdf" << QByteArray()
                                 << "damaged, or its text is protected";
        QTest::newRow("no pages") << "empty.pdf"
                                  << "corpus:qpdf_empty.pdf" << QByteArray()
                                  << "damaged, or its text is protected";
        QTest::newRow("missing PDF") << "gone.pdf"
                                     << "" << QByteArray() << "missing";
        QTest::newRow("missing text file") << "gone.txt"
                                           << "" << QByteArray() << "missing";
        QTest::newRow("text file with only blanks") << "blank.txt"
                                                    << "text: \t\n \n"
                                                    << QByteArray() << "no text to read";
        QTest::newRow("a folder") << "shelf.pdf"
                                  << "folder" << QByteArray() << "is a folder, not a document";
        QTest::newRow("needs a password, none given and no terminal to ask on")
            << "locked.pdf"
            << "corpus:" + LockedPdf << QByteArray() << "needs a password";
        QTest::newRow("wrong password")
            << "locked.pdf"
            << "corpus:" + LockedPdf << QByteArray("nope\n") << "wrong password";
        QTest::newRow("output path taken by a folder")
            << "blocked.pdf"
            << "blocked" << QByteArray() << "cannot write the output: ";
    }

    void failedInputInBatch()
    {
        REQUIRE_CONVERTER_AND_CORPUS();
        QFETCH(QString, failing);
        QFETCH(QString, setup);
        QFETCH(QByteArray, password);
        QFETCH(QString, reason);
        const QString failingPath = m_folder + '/' + failing;
        const QString failingMp3 = QFileInfo(failing).completeBaseName() + ".mp3";
        QVERIFY(!copyCorpusFile(TextPdf, m_folder + "/first.pdf").isEmpty());
        writeFile(m_folder + "/last.txt", SentenceUtf8);
        QStringList expected{"first.mp3", "first.pdf", "last.mp3", "last.txt"};
        if (setup.startsWith("corpus:"))
            QVERIFY(!copyCorpusFile(setup.mid(7), failingPath).isEmpty());
        else if (setup.startsWith("text:"))
            writeFile(failingPath, setup.mid(5).toUtf8());
        else if (setup == "folder")
            QVERIFY(QDir().mkpath(failingPath));
        else if (setup == "blocked")
            QVERIFY(!copyCorpusFile(TextPdf, failingPath).isEmpty() &&
                    QDir(m_folder).mkdir(failingMp3));
        if (!setup.isEmpty())
            expected << failing;
        if (setup == "blocked")
            expected << failingMp3;
        // Without recognition, as the scan is to fail.
        QStringList arguments{"--ocr=never", "first.pdf", failing, "last.txt"};
        if (!password.isEmpty()) {
            const QString passwordFile = QFileInfo(m_temp).path() + "/password";
            writeFile(passwordFile, password);
            arguments.prepend("--password-file=" + passwordFile);
        }

        const ConverterRun run = runConverter(arguments, m_folder);

        QCOMPARE(run.exitCode, 1);
        const QStringList messages = converterMessages(run.standardError);
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages.first().startsWith("lectorix-convert: '" + failing + "': " + reason),
                 qPrintable(messages.first()));
        QCOMPARE(mp3Fault(m_folder + "/first.mp3"), QString());
        QCOMPARE(mp3Fault(m_folder + "/last.mp3"), QString());
        QCOMPARE(folderEntries(m_folder), sorted(expected));
        if (setup == "blocked")
            QCOMPARE(folderEntries(m_folder + '/' + failingMp3), QStringList());
    }

    // Standard input is named as such in messages.
    void emptyStandardInput()
    {
        REQUIRE_CONVERTER_AND_CORPUS();
        const ConverterRun run = runConverter({"-"}, m_folder, "\n  \n");
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(converterMessages(run.standardError),
                 QStringList("lectorix-convert: standard input: no text to read"));
        QCOMPARE(folderEntries(m_folder), QStringList());
    }

    void passwords_data()
    {
        QTest::addColumn<QByteArray>("passwordFile"); // null: no --password-file
        QTest::addColumn<QByteArray>("environment");  // null: LECTORIX_PDF_PASSWORD unset
        QTest::addColumn<QString>("reason");          // empty: converted

        const QByteArray right = LockedPdfPassword.toUtf8();
        QTest::newRow("file") << right + "\n" << QByteArray() << "";
        QTest::newRow("file, Windows line break and more lines") << right + "\r\nsecond line\n"
                                                                 << QByteArray() << "";
        QTest::newRow("environment") << QByteArray() << right << "";
        QTest::newRow("file before environment") << right + "\n" << QByteArray("nope") << "";
        QTest::newRow("wrong in the file")
            << QByteArray("nope\n") << QByteArray() << "wrong password";
        QTest::newRow("trailing blank is part of the password") << right + " \n"
                                                                << QByteArray() << "wrong password";
        QTest::newRow("empty environment gives none")
            << QByteArray() << QByteArray("") << "needs a password";
    }

    void passwords()
    {
        REQUIRE_CONVERTER_AND_CORPUS();
        QFETCH(QByteArray, passwordFile);
        QFETCH(QByteArray, environment);
        QFETCH(QString, reason);
        QVERIFY(!copyCorpusFile(LockedPdf, m_folder + "/locked.pdf").isEmpty());
        QStringList arguments{"locked.pdf"};
        if (!passwordFile.isNull()) {
            writeFile(QFileInfo(m_temp).path() + "/secret", passwordFile);
            arguments << "--password-file" << QFileInfo(m_temp).path() + "/secret";
        }
        QProcessEnvironment variables;
        if (!environment.isNull())
            variables.insert("LECTORIX_PDF_PASSWORD", QString::fromUtf8(environment));

        const ConverterRun run = runConverter(arguments, m_folder, QByteArray(), variables);

        if (reason.isEmpty()) {
            QCOMPARE(run.exitCode, 0);
            QCOMPARE(run.standardError, QByteArray());
            QCOMPARE(mp3Fault(m_folder + "/locked.mp3"), QString());
        } else {
            QCOMPARE(run.exitCode, 1);
            QCOMPARE(converterMessages(run.standardError),
                     QStringList("lectorix-convert: 'locked.pdf': " + reason));
            QCOMPARE(folderEntries(m_folder), QStringList("locked.pdf"));
        }
        QVERIFY(!run.standardError.contains(LockedPdfPassword.toUtf8()));
    }

    // Names that a shell would expand, split or run, and names that look like options, are
    // plain file names to the converter and its tools.
    void hostileNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("folder"); // -d folder; empty: beside the input
        QTest::addColumn<bool>("afterDoubleDash");

        const auto row = [](const char* title, const QString& name, const QString& folder = {},
                            bool afterDoubleDash = false) {
            QTest::newRow(title) << name << folder << afterDoubleDash;
        };
        row("quotes", "it's \"quoted\".pdf");
        row("command substitution", "$(touch PWNED).pdf");
        row("backticks", "`touch PWNED`.pdf");
        row("semicolons and ampersands", "a;touch PWNED&b.pdf");
        row("line break", "line\nbreak.pdf");
        row("tab and blanks", "tab\tand  blanks .pdf");
        row("glob characters", "star*question?[ab].pdf");
        row("backslash and percent signs", "back\\slash %s%n.pdf");
        row("letters beyond ASCII", QString::fromUtf8("Ünïcødé 日本語.pdf"));
        row("leading dash after --", "-leading dash.pdf", {}, true);
        row("option name after --", "--help.pdf", {}, true);
        row("hostile output folder", "plain.pdf", "out $(touch PWNED)\n'x'", false);
        row("leading dash into a folder", "-o.pdf", "-d", true);
    }

    void hostileNames()
    {
        REQUIRE_CONVERTER_AND_CORPUS();
        QFETCH(QString, name);
        QFETCH(QString, folder);
        QFETCH(bool, afterDoubleDash);
        QVERIFY(!copyCorpusFile(TextPdf, m_folder + '/' + name).isEmpty());
        QStringList arguments;
        if (!folder.isEmpty()) {
            QVERIFY(QDir(m_folder).mkdir(folder));
            arguments << "--directory=" + folder;
        }
        if (afterDoubleDash)
            arguments << "--";
        arguments << name;

        const ConverterRun run = runConverter(arguments, m_folder);

        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.standardError, QByteArray());
        const QString mp3 = name.chopped(4) + ".mp3";
        if (folder.isEmpty()) {
            QCOMPARE(mp3Fault(m_folder + '/' + mp3), QString());
            QCOMPARE(folderEntries(m_folder), sorted({name, mp3}));
        } else {
            QCOMPARE(mp3Fault(m_folder + '/' + folder + '/' + mp3), QString());
            QCOMPARE(folderEntries(m_folder + '/' + folder), QStringList(mp3));
            QCOMPARE(folderEntries(m_folder), sorted({name, folder}));
        }
    }

    // A name in a message can neither break it into several lines nor steer the terminal.
    void hostileNameInMessage()
    {
        REQUIRE_CONVERTER_AND_CORPUS();
        const ConverterRun run = runConverter({"--", "-x\n\x1b[31m$(id).pdf"}, m_folder);
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(converterMessages(run.standardError),
                 QStringList("lectorix-convert: '-x\\n\\u001b[31m$(id).pdf': missing"));
        QVERIFY(!run.standardError.contains('\x1b'));
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("standardError");

        const QString tryHelp = "Try 'lectorix-convert --help' for more information.\n";
        QTest::newRow("unknown option")
            << QStringList{"--bogus", "doc.pdf"} << 2
            << "lectorix-convert: unrecognized option '--bogus'\n" + tryHelp;
        QTest::newRow("password as an argument")
            << QStringList{"--password", "s3cret", "doc.pdf"} << 2
            << "lectorix-convert: passwords are not taken as arguments, where other users can "
               "see them; use --password-file=FILE or the LECTORIX_PDF_PASSWORD environment "
               "variable\n" +
                   tryHelp;
        QTest::newRow("unknown voice") << QStringList{"--voice=no-such-voice", "doc.pdf"} << 2
                                       << "lectorix-convert: unknown voice 'no-such-voice'\nTry "
                                          "'lectorix-convert --list-voices' "
                                          "for the installed voices.\n";
        QTest::newRow("unreadable password file")
            << QStringList{"--password-file=no such file", "doc.pdf"} << 2
            << "lectorix-convert: cannot read the password file 'no such file': No such file or "
               "directory\n" +
                   tryHelp;
        QTest::newRow("two inputs onto one output")
            << QStringList{"doc.pdf", "doc.txt"} << 2
            << "lectorix-convert: 'doc.pdf' and 'doc.txt' would both be written to 'doc.mp3'\n" +
                   tryHelp;
        QTest::newRow("output over the input")
            << QStringList{"-o", "./doc.pdf", "doc.pdf"} << 2
            << "lectorix-convert: the MP3 of 'doc.pdf' would replace the input itself\n" + tryHelp;
        QTest::newRow("unknown format")
            << QStringList{"--format=wav", "doc.pdf"} << 2
            << "lectorix-convert: invalid format 'wav': give mp3, m4b or opus\n" + tryHelp;
        QTest::newRow("output folder missing")
            << QStringList{"-d", "nowhere", "doc.pdf"} << 1
            << "lectorix-convert: cannot write into 'nowhere': no such folder\n";
    }

    // Nothing is converted and nothing written when the command line is wrong.
    void usageErrors()
    {
        REQUIRE_CONVERTER_AND_CORPUS();
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, standardError);
        QVERIFY(!copyCorpusFile(TextPdf, m_folder + "/doc.pdf").isEmpty());
        writeFile(m_folder + "/doc.txt", SentenceUtf8);

        const ConverterRun run = runConverter(arguments, m_folder);

        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(QString::fromUtf8(run.standardError), standardError);
        QCOMPARE(run.standardOutput, QByteArray());
        QCOMPARE(folderEntries(m_folder), QStringList({"doc.pdf", "doc.txt"}));
    }

    // Each format's file is named after it, decodes, and carries the PDF's first page as its
    // cover unless --no-cover says otherwise; a first page that cannot be rendered costs the
    // cover, not the file, and the renderer's complaint stays out of the converter's messages.
    void formatsAndCover_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("renderable");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("codec");
        QTest::addColumn<bool>("cover");
        QTest::newRow("MP3 with its cover") << QStringList() << true << "Diacritics.mp3"
                                            << "mp3" << true;
        QTest::newRow("MP3, no cover") << QStringList{"--no-cover"} << true << "Diacritics.mp3"
                                       << "mp3" << false;
        QTest::newRow("M4B with its cover")
            << QStringList{"--format=m4b"} << true << "Diacritics.m4b"
            << "aac" << true;
        QTest::newRow("Opus, no cover")
            << QStringList{"--format", "opus", "--no-cover"} << true << "Diacritics.opus"
            << "opus" << false;
        QTest::newRow("M4B, page that cannot be rendered")
            << QStringList{"--format=m4b"} << false << "Diacritics.m4b"
            << "aac" << false;
    }

    void formatsAndCover()
    {
        REQUIRE_CONVERTER_AND_CORPUS();
        QFETCH(QStringList, options);
        QFETCH(bool, renderable);
        QFETCH(QString, output);
        QFETCH(QString, codec);
        QFETCH(bool, cover);
        QVERIFY(!copyCorpusFile(TextPdf, m_folder + "/Diacritics.pdf").isEmpty());
        QProcessEnvironment environment;
        if (!renderable) {
            const QString tools = QFileInfo(m_temp).path() + "/tools";
            writeFile(tools + "/pdftoppm",
                      "#!/bin/sh\necho 'Syntax Error: no page' >&2\nexit 99\n");
            QFile::setPermissions(tools + "/pdftoppm", QFileDevice::Permissions(0x7700));
            environment.insert("PATH", tools + ':' + qEnvironmentVariable("PATH"));
        }

        const ConverterRun run =
            runConverter(options + QStringList{"Diacritics.pdf"}, m_folder, {}, environment);

        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.standardError, QByteArray());
        QCOMPARE(folderEntries(m_folder), QStringList({output, "Diacritics.pdf"}));
        QCOMPARE(decodingFault(m_folder + '/' + output), QString());
        const std::optional<ProbedAudio> probed = probeAudio(m_folder + '/' + output);
        QVERIFY(probed);
        QCOMPARE(probed->codec, codec);
        QCOMPARE(probed->hasCover, cover);
    }

    void helpAndVersion()
    {
        REQUIRE_CONVERTER_AND_CORPUS();
        const ConverterRun help = runConverter({"--help", "--bogus"}, m_folder);
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.standardOutput.startsWith("Usage: lectorix-convert [OPTION]... INPUT...\n"));
        QCOMPARE(help.standardError, QByteArray());
        for (const QString& line : lines(help.standardOutput))
            QVERIFY2(line.size() < 80, qPrintable("wider than a terminal: " + line));

        const ConverterRun version = runConverter({"--version"}, m_folder);
        QCOMPARE(version.exitCode, 0);
        QCOMPARE(version.standardError, QByteArray());
        const QString cmake = QString::fromUtf8(readFile(LECTORIX_SOURCE_DIR "/CMakeLists.txt"));
        const QString projectVersion =
            QRegularExpression(R"(project\(lectorix VERSION ([0-9.]+))").match(cmake).captured(1);
        QVERIFY(!projectVersion.isEmpty());
        const QStringList versionLines = lines(version.standardOutput);
        QCOMPARE(versionLines.value(0), "lectorix-convert (Lectorix) " + projectVersion);
        QVERIFY(versionLines.contains("License GPLv3+: GNU GPL version 3 or later "
                                      "<https://gnu.org/licenses/gpl.html>."));
    }

    // Output that could not be written is a failure, as GNU programs treat it.
    void helpIntoFullDevice()
    {
        REQUIRE_CONVERTER_AND_CORPUS();
        if (!QFileInfo::exists("/dev/full"))
            QSKIP("no /dev/full on this system");
        QProcess process;
        process.setStandardOutputFile("/dev/full");
        process.start(converterProgram(), {"--help"});
        QVERIFY(process.waitForFinished());
        QCOMPARE(process.exitCode(), 1);
        QCOMPARE(process.readAllStandardError(),
                 QByteArray("lectorix-convert: write error on standard output\n"));
    }

    void listVoices()
    {
        REQUIRE_CONVERTER_AND_CORPUS();
        const ConverterRun run = runConverter({"--list-voices"}, m_folder);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.standardError, QByteArray());
        const QStringList listed = lines(run.standardOutput);
        QVERIFY(listed.size() > 1);
        QSet<QString> identifiers;
        for (const QString& line : listed) {
            const QStringList fields = line.split('\t');
            QCOMPARE(fields.size(), 3);
            QVERIFY2(!fields[0].isEmpty() && !fields[1].isEmpty() && !fields[2].isEmpty(),
                     qPrintable(line));
            identifiers.insert(fields[0]);
        }
        QCOMPARE(identifiers.size(), listed.size());
        // The language comes from the voice data, not from the identifier's spelling.
        QVERIFY2(listed.contains("gmw/en-US\ten-us\tEnglish (America)"),
                 run.standardOutput.constData());
    }

    // Without options, voice, volume and rate are what the window would start with: its
    // stored choices, else its first-start ones. The MP3 is then the same, byte for byte, as
    // with those choices given as options.
    void savedChoicesAreDefaults_data()
    {
        QTest::addColumn<QString>("storedVolume"); // empty: not stored
        QTest::addColumn<QString>("storedRate");
        QTest::addColumn<QString>("storedVoice");
        QTest::addColumn<QStringList>("given");      // options of the run that relies on defaults
        QTest::addColumn<QStringList>("spelledOut"); // {voice N}: identifier of the Nth voice

        QTest::newRow("first start")
            << ""
            << ""
            << "" << QStringList() << QStringList{"--volume=50", "--rate=-3", "--voice={voice 0}"};
        QTest::newRow("stored choices, rounded as the window rounds them")
            << "80"
            << "2.5"
            << "1" << QStringList() << QStringList{"--volume=80", "--rate=2", "--voice={voice 1}"};
        QTest::newRow("stored volume the window refuses")
            << "150"
            << "9"
            << "" << QStringList() << QStringList{"--volume=50", "--rate=9", "--voice={voice 0}"};
        QTest::newRow("options win over stored choices")
            << "0"
            << "-10"
            << "1" << QStringList{"--volume=100", "--voice={voice 0}"}
            << QStringList{"--volume=100", "--rate=-10", "--voice={voice 0}"};
    }

    void savedChoicesAreDefaults()
    {
        REQUIRE_CONVERTER_AND_CORPUS();
        QFETCH(QString, storedVolume);
        QFETCH(QString, storedRate);
        QFETCH(QString, storedVoice);
        QFETCH(QStringList, given);
        QFETCH(QStringList, spelledOut);
        const QStringList voices = lines(runConverter({"--list-voices"}, m_folder).standardOutput);
        QVERIFY(voices.size() >= 2);
        for (QStringList* arguments : {&given, &spelledOut})
            for (int i = 0; i < 2; ++i)
                arguments->replaceInStrings(QString("{voice %1}").arg(i),
                                            voices[i].section('\t', 0, 0));
        if (!storedVolume.isEmpty())
            writeSetting(keys::Volume, storedVolume);
        if (!storedRate.isEmpty())
            writeSetting(keys::Rate, storedRate);
        if (!storedVoice.isEmpty())
            writeSetting(keys::Voice, storedVoice);

        const ConverterRun byDefault =
            runConverter(given + QStringList{"-o", "default.mp3", "-"}, m_folder, SentenceUtf8);
        const ConverterRun byOptions = runConverter(
            spelledOut + QStringList{"-o", "options.mp3", "-"}, m_folder, SentenceUtf8);

        QCOMPARE(byDefault.exitCode, 0);
        QCOMPARE(byOptions.exitCode, 0);
        QCOMPARE(mp3Fault(m_folder + "/default.mp3"), QString());
        QVERIFY(readFile(m_folder + "/default.mp3") == readFile(m_folder + "/options.mp3"));
    }

    // The voice is found by its identifier and, leniently, by its name in any letter case.
    void voiceByName()
    {
        REQUIRE_CONVERTER_AND_CORPUS();
        const ConverterRun byIdentifier = runConverter(
            {"--voice", "gmw/en-US", "-o", "identifier.mp3", "-"}, m_folder, SentenceUtf8);
        const ConverterRun byName = runConverter(
            {"--voice=ENGLISH (america)", "-o", "name.mp3", "-"}, m_folder, SentenceUtf8);
        const ConverterRun other =
            runConverter({"--voice", "gmw/en", "-o", "other.mp3", "-"}, m_folder, SentenceUtf8);
        QCOMPARE(byIdentifier.exitCode, 0);
        QCOMPARE(byName.exitCode, 0);
        QCOMPARE(other.exitCode, 0);
        QVERIFY(readFile(m_folder + "/name.mp3") == readFile(m_folder + "/identifier.mp3"));
        QVERIFY(readFile(m_folder + "/other.mp3") != readFile(m_folder + "/identifier.mp3"));
    }

    void volumeAndRateReachTheSound()
    {
        REQUIRE_CONVERTER_AND_CORPUS();
        if (mpg123Program().isEmpty())
            QSKIP("mpg123 is needed to decode the MP3 files");
        const auto sound = [this](const QStringList& options, const QString& name) {
            runConverter(options + QStringList{"-o", name, "-"}, m_folder, SentenceUtf8);
            return decodeMp3(m_folder + '/' + name).value_or(DecodedSound());
        };
        const DecodedSound silent = sound({"--volume=0", "--rate=0"}, "silent.mp3");
        const DecodedSound full = sound({"--volume=100", "--rate=0"}, "full.mp3");
        const DecodedSound fast = sound({"--volume=100", "--rate=10"}, "fast.mp3");
        QVERIFY(silent.samples > 0 && full.samples > 0 && fast.samples > 0);
        QCOMPARE(silent.peak, 0);
        QVERIFY2(full.peak > 3000, qPrintable(QString::number(full.peak)));
        // 3^(10/10): a third of the time, with some allowance for pauses.
        const double ratio = double(fast.samples) / double(full.samples);
        QVERIFY2(ratio > 0.25 && ratio < 0.5, qPrintable(QString::number(ratio)));
    }

    // The pauses come from the options, else from the window's saved choices, and are heard
    // in the MP3 as set; the voice per language is left off by --one-voice or by the saved
    // choice, and a Russian sentence is then spelled out by the English voice, far longer.
    void speechChoices_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("saved"); // key=value
        QTest::addColumn<QList<int>>("pauses");
        QTest::newRow("options") << QStringList{"--sentence-pause=800", "--paragraph-pause=1500"}
                                 << QStringList{} << QList<int>{800, 1500};
        QTest::newRow("saved choices")
            << QStringList{} << QStringList{"SentencePause=600", "ParagraphPause=1100"}
            << QList<int>{600, 1100};
        QTest::newRow("an option wins over a saved choice")
            << QStringList{"--sentence-pause=350"}
            << QStringList{"SentencePause=600", "ParagraphPause=1100"} << QList<int>{350, 1100};
    }

    void speechChoices()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, saved);
        QFETCH(QList<int>, pauses);
        REQUIRE_CONVERTER_AND_CORPUS();
        for (const QString& setting : saved)
            writeSetting(setting.section('=', 0, 0), setting.section('=', 1));
        const QByteArray text = "The first sentence stands alone. Each word of the second one "
                                "follows it.\n\nThen a new paragraph begins here.\n";
        const ConverterRun run = runConverter(arguments << "-q"
                                                        << "-o"
                                                        << "out.mp3"
                                                        << "-",
                                              m_folder, text);
        QCOMPARE(run.exitCode, 0);
        const qint64 shortest = 200 * 22050 / 1000;
        QList<int> heard;
        for (const qint64 silence :
             innerSilences(decodedSamples(m_folder + "/out.mp3"), 256, shortest))
            heard << int(silence * 1000 / 22050);
        QCOMPARE(heard.size(), pauses.size());
        for (qsizetype i = 0; i < heard.size(); ++i)
            QVERIFY2(qAbs(heard.at(i) - pauses.at(i)) <= 20,
                     qPrintable(QStringLiteral("%1 ms heard").arg(heard.at(i))));
    }

    void oneVoice_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("savedOneVoice"); // empty: not saved
        QTest::addColumn<bool>("spelled");
        QTest::newRow("a voice per language") << QStringList{} << "" << false;
        QTest::newRow("--one-voice") << QStringList{"--one-voice"} << "" << true;
        QTest::newRow("saved choice") << QStringList{} << "True" << true;
    }

    void oneVoice()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, savedOneVoice);
        QFETCH(bool, spelled);
        REQUIRE_CONVERTER_AND_CORPUS();
        if (!savedOneVoice.isEmpty())
            writeSetting(keys::OneVoice, savedOneVoice);
        const auto soundOf = [&](const QByteArray& text, const QString& name) {
            const ConverterRun run = runConverter(QStringList(arguments) << "--voice=gmw/en-US"
                                                                         << "-q"
                                                                         << "-o" << name << "-",
                                                  m_folder, text);
            return run.exitCode == 0 ? mp3Samples(m_folder + '/' + name) : -1;
        };
        const qint64 english = soundOf("The day was long.\n", "english.mp3");
        const qint64 quoted = soundOf("The day was long. Это был долгий день.\n", "quoted.mp3");
        QVERIFY(english > 0 && quoted > english);
        // The Russian voice says the sentence in about the time the English one takes for
        // its own; the English voice spelling it takes more than twice as long.
        QCOMPARE(quoted - english > 3 * english / 2, spelled);
    }
};

QTEST_GUILESS_MAIN(TestConvert)
#include "test_convert.moc"
