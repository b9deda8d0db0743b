#include "cli/text_printing.h"

#include "cli/arguments.h"
#include "cli/batch_conversion.h"
#include "core/conversion/conversion_job.h"
#include "core/files/temp_folder.h"
#include "core/files/text_decoding.h"
#include "core/ocr/page_recognition.h"
#include "core/ocr/recognition_job.h"
#include "core/pdf/document_text.h"
#include "core/text/language_identification.h"
#include "core/text/layout/reading.h"
#include "core/text/spoken_text.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>
#include <optional>

namespace lectorix::cli {

QString unspokenPagesReason(const QList<int>& pages)
{
    return (pages.size() == 1 ? QStringLiteral("page %1 is") : QStringLiteral("pages %1 are"))
               .arg(pageRuns(pages)) +
           QStringLiteral(" in a script no installed voice speaks, and left out");
}

QString printedUtterances(const SpokenDocument& spoken, const QString& voiceLanguage)
{
    QString printed;
    bool paragraphEnded = false;
    for (qsizetype i = 0; i < spoken.utterances.size(); ++i) {
        const Utterance& utterance = spoken.utterances.at(i);
        const bool heading = i < spoken.pieces.size() && spoken.pieces.at(i).heading;
        if (utterance.text.trimmed().isEmpty())
            continue;
        if (!printed.isEmpty() && (paragraphEnded || heading))
            printed += QLatin1Char('\n');
        if (heading)
            printed += QStringLiteral("# ");
        if (!voiceLanguage.isEmpty())
            printed += QStringLiteral("[%1] ").arg(
                utterance.language.isEmpty() ? primaryLanguage(voiceLanguage) : utterance.language);
        printed += utterance.text + QLatin1Char('\n');
        const bool paused = utterance.silenceAfterMs != Utterance::VoicesOwnPause;
        paragraphEnded =
            heading || (paused && i < spoken.pieces.size() && spoken.pieces.at(i).endsParagraph);
    }
    return printed;
}

TextPrinting::TextPrinting(QStringList inputs, TextPrintingChoices choices, Write write,
                           PrintError printError, QObject* parent)
    : QObject(parent), m_inputs(std::move(inputs)), m_choices(std::move(choices)),
      m_write(std::move(write)), m_printError(std::move(printError))
{
}

TextPrinting::~TextPrinting()
{
    delete m_extraction; // stops the converter
    delete m_recognition;
}

void TextPrinting::start()
{
    next();
}

void TextPrinting::next()
{
    ++m_current;
    if (m_current >= m_inputs.size()) {
        emit finished(m_status);
        return;
    }
    const QString input = m_inputs.at(m_current);
    QString problem;
    QString text;
    if (input == StandardInputName)
        text = m_choices.standardInputText;
    else if (QFileInfo(input).isDir())
        problem = QStringLiteral("is a folder, not a document");
    else if (isTextInput(input))
        text = readTextInput(input, problem);
    else {
        extractPdf(input);
        return;
    }
    print(input, text, problem);
}

void TextPrinting::extractPdf(const QString& input)
{
    try {
        m_workFolder = makeWorkingFolder(QStringLiteral("conversion"));
    } catch (const Failure&) {
        m_workFolder.reset();
    }
    if (!m_workFolder) {
        print(input, QString(), QStringLiteral("no working folder"));
        return;
    }
    ExtractionRequest request;
    request.pdfPath = QFileInfo(input).absoluteFilePath();
    request.password = m_choices.password;
    request.workingCopyPath = m_workFolder->path() + QStringLiteral("/output.pdf");
    m_extraction = new ExtractionJob(request, this);
    connect(
        m_extraction, &ExtractionJob::stepFailed, this, [this, input](const JobFailure& failure) {
            m_printError(QStringLiteral("%1: %2").arg(shownName(input), stepFailureText(failure)));
        });
    connect(m_extraction, &ExtractionJob::finished, this,
            [this, input](const ExtractionResult& result) { extracted(input, result); });
    m_extraction->start();
}

void TextPrinting::extracted(const QString& input, const ExtractionResult& result)
{
    m_extraction->deleteLater();
    m_extraction = nullptr;
    if (recognise(input, result))
        return;
    QString text;
    QString problem;
    std::optional<QList<LayoutPage>> pages;
    if (result.layout)
        pages = result.pages;
    if (result.outcome == ExtractionOutcome::Text) {
        try {
            text = readTextFile(result.textPath);
        } catch (const Failure& failure) {
            problem = failure.description();
        }
    } else {
        // A tool that could not run says why in its detail; the other outcomes have their
        // reason.
        const bool toolFailed = result.outcome == ExtractionOutcome::MachineFault ||
                                result.outcome == ExtractionOutcome::Failed ||
                                result.outcome == ExtractionOutcome::Cancelled;
        problem = toolFailed && !result.detail.isEmpty()
                      ? result.detail
                      : conversionFailureReason(
                            conversionOutcome(result.outcome, !m_choices.password.isEmpty()));
    }
    m_workFolder.reset();
    // Handled from the event loop, so that the next extraction never starts inside this one's
    // end.
    QTimer::singleShot(0, this, [this, input, text, problem, pages] {
        print(input, text, problem, pages ? &*pages : nullptr);
    });
}

// Starts recognising what the choices ask for of a PDF with text or without; false when
// there is nothing to recognise.
bool TextPrinting::recognise(const QString& input, const ExtractionResult& result)
{
    const RecognitionMode mode = m_choices.recognition;
    const bool unreadable = result.outcome == ExtractionOutcome::Unreadable;
    if (mode == RecognitionMode::Never ||
        !(unreadable || result.outcome == ExtractionOutcome::Text))
        return false;
    const bool wholeDocument = !result.layout && (unreadable || mode == RecognitionMode::Always);
    const QList<int> wanted = pagesToRecognise(mode, result.pages);
    if (!wholeDocument && wanted.isEmpty())
        return false;
    ConversionRequest asked;
    asked.language = m_choices.language;
    asked.recognitionLanguages = m_choices.recognitionLanguages;
    RecognitionRequest request{QFileInfo(input).absoluteFilePath(), m_choices.password, wanted,
                               conversionRecognitionLanguages(asked)};
    request.allPages = wholeDocument;
    request.identifyLanguage = m_choices.recognitionLanguages.isEmpty();
    m_recognition = new RecognitionJob(request, this);
    connect(
        m_recognition, &RecognitionJob::stepFailed, this, [this, input](const JobFailure& failure) {
            m_printError(QStringLiteral("%1: %2").arg(shownName(input), stepFailureText(failure)));
        });
    const QList<LayoutPage> pages = result.layout ? result.pages : QList<LayoutPage>();
    connect(m_recognition, &RecognitionJob::finished, this,
            [this, input, pages](const RecognitionResult& recognition) {
                recognised(input, pages, recognition);
            });
    m_workFolder.reset();
    m_recognition->start();
    return true;
}

void TextPrinting::recognised(const QString& input, QList<LayoutPage> pages,
                              const RecognitionResult& result)
{
    m_recognition->deleteLater();
    m_recognition = nullptr;
    QString text;
    QString problem = result.message;
    if (result.outcome == RecognitionOutcome::Done)
        text = mergeRecognisedPages(pages, result.pages);
    else if (problem.isEmpty())
        problem = conversionFailureReason(ConversionOutcome::Failed);
    if (!result.failedPages.isEmpty())
        m_printError(QStringLiteral("%1: %2").arg(shownName(input),
                                                  unreadablePagesReason(result.failedPages)));
    QTimer::singleShot(0, this, [this, input, text, problem, pages] {
        print(input, text, problem, problem.isEmpty() ? &pages : nullptr);
    });
}

void TextPrinting::print(const QString& input, const QString& text, const QString& problem,
                         const QList<LayoutPage>* pages)
{
    if (!problem.isEmpty()) {
        m_printError(QStringLiteral("%1: %2").arg(shownName(input), problem));
        m_status = 1;
        next();
        return;
    }
    const SpokenDocument spoken = spokenDocument(text, pages, speechChoices(input));
    QList<int> unreadable = spoken.unreadablePages;
    unreadable.removeIf([&](int page) { return spoken.unspokenPages.contains(page); });
    if (!unreadable.isEmpty())
        m_printError(
            QStringLiteral("%1: %2").arg(shownName(input), unreadablePagesReason(unreadable)));
    if (!spoken.unspokenPages.isEmpty())
        m_printError(QStringLiteral("%1: %2").arg(shownName(input),
                                                  unspokenPagesReason(spoken.unspokenPages)));
    const QString lines =
        printedUtterances(spoken, m_choices.printLanguages ? m_choices.language : QString());
    if (lines.isEmpty()) {
        // Nothing to say is no text printed: it is named, and the exit status says so.
        print(input, QString(), nothingToSayReason(spoken, pages != nullptr));
        return;
    }
    if (!m_write(lines)) {
        emit finished(1);
        return;
    }
    next();
}

// Why a document gave nothing to say: every page that has text in a script no voice speaks,
// or a PDF's pages blank or unreadable (recognised, by the choices, and still without text).
QString TextPrinting::nothingToSayReason(const SpokenDocument& spoken, bool pdf) const
{
    if (!spoken.unspokenPages.isEmpty() && spoken.unspokenPages == spoken.unreadablePages)
        return QStringLiteral("its text is in a script no installed voice speaks");
    if (!pdf)
        return QStringLiteral("no text to read");
    if (m_choices.recognition == RecognitionMode::Never)
        return conversionFailureReason(ConversionOutcome::Unreadable);
    return QStringLiteral("no text to read: its pages are blank, or no text could be recognised "
                          "on them");
}

// The choices a conversion of input with the same options speaks with.
SpeechChoices TextPrinting::speechChoices(const QString& input) const
{
    SpeechChoices choices;
    choices.reading = {m_choices.readFootnotes, m_choices.language};
    choices.utterance.oneVoice = m_choices.oneVoice;
    choices.verbatim = m_choices.verbatim;
    if (input != StandardInputName && !isTextInput(input))
        choices.sourcePdf = input;
    if (!m_choices.verbatim)
        choices.utterance.voiceLanguage = m_choices.language;
    choices.pronunciations = m_choices.pronunciations;
    choices.pronunciationLanguage = m_choices.language;
    return choices;
}

} // namespace lectorix::cli
