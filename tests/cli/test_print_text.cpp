// lectorix-convert --print-text: what a conversion would speak, one utterance per line, and
// nothing converted.

#include "cli/arguments.h"
#include "cli/text_printing.h"
#include "converter_run.h"
#include "core/conversion/conversion_job.h"
#include "core/text/spoken_text.h"
#include "support/fake_engine.h"
#include "support/hostile_machine.h"
#include "support/raw_pdf.h"
#include "support/test_env.h"

#include <QDir>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStringEncoder>
#include <QtTest>

using namespace lectorix;

namespace {

QStringList outputLines(const test::ConverterRun& run)
{
    QStringList lines = QString::fromUtf8(run.standardOutput).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// A document of pieces written as "text" for a sentence that goes on in its paragraph, "text|"
// for one that ends it, "#text" for a heading; each piece made the utterance the export makes.
SpokenDocument documentOf(const QStringList& written)
{
    SpokenDocument document;
    QList<SpokenPiece>& pieces = document.pieces;
    for (QString text : written) {
        SpokenPiece piece;
        piece.heading = text.startsWith(QLatin1Char('#'));
        piece.endsParagraph = piece.heading || text.endsWith(QLatin1Char('|'));
        if (piece.heading)
            text.remove(0, 1);
        if (text.endsWith(QLatin1Char('|')))
            text.chop(1);
        piece.text = text;
        pieces << piece;
    }
    for (qsizetype i = 0; i < pieces.size(); ++i)
        document.utterances << spokenUtterance(
            pieces.at(i), i + 1 < pieces.size() ? &pieces.at(i + 1) : nullptr, {});
    return document;
}

bool isBareNumber(const QString& line)
{
    static const QRegularExpression number(QStringLiteral("^\\s*\\d+\\s*$"));
    return number.match(line).hasMatch();
}

} // namespace

class TestPrintText : public QObject
{
    Q_OBJECT

    QString m_folder;

private slots:
    void init()
    {
        m_folder = test::freshScratch() + QStringLiteral("/work");
        QDir().mkpath(m_folder);
        REQUIRE_CORPUS();
    }

    // One utterance to a line, a blank line where a paragraph ends, headings marked; what has
    // nothing to say is left out, and no blank line is doubled or left at either end.
    void printedFormat_data()
    {
        QTest::addColumn<QStringList>("pieces");
        QTest::addColumn<QString>("printed");
        QTest::newRow("sentences of one paragraph")
            << QStringList{"One.", "Two.", "Three.|"} << "One.\nTwo.\nThree.\n";
        QTest::newRow("two paragraphs")
            << QStringList{"One.", "Two.|", "Three.|"} << "One.\nTwo.\n\nThree.\n";
        QTest::newRow("heading between paragraphs")
            << QStringList{"One.|", "#Chapter 2", "Two.|"} << "One.\n\n# Chapter 2\n\nTwo.\n";
        QTest::newRow("heading first, after a sentence that goes on")
            << QStringList{"#Title", "One.", "#Part", "Two."}
            << "# Title\n\nOne.\n\n# Part\n\nTwo.\n";
        QTest::newRow("nothing to say is left out")
            << QStringList{"One.|", "  |", "#\u00a0", "Two.|"} << "One.\n\nTwo.\n";
        QTest::newRow("cleaned as the voice gets it") << QStringList{"A&#xa0;b.|"} << "Ab.\n";
        QTest::newRow("none") << QStringList{} << "";
    }

    void printedFormat()
    {
        QFETCH(QStringList, pieces);
        QFETCH(QString, printed);
        QCOMPARE(cli::printedUtterances(documentOf(pieces)), printed);
    }

