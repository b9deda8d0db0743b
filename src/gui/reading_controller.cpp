#include "gui/reading_controller.h"

#include "core/base/failure.h"
#include "core/reading/reading_places.h"
#include "core/reading/reading_session.h"
#include "gui/chapter_list.h"
#include "gui/dialogs.h"
#include "gui/document_controller.h"
#include "gui/job_failure_reports.h"
#include "gui/main_window.h"
#include "gui/page_view/page_reading.h"
#include "gui/page_view/page_view.h"
#include "gui/page_view/page_view_panel.h"
#include "gui/read_aloud.h"
#include "gui/reading_failure_reports.h"
#include "gui/reading_highlight.h"
#include "gui/reading_status.h"

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
    // A PDF range's extraction reports its steps as the reading's own.
    ReadingSession* session = m_session.get();
    connect(session, &Job::stepFailed, this, [session](const JobFailure& failure) {
        if (const auto reading = failure.as<ReadingStep>())
            reportReadingFailure(*reading);
        else if (const auto extraction = failure.as<ExtractionStep>())
            reportExtractionFailure(*extraction,
                                    readingExtractionLines(!session->request().password.isEmpty()));
    });
    // A PDF's password is remembered once the PDF is heard; one that does not open it is
    // asked for again.
    connect(session, &Job::asked, this,
            [this](JobQuestion* question) { m_window.documents().passwords().answer(*question); });
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
    m_chapters = std::make_unique<ChapterList>(window, *m_session);
    connect(m_chapters.get(), &ChapterList::chapterChosen, this, &ReadingController::readChapter);
    m_statusLine = std::make_unique<ReadingStatusLine>(*m_session, *window.readingStatusLabel());
    PageView* pages = window.pageViewPanel()->view();
    m_pageReading = std::make_unique<PageReading>(
        *m_session, *pages,
        PageReading::Actions{
            [this, pages](qsizetype offset) { readPdfFrom(pages->document(), offset); },
            [this] { stop(); }},
        nullptr);
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
    // The pages of the PDF chosen, or of the one being read, are shown.
    PageView* pages = form.pageViewPanel()->view();
    const auto showPages = [this, pages](const QString& pdf) {
        pages->setDocument(QFileInfo(pdf).absoluteFilePath(),
                           m_window.documents().passwords().known(pdf).value_or(QString()));
    };
    connect(&form.documents(), &DocumentController::pdfOpened, this, showPages);
    connect(&form.documents(), &DocumentController::pdfTextShown, this, showPages);
    connect(&form.documents(), &DocumentController::pdfLayoutShown, m_pageReading.get(),
            &PageReading::documentLaidOut);
    connect(m_session.get(), &ReadingSession::stateChanged, this, [this, pages] {
        const ReadingRequest& request = m_session->request();
        if (m_session->state() != ReadingState::Idle && request.fromPdf)
            pages->setDocument(QFileInfo(request.pdfPath).absoluteFilePath(), request.password);
    });
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
    addMoveKeys();

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

void ReadingController::addMoveKeys()
{
    struct MoveKey
    {
        const char* name;
        QKeyCombination key;
        ReadingUnit unit;
        bool on;
    };
    const MoveKey keys[] = {
        {"nextSentenceShortcut", Qt::ALT | Qt::Key_Right, ReadingUnit::Sentence, true},
        {"previousSentenceShortcut", Qt::ALT | Qt::Key_Left, ReadingUnit::Sentence, false},
        {"nextParagraphShortcut", Qt::ALT | Qt::Key_Down, ReadingUnit::Paragraph, true},
        {"previousParagraphShortcut", Qt::ALT | Qt::Key_Up, ReadingUnit::Paragraph, false},
        {"nextChapterShortcut", Qt::ALT | Qt::Key_PageDown, ReadingUnit::Chapter, true},
        {"previousChapterShortcut", Qt::ALT | Qt::Key_PageUp, ReadingUnit::Chapter, false},
    };
    QList<QShortcut*> shortcuts;
    for (const MoveKey& key : keys) {
        auto* shortcut = new QShortcut(QKeySequence(key.key), &m_window);
        shortcut->setObjectName(QLatin1String(key.name));
        // Only while a reading runs: otherwise the keys keep their usual work (Alt+Down opens
        // a list).
        shortcut->setEnabled(false);
        const ReadingUnit unit = key.unit;
        const bool on = key.on;
        connect(shortcut, &QShortcut::activated, this, [this, unit, on] {
            if (on)
                m_session->moveOn(unit);
            else
                m_session->moveBack(unit);
        });
        shortcuts.append(shortcut);
    }
    connect(m_session.get(), &ReadingSession::stateChanged, this, [shortcuts](ReadingState state) {
        for (QShortcut* shortcut : shortcuts)
            shortcut->setEnabled(state != ReadingState::Idle);
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
    // A PDF read on no longer matches the box's text: it is not shown there.
    m_highlight->setFollowsPdf(false);
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
    m_chapters->showDocument(pdfPath,
                             m_window.documents().passwords().known(pdfPath).value_or(QString()));
}

bool ReadingController::boxHolds(const QString& pdfPath) const
{
    const QString shown = pdfInTextBox();
    return !shown.isEmpty() && shown == QFileInfo(pdfPath).absoluteFilePath();
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
    connect(&session, &ReadingSession::stateChanged, this, [this](ReadingState state) {
        const ReadingRequest& request = m_session.request();
        if (state != ReadingState::Idle) {
            if (!m_running) {
                m_running = true;
                m_documentText.clear();
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
        const qsizetype position = m_session.position();
        if (position > 0) {
            PlaceName name = nameOfPlace(m_documentText, position);
            if (const qsizetype chapter = m_session.chapter(); chapter >= 0)
                name.chapter = m_session.chapters().at(chapter).title;
            rememberReadingPlace(request.pdfPath, position, name);
        } else
            forgetReadingPlace(request.pdfPath);
    } catch (const Failure&) {
        // The settings file cannot be written: the place is simply not kept.
    }
}

} // namespace lectorix
