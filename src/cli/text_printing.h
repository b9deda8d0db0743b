#pragma once

#include <QString>
#include <QStringList>

#include <functional>

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
// reason and the next one goes on. Returns the exit status: 0 when every input gave its text,
// 1 when any failed or output could not be written.
int printSpokenTexts(const QStringList& inputs, const TextPrintingChoices& choices,
                     const std::function<bool(const QString&)>& write,
                     const std::function<void(const QString&)>& printError);

} // namespace lectorix::cli