    // --print-text prints what a conversion speaks: the same utterances in the same order, with
    // a blank line exactly where a pause longer than a sentence's follows.
    void printsWhatAConversionSpeaks_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("text");
        QTest::newRow("a PDF") << test::corpusFile(QStringLiteral("issue-598-example.pdf"))
                               << QString();
        QTest::newRow("typed text")
            << cli::StandardInputName
            << QStringLiteral("CHAPTER ONE\n\nIt was late. The inn was shut,\nand the rain went "
                              "on.\n\nA new paragraph, with an inter-\nesting word.\n\fPage 2 "
                              "goes on. Interesting.\n");
    }
    void printsWhatAConversionSpeaks()
    {
        QFETCH(QString, input);
        QFETCH(QString, text);
        test::FakeEngine engine;
        ConversionRequest request;
        request.sourcePdf = text.isEmpty() ? input : QString();
        request.sourceText = text;
        request.outputPath = m_folder + QStringLiteral("/spoken.mp3");
        request.pauses = {111, 222, 333};
        // Parts of one file are spoken longest first; with a file per chapter, each file is one
        // stretch of the document.
        request.splitChapters = true;
        ConversionJob job(request);
        QSignalSpy converted(&job, &ConversionJob::finished);
        job.start();
        QVERIFY(converted.wait(120000));
        cli::TextPrintingChoices choices;
        choices.standardInputText = text;
        choices.language = voiceLanguage(request.voice);
        QString printed;
        cli::TextPrinting printing(
            {input}, choices, [&](const QString& lines) { return printed += lines, true; },
            [](const QString&) {});
        QSignalSpy done(&printing, &cli::TextPrinting::finished);
        printing.start();
        QVERIFY(!done.isEmpty() || done.wait(120000));
        printed.replace(QRegularExpression(QStringLiteral("^(# )?[ \\t]*|[ \\t]+$"),
                                           QRegularExpression::MultilineOption),
                        QString());

        const auto printedAt = [&](const QString& utterance) { return printed.indexOf(utterance); };
        // Each file's utterances in the order its voice said them; the files, which two lanes
        // speak side by side, in the document's order.
        struct Said
        {
            QString text;
            int silenceMs = 0;
        };
        QList<QList<Said>> files;
        QHash<QString, qsizetype> fileOfVoice;
        qsizetype spoken = 0;
        for (const QString& line : std::as_const(engine.log)) {
            const QString voice = line.section(QLatin1Char(' '), 0, 0);
            const QString what = line.section(QLatin1Char(' '), 1, 1);
            if (what == QLatin1String("output")) {
                fileOfVoice[voice] = files.size();
                files.append(QList<Said>());
            } else if (what == QLatin1String("speak")) {
                const int silence = engine.silences.at(spoken++);
                const QString utterance = line.section(QLatin1Char(' '), 2).trimmed();
                if (!utterance.isEmpty() && fileOfVoice.contains(voice))
                    files[fileOfVoice.value(voice)].append({utterance, silence});
            }
        }
        files.removeIf([](const QList<Said>& file) { return file.isEmpty(); });
        std::stable_sort(files.begin(), files.end(), [&](const auto& a, const auto& b) {
            return printedAt(a.first().text) < printedAt(b.first().text);
        });
        QString heard;
        bool pause = false;
        for (const QList<Said>& file : std::as_const(files))
            for (const Said& said : file) {
                heard += (pause ? "\n" : "") + said.text + QLatin1Char('\n');
                pause = said.silenceMs > request.pauses.sentenceMs;
            }

        QVERIFY(spoken > 5);
        QCOMPARE(printed, heard);
    }

