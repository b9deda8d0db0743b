#include "gui/scan_recognition.h"

#include "core/base/failure.h"
#include "core/settings/settings.h"
#include "core/settings/settings_keys.h"
#include "gui/dialogs.h"

#include <QFileInfo>

namespace lectorix {

namespace {

// The same document named another way (relative, through a link) is the same document.
QString documentKey(const QString& pdfPath)
{
    const QFileInfo file(pdfPath);
    const QString canonical = file.canonicalFilePath();
    return canonical.isEmpty() ? file.absoluteFilePath() : canonical;
}

} // namespace

QString recogniseQuestion(const QString& pdfPath)
{
    return QStringLiteral("The file ") + pdfPath +
           QStringLiteral(" has no text that this software can read: its pages look like "
                          "scanned images.\n\nRecognise the text in its pages? This takes a few "
                          "seconds a page.");
}

bool ScanRecognition::recognises(const QString& pdfPath) const
{
    return m_always || recognisesScannedPages() || m_documents.contains(documentKey(pdfPath));
}

bool ScanRecognition::recogniseOrAsk(const QString& pdfPath)
{
    if (recognises(pdfPath))
        return true;
    bool always = false;
    Dialogs::Message question{recogniseQuestion(pdfPath), applicationTitle(),
                              Dialogs::Icon::Question, Dialogs::Buttons::YesNo};
    question.checkBox = AlwaysRecogniseCheckBox;
    question.checked = &always;
    if (dialogs().message(question) != Dialogs::Answer::Yes)
        return false;
    m_documents.insert(documentKey(pdfPath));
    if (always) {
        try {
            writeSetting(keys::RecogniseScannedPages, convert::fromBool(true));
        } catch (const Failure&) {
            // The settings file cannot be written: the choice holds for this session only.
            m_always = true;
        }
    }
    return true;
}

} // namespace lectorix
