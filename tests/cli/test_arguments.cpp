// The converter's command line, output names, voice lookup and saved choices, without running
// a conversion.
//
// The converter's sources build into the program only, so the parts tested here are compiled
// into this test directly.
#include "cli/arguments.h"
#include "cli/converter_options.h"
#include "cli/saved_choices.h"
#include "cli/voices.h"

#include "core/settings/settings.h"
#include "core/settings/settings_keys.h"
#include "support/test_env.h"

#include <QtTest>

using namespace lectorix;
using namespace lectorix::cli;

namespace {

// Everything parsing decided, on one line, so a row states its whole expectation.
QString summary(const Options& o)
{
    switch (o.action) {
    case Options::Action::UsageError:
        return QStringLiteral("error: ") + o.error;
    case Options::Action::Help:
        return QStringLiteral("help");
    case Options::Action::Version:
        return QStringLiteral("version");
    case Options::Action::ListVoices:
        return QStringLiteral("list-voices");
    case Options::Action::PrintText:
    case Options::Action::Convert:
        break;
    }
    const QString action = o.action == Options::Action::PrintText ? QStringLiteral("print-text")
                                                                  : QStringLiteral("convert");
    QStringList parts{action + QStringLiteral(" [") + o.inputs.join(QStringLiteral(", ")) + ']'};
    if (!o.outputFile.isEmpty())
        parts << "o=" + o.outputFile;
    if (!o.outputFolder.isEmpty())
        parts << "d=" + o.outputFolder;
    if (!o.voice.isEmpty())
        parts << "voice=" + o.voice;
    if (o.rate)
        parts << "rate=" + QString::number(*o.rate);
    if (o.volume)
        parts << "volume=" + QString::number(*o.volume);
    if (!o.passwordFile.isEmpty())
        parts << "password-file=" + o.passwordFile;
    if (o.quiet)
        parts << QStringLiteral("quiet");
    if (o.verbatim)
        parts << QStringLiteral("verbatim");
    if (o.noFootnotes)
        parts << QStringLiteral("no-footnotes");
    if (o.splitChapters)
        parts << QStringLiteral("split-chapters");
    if (o.resume)
        parts << QStringLiteral("resume");
    if (o.recognition != RecognitionMode::Auto)
        parts << (o.recognition == RecognitionMode::Never ? QStringLiteral("ocr=never")
                                                          : QStringLiteral("ocr=always"));
    if (!o.recognitionLanguages.isEmpty())
        parts << "ocr-language=" + o.recognitionLanguages.join('+');
    if (o.format != AudioFormat::Mp3)
        parts << "format=" + audioFormatName(o.format);
    if (o.noCover)
        parts << QStringLiteral("no-cover");
    if (o.sentencePause)
        parts << "sentence-pause=" + QString::number(*o.sentencePause);
    if (o.paragraphPause)
        parts << "paragraph-pause=" + QString::number(*o.paragraphPause);
    if (o.headingPause)
        parts << "heading-pause=" + QString::number(*o.headingPause);
    if (o.oneVoice)
        parts << QStringLiteral("one-voice");
    return parts.join(' ');
}

} // namespace

class TestArguments : public QObject
{
    Q_OBJECT

private slots:
    void parsing_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("expected");

