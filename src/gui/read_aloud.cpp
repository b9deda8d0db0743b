#include "gui/read_aloud.h"

#include "core/files/file_utils.h"
#include "core/pdf/pdf_converter.h"
#include "core/reading/reading_places.h"
#include "core/reading/reading_session.h"
#include "core/settings/settings.h"
#include "core/text/reading_range.h"
#include "gui/chapter_list.h"
#include "gui/dialogs.h"
#include "gui/document_controller.h"
#include "gui/error_report.h"
#include "gui/main_window.h"
#include "gui/password_prompt.h"
#include "gui/reading_controller.h"
#include "gui/reading_highlight.h"
#include "gui/voice_setup.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>

namespace lectorix {

namespace {

// A PDF whose last reading stopped early, read again unchanged and with the text box's cursor
// untouched (at the start, nothing selected), may go on from there. False when the user
// cancelled.
bool offerReadingPlace(MainWindow& form, ReadingRequest& request)
{
    const QTextCursor cursor = form.textToReadEdit()->textCursor();
    if (cursor.hasSelection() || cursor.position() != 0)
        return true;
    const std::optional<qsizetype> place = readingPlace(request.pdfPath);
    if (!place)
        return true;
    const QString question =
        continueQuestion(readingPlaceName(request.pdfPath).value_or(PlaceName{}));
    switch (showMessage(question, Dialogs::Buttons::YesNoCancel, Dialogs::Icon::Question)) {
    case Dialogs::Answer::Yes:
        request.startAt = *place;
        return true;
    case Dialogs::Answer::Cancel:
        return false;
    default:
        return true;
    }
}

// What the listener chose for every reading, however it is started: the button, a chapter
// from the list or a place on the page.
void takeListeningChoices(ReadingRequest& request)
{
    request.verbatim = readsVerbatim();
    request.readFootnotes = readsFootnotes();
    request.pronunciations = userPronunciations();
    request.pauses = savedSpeechPauses();
    request.oneVoice = usesOneVoice();
}

// The PDF's own reading settings: its converter and, when asked for, its password.
void preparePdfReading(MainWindow& form, Guard& g, ReadingRequest& request)
{
    g.assign(158, request.converter, [] { return converterPath(); });
    request.recognise = form.documents().scans().recognises(request.pdfPath);
    if (const auto known = form.documents().passwords().known(request.pdfPath))
        request.password = *known;
    else if (g.test(162, [&] { return form.passwordPromptCheck()->checkState() == Qt::Checked; }))
        g.assign(164, request.password, [&] { return askPassword(request.pdfPath); });
}

} // namespace

QString continueQuestion(const PlaceName& place)
{
    // "Continue in Chapter 12?": the chapter's title says where more plainly than a page.
    const QString question = place.chapter.isEmpty()
                                 ? ContinueQuestion
                                 : QStringLiteral("Continue in %1?").arg(place.chapter);
    if (place.page <= 0)
        return question;
    QString name = QStringLiteral("Page %1").arg(place.page);
    if (!place.words.isEmpty())
        name += QStringLiteral(": \u201C%1\u201D").arg(place.words);
    return question + QStringLiteral("\n\n") + name;
}

void ReadingController::pressReadButton()
{
    Guard g("Form1", "PushButton2_Click");
    g(100, [&] { startPauseOrResume(); });
}

void ReadingController::startPauseOrResume()
{
    MainWindow& form = m_window;
    Guard g("Speak", "SpeakLoud");
    ReadingSession& session = *form.reading().session();
    if (g.test(104, [&] { return session.state() == ReadingState::Paused; })) {
        session.resume();
        return;
    }
    if (g.test(110, [&] { return session.state() == ReadingState::Reading; })) {
        session.pause();
        return;
    }

    // A PDF reading needs an existing PDF; a reading of the text box does not care what the
    // PDF box holds.
    ReadingRequest request;
    request.fromPdf = !form.documents().useTextBox();
    if (request.fromPdf) {
        request.pdfPath = form.pdfPathEdit()->text();
        if (g.test(100, [&] { return request.pdfPath.isEmpty(); }))
            return;
        if (g.test(102, [&] { return !isExistingFile(request.pdfPath); }))
            return;
        if (!offerReadingPlace(form, request))
            return;
    }
    request.voice = chosenVoice(form);
    takeListeningChoices(request);
    if (request.fromPdf) {
        // The box shows the reading while it holds the start of the same document, unedited.
        m_highlight->setFollowsPdf(boxHolds(request.pdfPath));
        m_chapters->prepare(request);
        preparePdfReading(form, g, request);
    } else {
        readTextBox(g, request);
    }
    session.start(request);
}

void ReadingController::readTextBox(Guard& g, ReadingRequest& request)
{
    QString text;
    g.assign(120, text, [&] { return m_window.textToReadEdit()->toPlainText(); });
    const QTextCursor cursor = m_window.textToReadEdit()->textCursor();
    const TextRange range =
        rangeToRead(text, cursor.selectionStart(), cursor.selectionEnd(), cursor.position());
    // The box holds only the PDF's first pages: while it still holds them unedited, a reading
    // from the cursor goes on to the document's end. A selection is read alone.
    const QString pdf = pdfInTextBox();
    const bool goesOn = !cursor.hasSelection() && !text.isEmpty() && !pdf.isEmpty();
    m_highlight->setFollowsPdf(goesOn);
    if (!goesOn) {
        request.text = text.mid(range.start, range.length);
        request.textOffset = range.start;
        return;
    }
    request.fromPdf = true;
    request.pdfPath = pdf;
    request.startAt = range.start;
    m_chapters->prepare(request);
    preparePdfReading(m_window, g, request);
}

void ReadingController::readChapter(qsizetype index)
{
    const QString pdf = m_chapters->document();
    if (readsPdfAlready(pdf)) {
        m_session->goToChapter(index);
        return;
    }
    readPdf(pdf, [index](ReadingRequest& request) { request.startChapter = index; });
}

void ReadingController::readPdfFrom(const QString& pdf, qsizetype offset)
{
    if (readsPdfAlready(pdf)) {
        m_session->goTo(offset);
        return;
    }
    readPdf(pdf, [offset](ReadingRequest& request) { request.startAt = offset; });
}

bool ReadingController::readsPdfAlready(const QString& pdf) const
{
    const ReadingRequest& running = m_session->request();
    return m_session->state() != ReadingState::Idle && running.fromPdf &&
           QFileInfo(running.pdfPath).absoluteFilePath() == QFileInfo(pdf).absoluteFilePath();
}

void ReadingController::readPdf(const QString& pdf,
                                const std::function<void(ReadingRequest&)>& placeStart)
{
    Guard g("Speak", "SpeakLoud");
    if (pdf.isEmpty() || g.test(102, [&] { return !isExistingFile(pdf); }))
        return;
    ReadingRequest request;
    request.fromPdf = true;
    request.pdfPath = pdf;
    placeStart(request);
    request.voice = chosenVoice(m_window);
    takeListeningChoices(request);
    m_highlight->setFollowsPdf(boxHolds(pdf));
    m_chapters->prepare(request);
    preparePdfReading(m_window, g, request);
    m_session->start(request);
}

void ReadingController::showReadingState()
{
    MainWindow& form = m_window;
    Guard g("Speak", "SpeakLoud");
    switch (form.reading().session()->state()) {
    case ReadingState::Reading:
        g(114, [&] { setCaption(form.readButton(), CaptionPause); });
        g(116, [&] { form.setMousePointer(MainWindow::PointerBusy); });
        break;
    case ReadingState::Paused:
        g(244, [&] { setCaption(form.readButton(), CaptionResume); });
        break;
    case ReadingState::Idle:
        g(238, [&] { form.setMousePointer(MainWindow::PointerDefault); });
        g(240, [&] { setCaption(form.readButton(), CaptionStart); });
        break;
    }
}

} // namespace lectorix
