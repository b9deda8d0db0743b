#pragma once

#include "core/pdf/document_text.h"
#include "gui/pdf_passwords.h"
#include "gui/scan_recognition.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

namespace lectorix {
class MainWindow;
class RecognitionJob;

// The document in the window: which source a reading takes (the text box, or the PDF named
// in the PDF box), what fills the text box (a PDF's text, a text file, the sample) and the
// text box's own buttons.
class DocumentController final : public QObject
{
    Q_OBJECT

public:
    explicit DocumentController(MainWindow& window);

    // Fills the text box with the text of pages 1 to 100 of the PDF, or with a message (also
    // shown in a message box) when it has none. The password is the one that opened the PDF
    // before in this session, or asked for (see PdfPasswords). The box is emptied at once; the text
    // arrives when the converter has finished, while the window goes on. The converter writes into
    // {TEMP}, never beside the PDF, so a user's own text file of the same name is left alone. A
    // call overtaken by a newer one (a second document chosen while the converter still runs) drops
    // its result, so the box always holds the newest document's text. then, when given, runs once
    // the text or the message is shown (not for an overtaken call).
    void loadPdfText(const QString& pdfPath, std::function<void()> then = std::function<void()>());

    // After an extraction of the text box found the document scanned: asks whether to
    // recognise its text (ScanRecognition), and with a Yes recognises its pages without usable
    // text, while the window goes on. Once all are, the text box is filled with the pages' text
    // and done(true) runs; done(false) when no text was found or the recognition could not run
    // (its message shown), for the caller to show the extraction as it was. False, and done
    // never runs, when the user said No or the extraction has no pages.
    bool recognisePdfText(const ExtractionRequest& request, const ExtractionResult& result,
                          std::function<void(bool recognised)> done);

    // Drops the extraction still filling the text box, if one runs, so that its text does not
    // replace what the box is about to be given instead.
    void cancelTextExtraction();

    // Connects the controls; called once the window's controllers exist.
    void wire();

    // True when the text box is the source for reading aloud, false when the PDF is.
    bool useTextBox() const { return m_useTextBox; }
    void setUseTextBox(bool use) { m_useTextBox = use; }
    // The extraction filling the text box, while one runs.
    QPointer<ExtractionJob>& textExtraction() { return m_textExtraction; }
    // Whether a scanned PDF's text is being recognised for the text box.
    bool isRecognisingText() const { return !m_textRecognition.isNull(); }
    // The passwords of the PDFs opened in this session.
    PdfPasswords& passwords() { return m_passwords; }
    // Whether scanned PDFs have their text recognised, as the user answered.
    ScanRecognition& scans() { return m_scans; }

    void choosePdf(); // "..." beside the PDF path
    // What choosing path does: it becomes the PDF to read, and its text fills the text box.
    void openPdf(const QString& path);
    // Enter in the PDF box, or leaving it after an edit: the path typed there is opened as a
    // chosen one; an empty box opens nothing.
    void pdfPathEntered();
    void loadTextFromFile(); // "Load Text From Text File"
    // What choosing path there does: the file's text fills the text box and becomes the source.
    void loadTextFile(const QString& path);
    void saveTextToFile(); // "Save Text To Text File"
    void clearText();      // "Clear Text"
    void loadSample();     // "Load Sample/Example File"

    // Opens a document named on the command line exactly as choosing it in the window would:
    // a PDF as the "..." chooser does (the path goes into the PDF box, the PDF becomes the
    // source for reading, its text fills the box), a text file (by its content type, see
    // documentKind) as "Load Text From Text File" does. The file dialog those handlers show
    // is answered with the path instead of being shown. A PDF's text arrives while the window
    // goes on, as with a chosen PDF; a text file's text replaces whatever an earlier document
    // (the one remembered from the last session) is still delivering.
    void openDocument(const QString& path);

    // The focus left the text box for reason: a move to another control of the window makes
    // the box the source.
    void textBoxLeft(Qt::FocusReason reason);

signals:
    // The text box was filled with the text of the PDF at pdfPath, as its extraction gave it.
    void pdfTextShown(const QString& pdfPath);
    // With it, when the converter gave the pages' layout: the pages, their words' offsets in
    // the text the box was given.
    void pdfLayoutShown(const QString& pdfPath, const QString& text,
                        const QList<lectorix::LayoutPage>& pages);
    // A PDF was chosen to be read: its pages can be shown.
    void pdfOpened(const QString& pdfPath);

private:
    void offerSampleFolder();

    MainWindow& m_window;
    bool m_useTextBox = false;
    QPointer<ExtractionJob> m_textExtraction;
    QPointer<RecognitionJob> m_textRecognition;
    PdfPasswords m_passwords;
    ScanRecognition m_scans;
};

} // namespace lectorix
