#include "gui/reading_controller.h"

#include "core/base/failure.h"
#include "core/reading/reading_places.h"
#include "core/reading/reading_session.h"
#include "gui/dialogs.h"
#include "gui/document_controller.h"
#include "gui/job_failure_reports.h"
#include "gui/main_window.h"
#include "gui/read_aloud.h"
#include "gui/reading_failure_reports.h"
#include "gui/reading_highlight.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>

namespace lectorix {

namespace {

class EnterPressesButton final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        auto* button = qobject_cast<QPushButton*>(watched);
        if (!button || key->modifiers() & ~Qt::KeypadModifier ||
            (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter))
            return false;
        if (!key->isAutoRepeat())
            button->animateClick();
        return true;
    }
};

} // namespace

void setCaption(QAbstractButton* control, const QString& caption)
{
    const QString shown = control->text();
    if (control->accessibleName().isEmpty() || control->accessibleName() == shown)
        control->setAccessibleName(caption); // tells screen readers the name changed
    control->setText(caption);
}

void letEnterPressButtons(QWidget& window)
{
    auto* enter = new EnterPressesButton(&window);
    for (QPushButton* button : window.findChildren<QPushButton*>())
        button->installEventFilter(enter);
}

ReadingController::ReadingController(MainWindow& window)
    : m_window(window), m_session(std::make_unique<ReadingSession>())
{
    // The reading button follows the session before anything else hears of a change.
    connect(m_session.get(), &ReadingSession::stateChanged, this, [this] { showReadingState(); });
    connect(m_session.get(), &ReadingSession::stepFailed, this, &reportReadingFailure);
    // A PDF range's extraction reports its steps as the reading's own.
    ReadingSession* session = m_session.get();
    connect(session, &ReadingSession::extractionStepFailed, this,
            [session](const ExtractionFailure& failure) {
                reportExtractionFailure(
                    failure, readingExtractionLines(!session->request().password.isEmpty()));
            });
    // A PDF's password is remembered once the PDF is heard; one that does not open it is
    // asked for again.
    connect(session, &ReadingSession::passwordNeeded, this,
            &ReadingController::readWithAnotherPassword);
    connect(session, &ReadingSession::spokenRange, this, [this, session] {
        if (session->request().fromPdf)
            m_window.documents().passwords().opened(session->request().pdfPath,
                                                    session->request().password);
    });
    connect(session, &ReadingSession::unreadablePages, this, &tellUnreadablePages);
    connect(session, &ReadingSession::recognitionFailed, this,
            [](const QString& message) { showMessage(message); });
    m_highlight = std::make_unique<ReadingHighlight>(*m_session, *window.textToReadEdit(), nullptr);
    m_placeKeeper = std::make_unique<ReadingPlaceKeeper>(*m_session);
}

// The voice and the session go before the highlight and the keeper that watch them.
ReadingController::~ReadingController()
{
    m_renderVoice.reset();
    m_session.reset();
}

void ReadingController::wire()
{
    MainWindow& form = m_window;
    connect(form.textToReadEdit(), &QPlainTextEdit::textChanged, this,
            &ReadingController::textBoxEdited);
    connect(&form.documents(), &DocumentController::pdfTextShown, this,
            &ReadingController::pdfTextShown);

    auto* startPause = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), &form);
    startPause->setObjectName(QStringLiteral("startPauseShortcut"));
    connect(startPause, &QShortcut::activated, this, [this, &form] {
        if (!form.readButton()->isEnabled())
            return;
        // A click on the button takes the focus out of the text box, and that makes the box
        // the source; the key chooses the same source, leaving the cursor where it is.
        if (form.textToReadEdit()->hasFocus())
            form.documents().textBoxLeft(Qt::ShortcutFocusReason);
        pressReadButton();
    });
    auto* stopKey = new QShortcut(QKeySequence(Qt::Key_Escape), &form);
    stopKey->setObjectName(QStringLiteral("stopShortcut"));
    connect(stopKey, &QShortcut::activated, this, &ReadingController::stop);

    // A keyboard user can leave the text box with Tab; a tab character can still be pasted.
    QPlainTextEdit* textBox = form.textToReadEdit();
    textBox->setTabChangesFocus(true);
    textBox->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(textBox, &QPlainTextEdit::customContextMenuRequested, this,
            [this, textBox](const QPoint& at) {
                QMenu* menu = textBoxContextMenu();
                menu->exec(textBox->viewport()->mapToGlobal(at));
                delete menu;
            });
}

