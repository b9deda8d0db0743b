#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QTemporaryDir;

namespace lectorix {
class ExtractionJob;
struct ExtractionResult;
} // namespace lectorix

namespace lectorix::cli {

struct TextPrintingChoices
{
    QString password;          // for encrypted PDFs; empty: none
    QString standardInputText; // the text read from standard input, when "-" is an input
    bool verbatim = false;
};

// Prints what a conversion of each input would speak, one utterance per line, and converts
// nothing: the document's text prepared for speech (or line by line when verbatim) and
// cleaned as the voice is given it. An input without text is named on standard error with its
// reason and the next one goes on; so is a step of a PDF's extraction that fails. A PDF's text
// is extracted by the job a conversion uses, on the program's event loop. finished() gives
// the exit status: 0 when every input gave its text, 1 when any failed or output could not be
// written.
class TextPrinting final : public QObject
{
    Q_OBJECT

public:
    using Write = std::function<bool(const QString& text)>;
    using PrintError = std::function<void(const QString& message)>;

    TextPrinting(QStringList inputs, TextPrintingChoices choices, Write write,
                 PrintError printError, QObject* parent = nullptr);
    ~TextPrinting() override;

    void start();

signals:
    void finished(int exitStatus);

private:
    void next();
    void extractPdf(const QString& input);
    void extracted(const QString& input, const ExtractionResult& result);
    void print(const QString& input, const QString& text, const QString& problem);

    QStringList m_inputs;
    TextPrintingChoices m_choices;
    Write m_write;
    PrintError m_printError;
    qsizetype m_current = -1;
    int m_status = 0;
    ExtractionJob* m_extraction = nullptr;
    std::unique_ptr<QTemporaryDir> m_workFolder; // of the PDF being extracted
};

} // namespace lectorix::cli
