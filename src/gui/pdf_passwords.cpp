#include "gui/pdf_passwords.h"

#include "gui/password_prompt.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>

namespace lectorix {

namespace {

// One document under one name, however the path was written.
QString documentKey(const QString& pdfPath)
{
    return QDir::cleanPath(QFileInfo(pdfPath).absoluteFilePath());
}

} // namespace

std::optional<QString> PdfPasswords::known(const QString& pdfPath) const
{
    const auto found = m_passwords.constFind(documentKey(pdfPath));
    if (found == m_passwords.constEnd())
        return std::nullopt;
    return *found;
}

void PdfPasswords::opened(const QString& pdfPath, const QString& password)
{
    m_passwords.insert(documentKey(pdfPath), password);
}

std::optional<QString> PdfPasswords::askAgain(const QString& pdfPath, const QString& tried)
{
    m_passwords.remove(documentKey(pdfPath));
    const QString answer =
        askPassword(pdfPath, tried.isEmpty() ? PasswordQuestion::Needed : PasswordQuestion::Wrong);
    if (answer.isEmpty())
        return std::nullopt;
    return answer;
}

void PdfPasswords::answer(JobQuestion& question)
{
    // The job may be stopped while the prompt is open (the sleep timer ends a reading), and its
    // question goes with it.
    const QPointer<JobQuestion> asked = &question;
    const std::optional<QString> next = askAgain(question.document(), question.tried());
    if (!asked)
        return;
    if (next)
        asked->answer(*next);
    else
        asked->decline();
}

void PdfPasswords::ended(const QString& pdfPath, const QString& tried, ExtractionOutcome outcome)
{
    if (outcome == ExtractionOutcome::Text || outcome == ExtractionOutcome::Unreadable)
        opened(pdfPath, tried);
}

void PdfPasswords::ended(const QString& pdfPath, const QString& tried, ConversionOutcome outcome)
{
    if (outcome == ConversionOutcome::Done || outcome == ConversionOutcome::Unreadable)
        opened(pdfPath, tried);
}

QString noTextMessage(const QString& pdfPath, ConversionOutcome outcome)
{
    if (outcome != ConversionOutcome::Protected && outcome != ConversionOutcome::Missing)
        return protectedTextMessage(pdfPath);
    return QStringLiteral("The file ") + pdfPath +
           QStringLiteral(" can not be read by this software - ") +
           conversionFailureReason(outcome) + QLatin1Char('.');
}

} // namespace lectorix
