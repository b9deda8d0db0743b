#pragma once

#include "core/base/failure.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>
#include <typeinfo>

namespace lectorix {

// A failed step of any job, whatever its own enumeration of steps: the one value the jobs'
// shared stepFailed() signal carries. as<Step>() gives the job's typed StepFailure back, so a
// front end keeps its table from each job's steps to what it shows.
class JobFailure
{
public:
    JobFailure() = default;
    template <typename Step>
    JobFailure(const StepFailure<Step>& failure) // NOLINT(google-explicit-constructor)
        : description(failure.description), reason(failure.reason), m_steps(&typeid(Step)),
          m_step(static_cast<int>(failure.step))
    {
    }

    // The failure as a step of the enumeration Step; none when it is a step of another kind.
    template <typename Step> std::optional<StepFailure<Step>> as() const
    {
        if (m_steps == nullptr || *m_steps != typeid(Step))
            return std::nullopt;
        return StepFailure<Step>{static_cast<Step>(m_step), description, reason};
    }

    QString description;
    QString reason;

private:
    const std::type_info* m_steps = nullptr;
    int m_step = 0;
};

// What a job needs from the user to go on, asked through its asked() signal. The front end
// answers it, at once or later, with its own dialog or prompt; the job then goes on with the
// answer instead of being run again. Declining, or no front end listening, ends the job as it
// ends without the answer. A question is answered once; it belongs to the job that asked it
// and goes with it, so a front end that answers later holds it by QPointer.
class JobQuestion final : public QObject
{
    Q_OBJECT

public:
    enum class Kind {
        Password,      // the document does not open without one (or with the one tried)
        RecogniseScan, // the document's text is a scanned image: recognise it?
    };
    // answered is called with the answer (empty for a plain Yes), or with none for a No.
    using Reply = std::function<void(const std::optional<QString>& answer)>;

    JobQuestion(Kind kind, QString document, QString tried, Reply reply, QObject* parent);

    Kind kind() const { return m_kind; }
    // The document the question is about.
    const QString& document() const { return m_document; }
    // With Password: the password tried that did not open it, empty when none was given.
    const QString& tried() const { return m_tried; }
    bool isAnswered() const { return m_answered; }

    // The password to try next.
    void answer(const QString& password);
    // Yes to a RecogniseScan question.
    void accept();
    // No, or no password: the job ends as it would have without asking.
    void decline();

private:
    void reply(const std::optional<QString>& answer);

    Kind m_kind;
    QString m_document;
    QString m_tried;
    Reply m_reply;
    bool m_answered = false;
};

// The shape every long piece of work of the core shares: it is started, may be cancelled, and
// tells its end. Each job's own finished() signal carries its typed result, and its progress
// signal what its progress is measured in; ended() follows finished() for code that handles
// any job. A step that fails is handed over at once as stepFailed(), and the job goes on as that
// step's rule says; it never shows anything itself. What it needs from the user comes as a
// JobQuestion through asked().
class Job : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Stops the work; the job ends as cancelled.
    virtual void cancel() = 0;
    virtual bool isRunning() const = 0;

signals:
    void stepFailed(const lectorix::JobFailure& failure);
    void asked(lectorix::JobQuestion* question);
    // The job has ended, whatever its outcome; after its own finished().
    void ended();

protected:
    // Runs one step; a failure it throws is handed over as stepFailed(). Returns whether the
    // step succeeded.
    template <typename Step, typename Body> bool step(Step which, Body&& body)
    {
        return runStep(which, std::forward<Body>(body),
                       [this](const StepFailure<Step>& failure) { emit stepFailed(failure); });
    }
    // Asks the user through asked(); reply has the answer. With no front end listening the
    // question is declined at once. An unanswered question goes when the next is asked or the
    // job is cancelled (dropQuestion()), and its reply is then never called.
    void ask(JobQuestion::Kind kind, const QString& document, const QString& tried,
             JobQuestion::Reply reply);
    // Passes on the question of a job this one runs, as its own.
    void relay(JobQuestion* question);
    void dropQuestion();

private:
    QPointer<JobQuestion> m_question;
};

} // namespace lectorix

Q_DECLARE_METATYPE(lectorix::JobFailure)
