#pragma once

#include <QString>

#include <stdexcept>

namespace lectorix {

// The one exception type of the program. Utilities that "raise" throw it with the text the
// error report shows; the guard of a guarded procedure catches it (and any std::exception).
class Failure : public std::runtime_error
{
public:
    explicit Failure(const QString& description)
        : std::runtime_error(description.toStdString()), m_description(description)
    {
    }
    const QString& description() const noexcept { return m_description; }

private:
    QString m_description;
};

// The description of whatever is being handled in a catch block: a Failure's own text, or
// the classic runtime's wording for the rest.
QString describeCurrentException();

// What a job of the core hands its front end when one of its steps fails, instead of showing
// anything itself. Step is the job's own enumeration of its steps; the window turns a step into
// the error report's procedure and line, the converter prints the description and the reason.
// The job goes on with its next step where it can, as the report box does.
template <typename Step> struct StepFailure
{
    Step step{};
    // What the report says: the text of the Failure caught, or the job's own sentence.
    QString description;
    // The system's own reason, where there is one beyond the description (what a tool wrote,
    // strerror); often empty.
    QString reason;
};

// Runs one step of a job: a failure it throws becomes the step's StepFailure, handed to failed
// (a callable taking const StepFailure<Step>&) at once. Returns whether the step succeeded.
template <typename Step, typename Body, typename Failed>
bool runStep(Step step, Body&& body, Failed&& failed)
{
    try {
        body();
        return true;
    } catch (...) {
        failed(StepFailure<Step>{step, describeCurrentException(), QString()});
        return false;
    }
}

// Descriptions shared by several places, worded as the classic runtime words them.
namespace failures {
inline const QString TypeMismatch = QStringLiteral("Type mismatch");
inline const QString InvalidPropertyValue = QStringLiteral("Invalid property value");
inline const QString Overflow = QStringLiteral("Overflow");
inline const QString InvalidArgument = QStringLiteral("Invalid procedure call or argument");
inline const QString ObjectRequired =
    QStringLiteral("Object variable or With block variable not set");
} // namespace failures

} // namespace lectorix