void ReadingController::stop()
{
    if (m_session->state() == ReadingState::Idle)
        return;
    if (m_session->request().fromPdf)
        m_placeKeeper->keepPlace();
    m_session->stop();
}

QMenu* ReadingController::textBoxContextMenu()
{
    QMenu* menu = m_window.textToReadEdit()->createStandardContextMenu();
    menu->addSeparator();
    QAction* stopAction = menu->addAction(QStringLiteral("Stop"));
    stopAction->setObjectName(QStringLiteral("stopReadingAction"));
    stopAction->setShortcut(QKeySequence(Qt::Key_Escape));
    stopAction->setEnabled(m_session->state() != ReadingState::Idle);
    connect(stopAction, &QAction::triggered, this, &ReadingController::stop);
    return menu;
}

void ReadingController::textBoxEdited()
{
    // The text being read is no longer what the box shows: that reading ends, and the next
    // press starts a reading of the new text. A reading of the PDF named in the PDF box does
    // not depend on the box; one that went on from the box's text does.
    const bool fromBox = !m_boxChanged && m_session->request().pdfPath == m_pdfInTextBox.path;
    m_boxChanged = true;
    if (m_session->state() != ReadingState::Idle && m_session->request().fromPdf && !fromBox)
        return;
    m_session->stop();
    setCaption(m_window.readButton(), CaptionStart);
}

void ReadingController::pdfTextShown(const QString& pdfPath)
{
    const QFileInfo file(pdfPath);
    m_pdfInTextBox = {file.absoluteFilePath(), file.size(), file.lastModified()};
    m_boxChanged = false;
}

QString ReadingController::pdfInTextBox() const
{
    if (m_boxChanged)
        return {};
    const QFileInfo file(m_pdfInTextBox.path);
    if (!file.isFile() || file.size() != m_pdfInTextBox.size ||
        file.lastModified() != m_pdfInTextBox.modified)
        return {};
    return m_pdfInTextBox.path;
}

ReadingPlaceKeeper::ReadingPlaceKeeper(ReadingSession& session) : m_session(session)
{
    connect(&session, &ReadingSession::textConverted, this,
            [this](qsizetype offset, const QString& text) {
                if (offset == 0)
                    m_documentText.clear();
                if (offset == m_documentText.size())
                    m_documentText += text;
            });
    connect(&session, &ReadingSession::spokenRange, this, [this](qsizetype start, qsizetype) {
        if (!m_wordsHeard)
            m_position = start;
    });
    connect(&session, &ReadingSession::spokenWord, this, [this](qsizetype start, qsizetype) {
        m_wordsHeard = true;
        m_position = start;
    });
    connect(&session, &ReadingSession::stateChanged, this, [this](ReadingState state) {
        const ReadingRequest& request = m_session.request();
        if (state != ReadingState::Idle) {
            if (!m_running) {
                m_running = true;
                m_position = request.startAt;
                m_documentText.clear();
                m_wordsHeard = false;
                m_endedEarly = false;
            }
            return;
        }
        const bool wentToTheEnd = m_running && !m_endedEarly && request.fromPdf;
        m_running = false;
        if (!wentToTheEnd)
            return;
        try {
            forgetReadingPlace(request.pdfPath);
        } catch (const Failure&) {
            // The settings file cannot be written: the old place stays offered.
        }
    });
}

void ReadingPlaceKeeper::keepPlace()
{
    m_endedEarly = true;
    const ReadingRequest& request = m_session.request();
    if (!request.fromPdf)
        return;
    try {
        // Stopped before anything past the start was heard: nothing worth offering.
        if (m_position > 0)
            rememberReadingPlace(request.pdfPath, m_position,
                                 nameOfPlace(m_documentText, m_position));
        else
            forgetReadingPlace(request.pdfPath);
    } catch (const Failure&) {
        // The settings file cannot be written: the place is simply not kept.
    }
}

} // namespace lectorix