        QTest::newRow("one input") << QStringList{"a.pdf"} << "convert [a.pdf]";
        QTest::newRow("verbatim conversion")
            << QStringList{"--verbatim", "a.pdf"} << "convert [a.pdf] verbatim";
        QTest::newRow("one file per chapter, resumed")
            << QStringList{"--split-chapters", "a.pdf", "--resume"}
            << "convert [a.pdf] split-chapters resume";
        QTest::newRow("chapter options take no value")
            << QStringList{"--split-chapters=yes", "a.pdf"}
            << "error: option '--split-chapters' doesn't allow an argument";
        QTest::newRow("footnotes left out")
            << QStringList{"a.pdf", "--no-footnotes", "--print-text"}
            << "print-text [a.pdf] no-footnotes";
        QTest::newRow("recognition of pages without usable text, the default")
            << QStringList{"--ocr=auto", "a.pdf"} << "convert [a.pdf]";
        QTest::newRow("recognition of every page, languages by either code")
            << QStringList{"--ocr", "always", "--ocr-language=fr+DEU+fra", "a.pdf"}
            << "convert [a.pdf] ocr=always ocr-language=fra+deu";
        QTest::newRow("no recognition, the last word counts")
            << QStringList{"--ocr=always", "--ocr=never", "a.pdf"} << "convert [a.pdf] ocr=never";
        QTest::newRow("recognition: unknown mode")
            << QStringList{"--ocr=yes", "a.pdf"}
            << "error: invalid value 'yes' for --ocr: give auto, always or never";
        QTest::newRow("recognition: no mode")
            << QStringList{"a.pdf", "--ocr"} << "error: option '--ocr' requires an argument";
        QTest::newRow("recognition language: not a code")
            << QStringList{"--ocr-language=fr+../x", "a.pdf"}
            << "error: invalid recognition language 'fr+../x': give language codes such as fra "
               "or fra+eng";
        QTest::newRow("recognition language: empty part")
            << QStringList{"--ocr-language=fra+", "a.pdf"}
            << "error: invalid recognition language 'fra+': give language codes such as fra or "
               "fra+eng";
        QTest::newRow("pauses and one voice")
            << QStringList{"--sentence-pause=0",   "a.pdf",      "--paragraph-pause", "10000",
                           "--heading-pause=+750", "--one-voice"}
            << "convert [a.pdf] sentence-pause=0 paragraph-pause=10000 heading-pause=750 "
               "one-voice";
        QTest::newRow("one voice takes no value")
            << QStringList{"--one-voice=yes", "a.pdf"}
            << "error: option '--one-voice' doesn't allow an argument";
        QTest::newRow("print the text of several inputs")
            << QStringList{"a.pdf", "--print-text", "-", "--verbatim"}
            << "print-text [a.pdf, -] verbatim";
        QTest::newRow("print the text of nothing")
            << QStringList{"--print-text"}
            << "error: no input given (a PDF, a .txt file, or - for standard input)";
        QTest::newRow("print-text takes no value")
            << QStringList{"--print-text=x", "a.pdf"}
            << "error: option '--print-text' doesn't allow an argument";
        QTest::newRow("options after and between inputs")
            << QStringList{"a.pdf", "-q", "b.txt", "--rate=2"}
            << "convert [a.pdf, b.txt] rate=2 quiet";
        QTest::newRow("long options with = and with the next argument")
            << QStringList{"--rate=-10", "--volume", "0", "--voice", "gmw/en", "x.pdf"}
            << "convert [x.pdf] voice=gmw/en rate=-10 volume=0";
        QTest::newRow("short value attached and separate")
            << QStringList{"-dout", "x.pdf", "y.pdf"} << "convert [x.pdf, y.pdf] d=out";
        QTest::newRow("grouped flag then value")
            << QStringList{"-qo", "out.mp3", "x.pdf"} << "convert [x.pdf] o=out.mp3 quiet";
        QTest::newRow("a value may begin with a dash")
            << QStringList{"-o", "-x.mp3", "a.pdf"} << "convert [a.pdf] o=-x.mp3";
        QTest::newRow("a value may hold an equals sign")
            << QStringList{"--password-file=a=b", "a.pdf"} << "convert [a.pdf] password-file=a=b";
        QTest::newRow("dash alone is standard input") << QStringList{"-"} << "convert [-]";
        QTest::newRow("double dash ends the options")
            << QStringList{"--", "-q", "--help", "-"} << "convert [-q, --help, -]";
        QTest::newRow("the last of a repeated option counts")
            << QStringList{"--rate=1", "a.pdf", "--rate=+2"} << "convert [a.pdf] rate=2";
        QTest::newRow("audiobook format, no cover")
            << QStringList{"--format=m4b", "--no-cover", "a.pdf"}
            << "convert [a.pdf] format=m4b no-cover";
        QTest::newRow("format as the next argument, in capitals")
            << QStringList{"--format", "OPUS", "a.pdf"} << "convert [a.pdf] format=opus";
        QTest::newRow("MP3 named as the format")
            << QStringList{"--format=mp3", "a.pdf"} << "convert [a.pdf]";
        QTest::newRow("unknown format") << QStringList{"--format=wav", "a.pdf"}
                                        << "error: invalid format 'wav': give mp3, m4b or opus";
        QTest::newRow("empty format") << QStringList{"--format=", "a.pdf"}
                                      << "error: option '--format' needs a value that is not empty";
        QTest::newRow("no-cover takes no value")
            << QStringList{"--no-cover=yes", "a.pdf"}
            << "error: option '--no-cover' doesn't allow an argument";
        QTest::newRow("range ends accepted")
            << QStringList{"--rate=10", "--volume=100", "a"} << "convert [a] rate=10 volume=100";

