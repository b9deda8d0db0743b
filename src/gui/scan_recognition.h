#pragma once

#include <QSet>
#include <QString>

namespace lectorix {

// What the window asks of a PDF whose text cannot be read (a scan): whether to recognise the
// text in its pages instead. A Yes holds for that document for the rest of the session, so
// filling the text box, reading aloud and the MP3 export ask once between them; with the
// check box ticked it holds for every document, now and in later sessions (the
// RecogniseScannedPages setting). A No leaves everything as it was without recognition.
class ScanRecognition
{
public:
    // Whether the scanned pages of pdfPath are recognised without asking: the setting, or a Yes
    // for this document.
    bool recognises(const QString& pdfPath) const;

    // Whether to recognise the text of pdfPath, whose text cannot be read: true without asking
    // when recognises() is, else the user's answer to the question.
    bool recogniseOrAsk(const QString& pdfPath);

private:
    QSet<QString> m_documents; // absolute paths of the documents answered Yes
    bool m_always = false;     // "always" chosen, but the settings file could not keep it
};

// The question and its check box, naming pdfPath.
QString recogniseQuestion(const QString& pdfPath);
inline const QString AlwaysRecogniseCheckBox =
    QStringLiteral("Always recognise text in scanned pages");

} // namespace lectorix