    // A book is printed a sentence to a line, its paragraphs apart and its chapter headings
    // marked, without page numbers or running heads; --verbatim prints its lines as they
    // stand. Either way nothing is written beside the input.
    void bookAsSentencesOrLines()
    {
        const QString pdf = test::corpusFile(QStringLiteral("01-A-Study-in-Scarlet.pdf"));
        const test::ConverterRun prepared = test::runConverter({"--print-text", pdf}, m_folder);
        QCOMPARE(prepared.exitCode, 0);
        QVERIFY(prepared.standardError.isEmpty());
        const QStringList printed = outputLines(prepared);
        const test::ConverterRun verbatim =
            test::runConverter({"--print-text", "--verbatim", pdf}, m_folder);
        QCOMPARE(verbatim.exitCode, 0);
        const QStringList lines = outputLines(verbatim);

        const qsizetype blank = printed.count(QString());
        const QStringList utterances = printed.filter(QRegularExpression("\\S"));
        QVERIFY2(utterances.size() * 3 / 2 < lines.size() && blank > utterances.size() / 10,
                 qPrintable(QStringLiteral("%1 utterances, %2 blank, %3 lines")
                                .arg(utterances.size())
                                .arg(blank)
                                .arg(lines.size())));
        QVERIFY(!printed.first().isEmpty() && !printed.last().isEmpty());
        QVERIFY(!printed.join(QLatin1Char('\n')).contains(QStringLiteral("\n\n\n")));
        // Each of the two parts' seven chapters keeps its heading, its numeral said as a
        // number; the running heads go.
        QCOMPARE(printed.filter(QRegularExpression("^# CHAPTER \\d+\\. ")).size(), 14);
        QCOMPARE(printed.filter(QRegularExpression("^\\s*CHAPTER (?:I|1)\\s*$")).size(), 0);
        QVERIFY(lines.filter(QRegularExpression("^\\s*CHAPTER (?:I|1)\\s*$")).size() > 5);
        QVERIFY(std::none_of(printed.cbegin(), printed.cend(), isBareNumber));
        QVERIFY(std::any_of(lines.cbegin(), lines.cend(), isBareNumber));
        // Spoken as written: capitals, contractions and compounds stay.
        const QString all = utterances.join(QLatin1Char('\n'));
        QVERIFY(all.contains(QStringLiteral("Sherlock Holmes")));
        QVERIFY(all.contains(QStringLiteral("don\u2019t")));
        QVERIFY(all.contains(QStringLiteral("first-class")));
        QVERIFY(all.contains(QStringLiteral("particulars")));
        QCOMPARE(test::folderEntries(m_folder), QStringList());
        QCOMPARE(test::folderEntries(QFileInfo(m_folder).absolutePath() + QStringLiteral("/temp"))
                     .filter(QStringLiteral("conversion-")),
                 QStringList());
    }

    void textFromStandardInputAndFiles()
    {
        test::writeFile(m_folder + QStringLiteral("/notes.txt"),
                        "Caf\xe9 \x93menu\x94 isn\x92t\nbad.\n");
        const test::ConverterRun run = test::runConverter(
            {"--print-text", "-", "notes.txt"}, m_folder,
            "it's the US army's first-class\nunit.\n\nNew paragraph &#xa0;here.\n");
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(outputLines(run),
                 (QStringList{"it's the US army's first-class unit.", "", "New paragraph here.",
                              QStringLiteral("Café \u201cmenu\u201d isn\u2019t bad.")}));
    }

    // A list given for the run is applied after the user's own; a damaged line of either is
    // named with its file and line number and skipped, the rest applies.
    void pronunciationLists()
    {
        QVERIFY(QDir().mkpath(qEnvironmentVariable("XDG_CONFIG_HOME") + "/lectorix"));
        test::writeFile(qEnvironmentVariable("XDG_CONFIG_HOME") + "/lectorix/pronunciations.tsv",
                        "NASA\tNassa\nbroken\n");
        test::writeFile(m_folder + QStringLiteral("/run.tsv"),
                        "Fig\\. (\\d+)\tFigure \\1\t\tregex\n# comment\nNASA\tnothing\tde\n"
                        "x\ty\t\tloud\n");
        const test::ConverterRun run =
            test::runConverter({"--print-text", "--pronunciations", "run.tsv", "-"}, m_folder,
                               "NASA shows it in Fig. 3.\n");
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(outputLines(run), QStringList{"Nassa shows it in Figure 3."});
        QVERIFY2(run.errors().contains("pronunciations.tsv', line 2: ") &&
                     run.errors().contains("'run.tsv', line 4: unknown option"),
                 qPrintable(run.errors()));
        const test::ConverterRun missing = test::runConverter(
            {"--print-text", "--pronunciations", "none.tsv", "-"}, m_folder, "a\n");
        QCOMPARE(missing.exitCode, 2);
    }