        QTest::newRow("help wins over what follows") << QStringList{"--help", "--bogus"} << "help";
        QTest::newRow("short help") << QStringList{"a.pdf", "-h"} << "help";
        QTest::newRow("version needs no input") << QStringList{"--version"} << "version";
        QTest::newRow("listing voices needs no input")
            << QStringList{"--list-voices"} << "list-voices";
        QTest::newRow("an error before help stops there")
            << QStringList{"--bogus", "--help"} << "error: unrecognized option '--bogus'";

        QTest::newRow("unknown long option, its value not repeated")
            << QStringList{"--passwd=hunter2", "a.pdf"} << "error: unrecognized option '--passwd'";
        QTest::newRow("unknown short option")
            << QStringList{"-qx", "a.pdf"} << "error: invalid option -- 'x'";
        QTest::newRow("long option without its value")
            << QStringList{"a.pdf", "--voice"} << "error: option '--voice' requires an argument";
        QTest::newRow("short option without its value")
            << QStringList{"a.pdf", "-d"} << "error: option requires an argument -- 'd'";
        QTest::newRow("flag given a value") << QStringList{"--quiet=yes", "a.pdf"}
                                            << "error: option '--quiet' doesn't allow an argument";
        QTest::newRow("empty output name") << QStringList{"-o", "", "a.pdf"}
                                           << "error: option '-o' needs a value that is not empty";
        QTest::newRow("empty voice") << QStringList{"--voice=", "a.pdf"}
                                     << "error: option '--voice' needs a value that is not empty";

        const QString rateError =
            "error: invalid speech rate '%1': give a whole number from -10 to 10";
        for (const char* bad : {"11", "-11", "fast", "1.5", "", " 5", "5 ", "0x5", "99999999999"})
            QTest::addRow("rate '%s'", bad)
                << QStringList{"--rate=" + QString(bad), "a.pdf"} << rateError.arg(bad);
        const QString volumeError = "error: invalid volume '%1': give a whole number from 0 to 100";
        for (const char* bad : {"101", "-1", "loud", "50%"})
            QTest::addRow("volume '%s'", bad)
                << QStringList{"--volume", bad, "a.pdf"} << volumeError.arg(bad);

        const QString pauseError =
            "error: invalid pause '%1': give a whole number of milliseconds from 0 to 10000";
        for (const char* bad : {"-1", "10001", "300ms", "0.5"})
            QTest::addRow("sentence pause '%s'", bad)
                << QStringList{"--sentence-pause=" + QString(bad), "a.pdf"} << pauseError.arg(bad);
        QTest::newRow("empty paragraph pause")
            << QStringList{"--paragraph-pause=", "a.pdf"}
            << "error: option '--paragraph-pause' needs a value that is not empty";

        // Every user of the machine can read a program's arguments; the value is not repeated.
        const QString passwordRefused =
            "error: passwords are not taken as arguments, where other users can see them; use "
            "--password-file=FILE or the LECTORIX_PDF_PASSWORD environment variable";
        QTest::newRow("password as the next argument")
            << QStringList{"--password", "s3cret", "a.pdf"} << passwordRefused;
        QTest::newRow("password attached, before another error")
            << QStringList{"--password=s3cret", "-o"} << passwordRefused;

