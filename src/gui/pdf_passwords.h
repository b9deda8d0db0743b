#pragma once

#include "core/conversion/conversion_job.h"
#include "core/pdf/document_text.h"

#include <QHash>
#include <QString>

#include <optional>

namespace lectorix {

// The passwords that opened PDFs in this session, kept in memory only (never in the settings
// file), and the asking for another when a document does not open. Filling the text box,
// reading aloud and the MP3 export share the window's one, so a document's password is asked
// for once.
//
// Each of them opens a document alike: it tries the remembered password (an empty one when the
// document opened without), else, with the password box ticked, one asked for before trying,
// else none. A document that does not open with it asks its job's Password question, which
// answer() answers with the next password asked for (saying that the last one was wrong), until
// it opens or the user cancels; when the job ends, ended() remembers the password that opened
// the document.
class PdfPasswords
{
public:
    // The password that opened pdfPath in this session, empty when it opened without one; none
    // when it has not been opened yet.
    std::optional<QString> known(const QString& pdfPath) const;

    // Answers a job's Password question with the next password asked for; declines it when
    // the prompt is cancelled or left blank.
    void answer(JobQuestion& question);
    // A try of pdfPath with tried (empty for none) ended with outcome: remembers tried when the
    // document opened.
    void ended(const QString& pdfPath, const QString& tried, ExtractionOutcome outcome);
    void ended(const QString& pdfPath, const QString& tried, ConversionOutcome outcome);

    // pdfPath opened with password.
    void opened(const QString& pdfPath, const QString& password);
    // pdfPath did not open with tried: a remembered password that no longer opens it is
    // forgotten, and the user is asked for another (needed, or the one tried was wrong). None
    // when cancelled or left blank.
    std::optional<QString> askAgain(const QString& pdfPath, const QString& tried);

private:
    QHash<QString, QString> m_passwords;
};

// What the window says of a PDF that gave no text, naming pdfPath: a damaged document and a
// missing one in the words the converter uses for them, otherwise (a password that was not
// given, a converter that could not run) the "password protected or text is protected" message.
QString noTextMessage(const QString& pdfPath, ConversionOutcome outcome);

} // namespace lectorix
