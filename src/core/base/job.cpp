#include "core/base/job.h"

#include <QMetaMethod>

namespace lectorix {

JobQuestion::JobQuestion(Kind kind, QString document, QString tried, Reply reply, QObject* parent)
    : QObject(parent), m_kind(kind), m_document(std::move(document)), m_tried(std::move(tried)),
      m_reply(std::move(reply))
{
}

void JobQuestion::answer(const QString& password)
{
    reply(password);
}

void JobQuestion::accept()
{
    reply(QString());
}

void JobQuestion::decline()
{
    reply(std::nullopt);
}

void JobQuestion::reply(const std::optional<QString>& answer)
{
    if (m_answered)
        return;
    m_answered = true;
    // The job may ask its next question from inside the reply, which lets go of this one.
    const Reply reply = std::exchange(m_reply, {});
    deleteLater();
    reply(answer);
}

void Job::ask(JobQuestion::Kind kind, const QString& document, const QString& tried,
              JobQuestion::Reply reply)
{
    dropQuestion();
    auto* question = new JobQuestion(kind, document, tried, std::move(reply), this);
    m_question = question;
    relay(question);
}

void Job::relay(JobQuestion* question)
{
    static const QMetaMethod askedSignal = QMetaMethod::fromSignal(&Job::asked);
    if (isSignalConnected(askedSignal))
        emit asked(question);
    else
        question->decline();
}

void Job::dropQuestion()
{
    if (m_question && !m_question->isAnswered())
        delete m_question.data();
}

} // namespace lectorix
