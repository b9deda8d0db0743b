#include "gui/pdf_text.h"

#include "core/error_report.h"
#include "gui/main_window.h"
#include "core/file_utils.h"
#include "core/pdf_converter.h"
#include "gui/password_prompt.h"
#include "core/text_files.h"
#include "gui/dialogs.h"
#include "core/temp_folder.h"

#include <QCheckBox>
#include <QPlainTextEdit>

namespace lectorix {

namespace {

// Calls nested through the event loop (a second document chosen while the converter runs)
// each get their own text file, so neither removes or reads the other's.
int g_depth = 0;

struct Nesting
{
    Nesting() { ++g_depth; }
    ~Nesting() { --g_depth; }
    Nesting(const Nesting&) = delete;
    Nesting& operator=(const Nesting&) = delete;
};

QString extractedTextPath()
{
    return tempPath(g_depth <= 1 ? QStringLiteral("extract.txt")
                                 : QStringLiteral("extract-%1.txt").arg(g_depth));
}

// The number of the newest call. A nested call always ends before the one beneath it, so
// without this the older document's text would replace the newer one's.
quint64 g_newestCall = 0;

} // namespace

QString protectedTextMessage(const QString& pdfPath)
{
    return QStringLiteral("The file ") + pdfPath +
           QStringLiteral(" can not be read by this software - password protected or text is "
                          "protected.");
}

QString unreadableTextMessage(const QString& pdfPath)
{
    return QStringLiteral("The file ") + pdfPath +
           QStringLiteral(" can not be read by this software - text unreadable. Please view the "
                          "file yourself to see if it is really a scanned image of text and not "
                          "proper PDF text.");
}

void GetPDFText(Form1& form, const QString& pdfPath)
{
    Guard g("Read", "GetPDFText");
    const Nesting nesting;
    const quint64 call = ++g_newestCall;
    QString pending;
    QString converter;
    QString password;
    QString textPath;
    QStringList lines;
    auto convert = [&](const QString& pw) {
        RunConverter(converter, pw, pdfPath, extractedTextPath(), 1, 100);
    };

    g(100, [&] { form.Text2->setPlainText(QString()); });
    g(102, [&] { pending.clear(); });
    g.assign(104, converter, [] { return converterPath(); });
    if (g.test(106, [&] { return form.Check1->checkState() == Qt::Checked; })) {
        g.assign(108, password, [&] { return AskPassword(pdfPath); });
        if (g.test(110, [&] { return !password.trimmed().isEmpty(); }))
            g(112, [&] { convert(password); });
        else
            g(114, [&] { convert(QString()); });
    } else {
        g(116, [&] { convert(QString()); });
    }
    g.assign(118, textPath, [] { return extractedTextPath(); });
    if (call != g_newestCall) {
        g(136, [&] { RemoveFile(textPath); });
        return;
    }

    if (g.test(120, [&] { return !FileExists(textPath); })) {
        g(138, [&] { pending = protectedTextMessage(pdfPath); });
        g(140, [&] { form.Text2->setPlainText(pending); });
    } else {
        if (g.test(122, [&] { return NoTextPDF(textPath); })) {
            g(132, [&] { pending = unreadableTextMessage(pdfPath); });
            g(134, [&] { form.Text2->setPlainText(pending); });
        } else {
            g.assign(124, lines, [&] { return ReadFileToStringFSOLine(textPath); });
            // The box is filled once with the whole text: appending line by line would copy
            // the growing text for every line. Lines before the first non-empty one are
            // dropped, later empty lines kept.
            g(128, [&] {
                QString text;
                qsizetype total = 0;
                for (const QString& line : lines)
                    total += line.size() + 1;
                text.reserve(total);
                for (const QString& line : lines) {
                    if (!text.isEmpty())
                        text += QLatin1Char('\n');
                    text += line;
                }
                form.Text2->setPlainText(text);
            });
        }
        g(136, [&] { RemoveFile(textPath); });
    }

    if (g.test(142, [&] { return !pending.trimmed().isEmpty(); }))
        g(144, [&] { showMessage(pending); });
}

} // namespace lectorix
