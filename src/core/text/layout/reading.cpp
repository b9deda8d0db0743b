#include "core/text/layout/reading.h"

#include "core/text/layout/paragraphs.h"
#include "core/text/layout/plain_text.h"
#include "core/text/layout/roles.h"
#include "core/text/script_language.h"
#include "core/text/text_language.h"

#include <algorithm>

namespace lectorix {

namespace {

// A page is read once this many pages after it are known (or the document has ended), so that
// the running lines of its chapter have been seen often enough to be told from its text.
constexpr int PagesAhead = 4;

// A page's words as text, line by line: all of them, and those with a letter or digit. Words of
// signs alone (printers' cut marks, rules) are left aside by the test whether the page reads
// as language: they are not read, and would make a page of text look like glyphs without
// characters.
struct PageText
{
    QString all;
    QString words;
};

PageText pageText(const LayoutPage& page)
{
    PageText text;
    for (const LayoutBlock& block : page.blocks) {
        for (const LayoutLine& line : block.lines) {
            for (const LayoutWord& word : line.words) {
                text.all += word.text + QLatin1Char(' ');
                if (std::any_of(word.text.cbegin(), word.text.cend(),
                                [](QChar c) { return c.isLetterOrNumber(); }))
                    text.words += word.text + QLatin1Char(' ');
            }
            text.all += QLatin1Char('\n');
            text.words += QLatin1Char('\n');
        }
    }
    return text;
}

bool readsAsLanguage(const PageText& text)
{
    if (text.all.trimmed().isEmpty())
        return true;
    return isLanguage(text.words.trimmed().isEmpty() ? text.all : text.words);
}

} // namespace

struct LayoutPreparation::State
{
    explicit State(LayoutReadingOptions readingOptions)
        : options(std::move(readingOptions)), text(survey, options.language)
    {
    }

    void read(const LayoutPage& page);
    void let(const QList<Paragraph>& paragraphs);
    void readNote(const FootNote& note);
    void readDueNotes();
    void readAsides();

    LayoutReadingOptions options;
    DocumentSurvey survey;
    PlainTextReader plainText;
    ParagraphBuilder text;
    QList<LayoutPage> held;
    // The footnotes of the page being read, until the paragraph citing them ends; then those
    // of earlier pages, read after the paragraph open when their page ended.
    QList<FootNote> pageNotes;
    QList<FootNote> dueNotes;
    // Captions and boxes met inside a sentence, read after its paragraph.
    QList<ReadLine> asides;
    // The table the last page read ended with, which the next may carry on.
    std::optional<OpenTable> openTable;
    QList<SpokenPiece> ready;
    QList<int> unreadable;
    QList<int> unspoken;
    bool finished = false;
};

void LayoutPreparation::State::readNote(const FootNote& note)
{
    ParagraphBuilder builder(survey, options.language);
    for (const ReadLine& line : note.lines)
        builder.add(line);
    builder.end();
    for (const Paragraph& paragraph : builder.take())
        ready += sentencePieces(paragraph, options.language);
}

void LayoutPreparation::State::let(const QList<Paragraph>& paragraphs)
{
    for (const Paragraph& paragraph : paragraphs) {
        ready += sentencePieces(paragraph, options.language);
        for (const QString& mark : paragraph.citedNotes) {
            const auto note = std::find_if(pageNotes.begin(), pageNotes.end(),
                                           [&](const FootNote& n) { return n.mark == mark; });
            if (note == pageNotes.end())
                continue;
            readNote(*note);
            pageNotes.erase(note);
        }
        readDueNotes();
        readAsides();
    }
}

void LayoutPreparation::State::readAsides()
{
    if (asides.isEmpty())
        return;
    ParagraphBuilder builder(survey, options.language);
    for (const ReadLine& line : std::exchange(asides, {}))
        builder.add(line);
    builder.end();
    for (const Paragraph& paragraph : builder.take())
        ready += sentencePieces(paragraph, options.language);
}

void LayoutPreparation::State::readDueNotes()
{
    for (const FootNote& note : std::as_const(dueNotes))
        readNote(note);
    dueNotes.clear();
}

void LayoutPreparation::State::read(const LayoutPage& page)
{
    PageReading reading =
        page.plainText ? plainText.read(page, survey) : readPage(page, survey, openTable);
    openTable = std::move(reading.openTable);
    if (options.readFootnotes)
        pageNotes = reading.notes;
    for (const ReadLine& line : reading.lines) {
        if (line.aside && (!asides.isEmpty() || text.interruptsSentence())) {
            asides.append(line);
            continue;
        }
        text.add(line);
        let(text.take());
    }
    dueNotes += std::exchange(pageNotes, {});
    if (!text.isOpen())
        readDueNotes();
}

LayoutPreparation::LayoutPreparation(LayoutReadingOptions options)
    : m_state(std::make_unique<State>(std::move(options)))
{
}

LayoutPreparation::~LayoutPreparation() = default;

void LayoutPreparation::add(const QList<LayoutPage>& pages)
{
    State& state = *m_state;
    if (state.finished)
        return;
    for (const LayoutPage& page : pages) {
        const PageText text = pageText(page);
        if (isUnspokenScript(text.all)) {
            state.unspoken.append(page.number);
            state.unreadable.append(page.number);
            continue;
        }
        // Text without boxes is read as it is given: it was typed or chosen as text.
        if (!page.plainText && !readsAsLanguage(text)) {
            state.unreadable.append(page.number);
            continue;
        }
        state.survey.add(page);
        state.held.append(page);
    }
    while (state.held.size() > PagesAhead)
        state.read(state.held.takeFirst());
}

void LayoutPreparation::finish()
{
    State& state = *m_state;
    if (state.finished)
        return;
    state.finished = true;
    while (!state.held.isEmpty())
        state.read(state.held.takeFirst());
    state.text.end();
    state.let(state.text.take());
    state.readDueNotes();
    state.readAsides();
}

void LayoutPreparation::readHeldPages()
{
    State& state = *m_state;
    while (!state.held.isEmpty())
        state.read(state.held.takeFirst());
}

QList<SpokenPiece> LayoutPreparation::takePieces()
{
    return std::exchange(m_state->ready, {});
}

QList<int> LayoutPreparation::unreadablePages() const
{
    return m_state->unreadable;
}

QList<int> LayoutPreparation::unspokenPages() const
{
    return m_state->unspoken;
}

bool hasUsableText(const LayoutPage& page)
{
    const bool hasWords = std::any_of(page.blocks.cbegin(), page.blocks.cend(), [](const auto& b) {
        return std::any_of(b.lines.cbegin(), b.lines.cend(),
                           [](const LayoutLine& line) { return !line.words.isEmpty(); });
    });
    return hasWords && readsAsLanguage(pageText(page));
}

} // namespace lectorix