        QTest::newRow("no input") << QStringList{"-q"}
                                  << "error: no input given (a PDF, a .txt file, or - for "
                                     "standard input)";
        QTest::newRow("one output file for two inputs")
            << QStringList{"-o", "x.mp3", "a.pdf", "b.pdf"}
            << "error: -o names one output file, but 2 inputs were given; use -d DIR for several";
        QTest::newRow("output file and folder") << QStringList{"-o", "x.mp3", "-d", "out", "a.pdf"}
                                                << "error: -o and -d cannot be used together";
        QTest::newRow("standard input twice")
            << QStringList{"-", "a.pdf", "-"} << "error: standard input (-) can be given only once";
    }

    void parsing()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, expected);
        QCOMPARE(summary(parseArguments(arguments)), expected);
    }

    // The manual page describes exactly the options the converter takes, each written with a
    // value where it takes one.
    void manualListsEveryOption()
    {
        const QString page = QString::fromUtf8(test::readFile(
            QStringLiteral(LECTORIX_SOURCE_DIR "/resources/man/lectorix-convert.1.in")));
        const QString options = page.section(QStringLiteral("\n.SH OPTIONS\n"), 1)
                                    .section(QStringLiteral("\n.SH "), 0, 0);
        static const QRegularExpression heading(QStringLiteral("\n\\.TP\n([^\n]*)"));
        static const QRegularExpression name(QStringLiteral("(?<![\\w-])(--?[a-z][a-z-]*=?)"));
        QStringList described;
        for (const auto& tagged : heading.globalMatch(options)) {
            QString line = tagged.captured(1);
            line.replace(QStringLiteral("\\-"), QStringLiteral("-"))
                .remove(QRegularExpression(QStringLiteral("\\\\f[A-Z]")));
            for (const auto& found : name.globalMatch(line))
                described << found.captured(1);
        }
        QStringList declared;
        for (const ConverterOption& option : converterOptions()) {
            declared << QStringLiteral("--") + QLatin1String(option.longName) +
                            (option.takesValue() ? QStringLiteral("=") : QString());
            if (option.shortName != 0)
                declared << QStringLiteral("-") + QLatin1Char(option.shortName);
        }
        described.sort();
        declared.sort();
        QCOMPARE(described, declared);
    }

    void outputNames_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("outputFile");
        QTest::addColumn<QString>("outputFolder");
        QTest::addColumn<QString>("expected");

        QTest::newRow("beside, current folder") << "a.pdf"
                                                << ""
                                                << ""
                                                << "a.mp3";
        QTest::newRow("beside, in a folder") << "dir/sub/Book.PDF"
                                             << ""
                                             << ""
                                             << "dir/sub/Book.mp3";
        QTest::newRow("only the last extension goes") << "/abs/my.book.v2.pdf"
                                                      << ""
                                                      << ""
                                                      << "/abs/my.book.v2.mp3";
        QTest::newRow("text file") << "notes.txt"
                                   << ""
                                   << ""
                                   << "notes.mp3";
        QTest::newRow("no extension") << "README"
                                      << ""
                                      << ""
                                      << "README.mp3";
        QTest::newRow("hidden name is no extension") << ".notes"
                                                     << ""
                                                     << ""
                                                     << ".notes.mp3";
        QTest::newRow("dot only in the folder") << "v1.0/file"
                                                << ""
                                                << ""
                                                << "v1.0/file.mp3";
        QTest::newRow("leading dash") << "-x.pdf"
                                      << ""
                                      << ""
                                      << "-x.mp3";
        QTest::newRow("root folder") << "/book.pdf"
                                     << ""
                                     << ""
                                     << "/book.mp3";
        QTest::newRow("line break in the name") << "a\nb.pdf"
                                                << ""
                                                << ""
                                                << "a\nb.mp3";
        QTest::newRow("into a folder") << "in/b.pdf"
                                       << ""
                                       << "out"
                                       << "out/b.mp3";
        QTest::newRow("into a folder given with a slash") << "b.pdf"
                                                          << ""
                                                          << "out/"
                                                          << "out/b.mp3";
        QTest::newRow("named output") << "in/b.pdf"
                                      << "x/y.mp3"
                                      << ""
                                      << "x/y.mp3";
        QTest::newRow("standard input") << "-"
                                        << ""
                                        << ""
                                        << "stdin.mp3";
        QTest::newRow("standard input into a folder") << "-"
                                                      << ""
                                                      << "out"
                                                      << "out/stdin.mp3";
        QTest::newRow("standard input, named output") << "-"
                                                      << "s.mp3"
                                                      << ""
                                                      << "s.mp3";
    }

    void outputNames()
    {
        QFETCH(QString, input);
        QFETCH(QString, outputFile);
        QFETCH(QString, outputFolder);
        QFETCH(QString, expected);
        QCOMPARE(outputPathFor(input, outputFile, outputFolder), expected);
    }

    // The extension follows the format; a name given with -o is kept as given.
    void outputNamesOfFormats_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("outputFile");
        QTest::addColumn<QString>("outputFolder");
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("expected");
        QTest::newRow("M4B beside") << "dir/Book.pdf"
                                    << ""
                                    << "" << int(AudioFormat::M4b) << "dir/Book.m4b";
        QTest::newRow("Opus of standard input in a folder")
            << "-"
            << ""
            << "out" << int(AudioFormat::Opus) << "out/stdin.opus";
        QTest::newRow("named output kept") << "a.pdf"
                                           << "x.mp3"
                                           << "" << int(AudioFormat::M4b) << "x.mp3";
    }

    void outputNamesOfFormats()
    {
        QFETCH(QString, input);
        QFETCH(QString, outputFile);
        QFETCH(QString, outputFolder);
        QFETCH(int, format);
        QFETCH(QString, expected);
        QCOMPARE(outputPathFor(input, outputFile, outputFolder,
                               audioFormatExtension(AudioFormat(format))),
                 expected);
    }

    void textInputs_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<bool>("isText");
        QTest::newRow("txt") << "a.txt" << true;
        QTest::newRow("TXT") << "dir/A.TXT" << true;
        QTest::newRow("standard input") << "-" << true;
        QTest::newRow("pdf") << "a.pdf" << false;
        QTest::newRow("txt before the last extension") << "a.txt.pdf" << false;
    }

    void textInputs()
    {
        QFETCH(QString, input);
        QFETCH(bool, isText);
        QCOMPARE(isTextInput(input), isText);
    }

    void voiceLookup_data()
    {
        QTest::addColumn<QString>("wanted");
        QTest::addColumn<int>("index");
        QTest::newRow("identifier") << "gmw/en-US" << 1;
        QTest::newRow("identifier in other letter case") << "GMW/EN-us" << 1;
        QTest::newRow("name in other letter case") << "english (america)" << 1;
        QTest::newRow("exact identifier before a case-insensitive match") << "x/Voice" << 4;
        QTest::newRow("the first of two case-insensitive matches") << "x/VOICE" << 3;
        QTest::newRow("a language is not a voice") << "en-us" << -1;
        QTest::newRow("part of a name") << "English" << -1;
        QTest::newRow("unknown") << "klingon" << -1;
    }

    void voiceLookup()
    {
        QFETCH(QString, wanted);
        QFETCH(int, index);
        const QList<VoiceListing> voices = {
            {"gmw/en", "en-gb", "English (Great Britain)"},
            {"gmw/en-US", "en-us", "English (America)"},
            {"roa/fr", "fr-fr", "French"},
            {"x/voice", "xx", "Lower"},
            {"x/Voice", "xx", "Upper"},
        };
        QCOMPARE(findVoice(voices, wanted), index);
    }

    // The window's stored slider values and voice position, read and rounded as it reads them.
    void savedChoices_data()
    {
        QTest::addColumn<QString>("storedVolume"); // empty: never stored
        QTest::addColumn<QString>("storedRate");
        QTest::addColumn<QString>("storedVoice");
        QTest::addColumn<int>("voiceCount");
        QTest::addColumn<int>("volume");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("voiceIndex");

        QTest::newRow("first start") << ""
                                     << ""
                                     << "" << 3 << 50 << -3 << 0;
        QTest::newRow("stored whole numbers") << "80"
                                              << "7"
                                              << "2" << 3 << 80 << 7 << 2;
        QTest::newRow("halves go to the even neighbour") << "20.5"
                                                         << "2.5"
                                                         << "1.5" << 3 << 20 << 2 << 2;
        QTest::newRow("halves up to the even neighbour") << "21.5"
                                                         << "-3.5"
                                                         << "0.5" << 3 << 22 << -4 << 0;
        QTest::newRow("leading number of a text") << " 42 apples"
                                                  << "\t-2x"
                                                  << "1;" << 3 << 42 << -2 << 1;
        QTest::newRow("no number reads as zero") << "loud"
                                                 << "fast"
                                                 << "first" << 3 << 0 << 0 << 0;
        QTest::newRow("outside the sliders: first-start values") << "150"
                                                                 << "-11"
                                                                 << "0" << 3 << 50 << -3 << 0;
        QTest::newRow("too large to round: first-start values") << "1e12"
                                                                << "-1e12"
                                                                << "1e12" << 3 << 50 << -3 << -1;
        QTest::newRow("voice past the end: engine default") << ""
                                                            << ""
                                                            << "3" << 3 << 50 << -3 << -1;
        QTest::newRow("voice below the list: engine default") << ""
                                                              << ""
                                                              << "-1" << 3 << 50 << -3 << -1;
        QTest::newRow("no voices installed") << ""
                                             << ""
                                             << "" << 0 << 50 << -3 << -1;
    }

    void savedChoices()
    {
        QFETCH(QString, storedVolume);
        QFETCH(QString, storedRate);
        QFETCH(QString, storedVoice);
        QFETCH(int, voiceCount);
        QFETCH(int, volume);
        QFETCH(int, rate);
        QFETCH(int, voiceIndex);
        test::freshScratch();
        const auto store = [](const QString& key, const QString& value) {
            if (!value.isEmpty())
                writeSetting(key, value);
        };
        store(keys::Volume, storedVolume);
        store(keys::Rate, storedRate);
        store(keys::Voice, storedVoice);

        QCOMPARE(savedVolume(), volume);
        QCOMPARE(savedRate(), rate);
        QCOMPARE(savedVoiceIndex(voiceCount), voiceIndex);
    }
};

QTEST_GUILESS_MAIN(TestArguments)
#include "test_arguments.moc"