    // Text shown through a font's Latin-1 map in another encoding is read in its own; a
    // document that gives nothing to say is named with its reason, and the status says so.
    void eachDocumentReadOrNamed_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("printed");
        QTest::addColumn<QString>("message"); // on standard error; empty: exit status 0
        QTest::addColumn<QString>("hidden");  // a tool PATH leaves out
        const auto drawn = [](const QString& text, const char* encoding) {
            return test::onePagePdf("0 0 612 792",
                                    "BT /F1 14 Tf 72 700 Td (" +
                                        QStringEncoder(encoding).encode(text) + ") Tj ET",
                                    test::pdfStream("", ""));
        };
        const QString russian = QStringLiteral("Федеральное агентство по техническому "
                                               "регулированию и метрологии.");
        QTest::newRow("Russian of Windows-1251 under WinAnsi")
            << "gost.pdf" << drawn(russian, "windows-1251") << QStringList{russian} << ""
            << "";
        const QString chinese = QStringLiteral("本报告由公司董事会负责编制。"); // 董 ends in 0xAD
        QTest::newRow("Chinese of GBK under WinAnsi")
            << "report.pdf" << drawn(chinese, "GBK") << QStringList{chinese} << ""
            << "";
        QTest::newRow("empty text")
            << "empty.txt" << QByteArray() << QStringList() << "'empty.txt': no text to read"
            << "";
        QTest::newRow("a script no voice speaks")
            << "deseret.txt"
            << QStringLiteral("\U00010410\U00010428\U0001042F\U00010428 \U00010412\U00010428.\n")
                   .toUtf8()
            << QStringList() << "'deseret.txt': page 1 is in a script no installed voice speaks"
            << "";
        QTest::newRow("a blank page, not recognised without tesseract")
            << "blank.pdf" << test::readFile(test::corpusFile("trivial.pdf")) << QStringList()
            << "'blank.pdf': no text layer (a scanned document?)"
            << "tesseract";
    }
    void eachDocumentReadOrNamed()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QStringList, printed);
        QFETCH(QString, message);
        QFETCH(QString, hidden);
        test::writeFile(m_folder + '/' + name, content);
        QProcessEnvironment environment;
        if (!hidden.isEmpty())
            environment.insert("PATH", test::pathWithout({hidden}));
        const test::ConverterRun run =
            test::runConverter({"--print-text", name}, m_folder, {}, environment);
        QCOMPARE(outputLines(run), printed);
        QCOMPARE(run.exitCode, message.isEmpty() ? 0 : 1);
        QVERIFY2(run.errors().contains(message), qPrintable(run.errors()));
    }

    // An input without text is named with its reason; the others are still printed.
    void failuresAreNamed()
    {
        const QString scanned = test::corpusFile(QStringLiteral("invalid.pdf"));
        const QString locked = test::corpusFile(QStringLiteral("password-example.pdf"));
        test::writeFile(m_folder + QStringLiteral("/ok.txt"), "Fine.\n");
        const test::ConverterRun run = test::runConverter(
            {"--print-text", locked, scanned, "ok.txt", "missing.txt"}, m_folder);
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(outputLines(run), QStringList{"Fine."});
        const QString errors = QString::fromUtf8(run.standardError);
        QVERIFY2(errors.contains(QStringLiteral("needs a password")), qPrintable(errors));
        QVERIFY2(errors.contains(QStringLiteral("damaged, or its text is protected")),
                 qPrintable(errors));
        QVERIFY2(errors.contains(QStringLiteral("'missing.txt': missing")), qPrintable(errors));
    }
};

QTEST_GUILESS_MAIN(TestPrintText)
#include "test_print_text.moc"
