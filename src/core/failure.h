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
