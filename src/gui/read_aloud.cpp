#include "gui/read_aloud.h"

#include "core/error_report.h"
#include "gui/main_window.h"
#include "gui/globals.h"
#include "core/settings.h"
#include "core/file_utils.h"
#include "core/pdf_converter.h"
#include "gui/password_prompt.h"
#include "core/text_files.h"
#include "core/event_pump.h"
#include "core/failure.h"
#include "core/temp_folder.h"
#include "core/speech_engine.h"
#include "gui/voice_setup.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>

#include <utility>

namespace lectorix {

namespace {

constexpr int TextBoxPieceSize = 100000;
constexpr int TextFilePolls = 100;

// Counts the readings started (line 114). A PDF reading compares it after each of its waits
// before the voice is made: a press meanwhile started a newer reading, which has run to its
// end by the time the wait returns, and the older call must neither queue its document nor
// touch the caption and pointer.
quint64 g_readingsStarted = 0;

// The voice of the reading. Always looked up anew: a press during a wait may have started a
// new reading with a new voice, and every loop goes on with that one.
speech::Voice& readingVoice()
{
    const auto& voice = globals().ReadingVoice;
    if (!voice)
        throw Failure(failures::ObjectRequired);
    return *voice;
}

// True when nothing queued is left to be heard. No voice means nothing can be heard: the
// window was closed, or no voice could be made at all.
bool engineDone()
{
    const auto& voice = globals().ReadingVoice;
    return !voice || voice->isDone();
}

// A new ReadingVoice with the voice chosen in Combo1 and the sliders' volume and rate. The
// five steps keep the line numbers of their place in SpeakLoud.
void setUpReadingVoice(Guard& g, Form1& form, int firstLine)
{
    g(firstLine, [] { globals().ReadingVoice = speech::engine().createVoice(); });
    if (g.test(firstLine + 2, [&] { return hasSelectedVoice(form); }))
        g(firstLine + 4, [&] { useSelectedVoice(readingVoice(), form); });
    g(firstLine + 6, [&] { useSliderVolume(readingVoice(), form); });
    g(firstLine + 8, [&] { useSliderRate(readingVoice(), form); });
}

// A press while this reading was still being queued started a new reading with a voice of
// its own. The rest of this text must not be queued behind the new one; the call only waits
// now, on the new voice.
bool superseded(const speech::Voice* ours)
{
    return globals().ReadingVoice.get() != ours;
}

void showIdle(Guard& g, Form1& form, int pointerLine, int captionLine)
{
    g(pointerLine, [&] { form.setMousePointer(Form1::PointerDefault); });
    g(captionLine, [&] { form.PushButton2->setText(CaptionStart); });
}

// Waits for the engine while the window handles events; presses of the button (Pause,
// Resume, a new reading) and slider moves run in here. Sleeps between wake-ups, so hours of
// reading cost next to no processor time. False when the program is ending: the caller must
// then leave without touching the window.
bool waitForEngine(Guard& g, const QPointer<Form1>& form, int pumpLine, int testLine)
{
    g(pumpLine, [] { events::processPending(); });
    g(testLine, [] { events::waitUntil(engineDone); });
    return form && !events::programEnding();
}

void readTextBox(Guard& g, Form1& form)
{
    const QPointer<Form1> alive(&form);
    QString text;
    g.assign(120, text, [&] { return form.Text2->toPlainText(); });
    if (g.test(122, [&] { return text.isEmpty(); })) {
        showIdle(g, form, 122, 122);
        return;
    }
    setUpReadingVoice(g, form, 124);
    QStringList pieces;
    g.assign(134, pieces, [&] { return SplitTextBySize(text, TextBoxPieceSize); });
    text.clear();
    const speech::Voice* const ours = globals().ReadingVoice.get();
    for (const QString& piece : std::as_const(pieces)) {
        g(138, [] { events::processPending(); });
        if (!alive || events::programEnding())
            return;
        if (superseded(ours))
            break;
        // A failed queuing step ends the queuing: the rest would fail the same way, each with
        // a report of its own.
        if (!g(140, [&] { readingVoice().speakAsync(piece); }))
            break;
    }
    pieces.clear();
    if (!waitForEngine(g, alive, 150, 152))
        return;
    showIdle(g, form, 154, 156);
}

// Runs the converter on the working copy; the password, when one was typed, is given as
// owner and as user password.
void runConverter(const QString& converter, const QString& password, const QString& copyPath)
{
    RunConverter(converter, password, copyPath, QString());
}

void readPdf(Guard& g, Form1& form, quint64 reading)
{
    const QPointer<Form1> alive(&form);
    // False when the call must leave quietly after a wait: the window is gone, the program is
    // ending, or a newer reading has started.
    const auto current = [&] {
        return alive && !events::programEnding() && reading == g_readingsStarted;
    };
    QString converter;
    QString copyPath;
    QString textPath;
    g(158, [&] {
        converter = converterPath();
        copyPath = tempPath(QStringLiteral("output.pdf"));
        textPath = converterOutputPath(copyPath, QString());
    });
    if (copyPath.isEmpty()) {
        // No usable temporary folder (already reported): nothing may be written or run there.
        showIdle(g, form, 158, 158);
        return;
    }

    // The copy and the text of an earlier reading go first, so a copy or a conversion that
    // fails can never read the previous document aloud. Removing handles window events.
    const QString pdfPath = form.Text1->text();
    g(160, [&] { RemoveFile(copyPath); });
    if (!current())
        return;
    g(160, [&] { RemoveFile(textPath); });
    if (!current())
        return;
    g(160, [&] { CopyFileChecked(pdfPath, copyPath); });

    QString password;
    if (g.test(162, [&] { return form.Check1->checkState() == Qt::Checked; })) {
        g.assign(164, password, [&] { return AskPassword(copyPath); });
        if (!current())
            return;
        if (g.test(166, [&] { return !password.isEmpty(); }))
            g(168, [&] { runConverter(converter, password, copyPath); });
        else
            g(170, [&] { runConverter(converter, QString(), copyPath); });
    } else {
        g(172, [&] { runConverter(converter, QString(), copyPath); });
    }
    if (!current())
        return;
    g(174, [] { WaitSeconds(0.1); });

    int polls = 0;
    bool found = false;
    do {
        ++polls;
        g(194, [] { WaitSeconds(0.01); });
        if (!current())
            return;
        found = g.test(196, [&] { return IsExistingFile(textPath); });
    } while (!found && polls < TextFilePolls);

    if (g.test(198, [&] { return !IsExistingFile(textPath); })) {
        showIdle(g, form, 198, 198);
        return;
    }
    if (g.test(200, [&] { return NoTextPDF(textPath); })) {
        showIdle(g, form, 200, 200);
        return;
    }
    if (!current())
        return;

    setUpReadingVoice(g, form, 202);
    const speech::Voice* const ours = globals().ReadingVoice.get();
    QStringList lines;
    g.assign(212, lines, [&] { return ReadFileToStringFSOLine(textPath); });
    for (const QString& line : std::as_const(lines)) {
        g(216, [] { events::processPending(); });
        if (!alive || events::programEnding())
            return;
        if (superseded(ours))
            break;
        if (!line.isEmpty() && !g(218, [&] { readingVoice().speakAsync(line); }))
            break; // as for the text box
    }
    lines.clear();
    if (!waitForEngine(g, alive, 234, 236))
        return;
    showIdle(g, form, 238, 240);
}

} // namespace

void PushButton2_Click(Form1& form)
{
    Guard g("Form1", "PushButton2_Click");
    g(100, [&] { SpeakLoud(form); });
}

void SpeakLoud(Form1& form)
{
    Guard g("Speak", "SpeakLoud");

    if (g.test(104, [&] { return form.PushButton2->text() == CaptionResume; })) {
        g(106, [] { readingVoice().resume(); });
        g(108, [&] { form.PushButton2->setText(CaptionPause); });
        return;
    }
    if (g.test(110, [&] { return form.PushButton2->text() == CaptionPause; })) {
        g(242, [] { readingVoice().pause(); });
        g(244, [&] { form.PushButton2->setText(CaptionResume); });
        return;
    }

    // A PDF reading needs an existing PDF; a reading of the text box does not care what the
    // PDF box holds, and neither do Pause and Resume.
    const bool useTextBox = globals().UseTextBox;
    if (!useTextBox) {
        if (g.test(100, [&] { return form.Text1->text().isEmpty(); }))
            return;
        if (g.test(102, [&] { return !IsExistingFile(form.Text1->text()); }))
            return;
    }

    const quint64 reading = ++g_readingsStarted;
    g(114, [&] { form.PushButton2->setText(CaptionPause); });
    g(116, [&] { form.setMousePointer(Form1::PointerBusy); });
    if (g.test(118, [&] { return useTextBox; }))
        readTextBox(g, form);
    else
        readPdf(g, form, reading);
}

QStringList SplitTextBySize(const QString& text, int pieceSize)
{
    if (pieceSize < 1)
        throw Failure(failures::InvalidArgument);

    // Characters are code points, so a piece never ends between the halves of a surrogate
    // pair. Text without any (the usual case) is cut by plain index arithmetic.
    const qsizetype units = text.size();
    qsizetype length = 0;
    bool surrogates = false;
    for (qsizetype i = 0; i < units; ++i, ++length) {
        if (text[i].isHighSurrogate() && i + 1 < units && text[i + 1].isLowSurrogate()) {
            surrogates = true;
            ++i;
        }
    }

    const int count = convert::roundHalfEven(double(length) / double(pieceSize) + 1.0);
    QStringList pieces;
    pieces.reserve(count);
    qsizetype start = 0;
    for (int i = 0; i < count; ++i) {
        qsizetype end = start;
        if (!surrogates) {
            end += qMin<qsizetype>(pieceSize, units - start);
        } else {
            for (int n = 0; n < pieceSize && end < units; ++n) {
                const bool pair = text[end].isHighSurrogate() && end + 1 < units &&
                                  text[end + 1].isLowSurrogate();
                end += pair ? 2 : 1;
            }
        }
        pieces.append(text.mid(start, end - start));
        start = end;
    }
    return pieces;
}

} // namespace lectorix
