#include "gui/reading_controls.h"

#include "core/base/failure.h"
#include "core/reading/reading_places.h"
#include "core/reading/reading_session.h"
#include "gui/main_window.h"
#include "gui/read_aloud.h"
#include "gui/reading_highlight.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QKeyEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>

namespace lectorix {

namespace {

// Return and Enter press a focused push button, as Space does (the window is no dialog, so
// Qt gives its buttons no default-button behaviour).
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

void stopReading(MainWindow& form)
{
    ReadingSession& session = *form.readingSession;
    if (session.state() == ReadingState::Idle)
        return;
    if (session.request().fromPdf && form.readingPlaceKeeper)
        form.readingPlaceKeeper->keepPlace();
    session.stop();
}

QMenu* textBoxContextMenu(MainWindow& form)
{
    QMenu* menu = form.textToReadEdit->createStandardContextMenu();
    menu->addSeparator();
    QAction* stop = menu->addAction(QStringLiteral("Stop"));
    stop->setObjectName(QStringLiteral("stopReadingAction"));
    stop->setShortcut(QKeySequence(Qt::Key_Escape));
    stop->setEnabled(form.readingSession->state() != ReadingState::Idle);
    QObject::connect(stop, &QAction::triggered, &form, [&form] { stopReading(form); });
    return menu;
}

void setUpReadingControls(MainWindow& form)
{
    form.readingHighlight = new ReadingHighlight(*form.readingSession, *form.textToReadEdit, &form);
    form.readingPlaceKeeper = new ReadingPlaceKeeper(form);

    auto* startPause = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), &form);
    startPause->setObjectName(QStringLiteral("startPauseShortcut"));
    QObject::connect(startPause, &QShortcut::activated, &form, [&form] {
        if (form.readButton->isEnabled())
            pressReadButton(form);
    });
    auto* stop = new QShortcut(QKeySequence(Qt::Key_Escape), &form);
    stop->setObjectName(QStringLiteral("stopShortcut"));
    QObject::connect(stop, &QShortcut::activated, &form, [&form] { stopReading(form); });

    // A keyboard user can leave the text box with Tab; a tab character can still be pasted.
    form.textToReadEdit->setTabChangesFocus(true);
    form.textToReadEdit->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(form.textToReadEdit, &QPlainTextEdit::customContextMenuRequested, &form,
                     [&form](const QPoint& at) {
                         QMenu* menu = textBoxContextMenu(form);
                         menu->exec(form.textToReadEdit->viewport()->mapToGlobal(at));
                         delete menu;
                     });

    auto* enter = new EnterPressesButton(&form);
    for (QPushButton* button : form.findChildren<QPushButton*>())
        button->installEventFilter(enter);
}

ReadingPlaceKeeper::ReadingPlaceKeeper(MainWindow& form) : QObject(&form), m_form(form)
{
    ReadingSession& session = *form.readingSession;
    connect(&session, &ReadingSession::spokenRange, this, [this](qsizetype start, qsizetype) {
        if (!m_wordsHeard)
            m_position = start;
    });
    connect(&session, &ReadingSession::spokenWord, this, [this](qsizetype start, qsizetype) {
        m_wordsHeard = true;
        m_position = start;
    });
    connect(&session, &ReadingSession::stateChanged, this, [this](ReadingState state) {
        const ReadingRequest& request = m_form.readingSession->request();
        if (state != ReadingState::Idle) {
            if (!m_running) {
                m_running = true;
                m_position = request.startAt;
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
    const ReadingRequest& request = m_form.readingSession->request();
    if (!request.fromPdf)
        return;
    try {
        // Stopped before anything past the start was heard: nothing worth offering.
        if (m_position > 0)
            rememberReadingPlace(request.pdfPath, m_position);
        else
            forgetReadingPlace(request.pdfPath);
    } catch (const Failure&) {
        // The settings file cannot be written: the place is simply not kept.
    }
}

} // namespace lectorix
