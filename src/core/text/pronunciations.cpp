#include "core/text/pronunciations.h"

#include "core/base/failure.h"
#include "core/files/file_utils.h"
#include "core/settings/settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace lectorix {

namespace {

const QString CaseOption = QStringLiteral("case");
const QString PartOption = QStringLiteral("part");
const QString PatternOption = QStringLiteral("regex");

// A list larger than this is no list of words but a mistaken file.
constexpr qint64 LargestFile = qint64(16) * 1024 * 1024;

// Whether every "[[" of spoken is closed by a "]]" before the next one opens.
bool phonemesClosed(const QString& spoken)
{
    qsizetype from = 0;
    while (true) {
        const qsizetype open = spoken.indexOf(QStringLiteral("[["), from);
        if (open < 0)
            return true;
        const qsizetype close = spoken.indexOf(QStringLiteral("]]"), open + 2);
        if (close < 0)
            return false;
        const qsizetype nextOpen = spoken.indexOf(QStringLiteral("[["), open + 2);
        if (nextOpen >= 0 && nextOpen < close)
            return false;
        from = close + 2;
    }
}

bool isLanguageCode(const QString& language)
{
    static const QRegularExpression code(QStringLiteral("^[A-Za-z]{2,3}([-_][A-Za-z0-9]{1,8})*$"));
    return code.match(language).hasMatch();
}

// Reads the options field into entry; the reason it cannot, or empty.
QString readOptions(const QString& field, PronunciationEntry& entry)
{
    static const QRegularExpression separators(QStringLiteral("[\\s,]+"));
    for (const QString& option : field.split(separators, Qt::SkipEmptyParts)) {
        const QString name = option.toLower();
        if (name == CaseOption)
            entry.matchCase = true;
        else if (name == PartOption)
            entry.wholeWord = false;
        else if (name == PatternOption)
            entry.pattern = true;
        else
            return QStringLiteral("unknown option \"%1\" (known: case, part, regex)").arg(option);
    }
    return QString();
}

// The entry a line of the file holds, or the reason it holds none.
QString readEntry(const QString& line, PronunciationEntry& entry)
{
    const QStringList fields = line.split(QLatin1Char('\t'));
    constexpr qsizetype MostFields = 4;
    if (fields.size() < 2)
        return QStringLiteral("no tab between the written and the spoken form");
    if (fields.size() > MostFields)
        return QStringLiteral("more than four fields");
    entry.written = fields.at(0).trimmed();
    entry.spoken = fields.at(1).trimmed();
    entry.language = fields.value(2).trimmed();
    if (const QString problem = readOptions(fields.value(3), entry); !problem.isEmpty())
        return problem;
    return pronunciationProblem(entry);
}

} // namespace

QString pronunciationProblem(const PronunciationEntry& entry)
{
    if (entry.written.trimmed().isEmpty())
        return QStringLiteral("the written form is empty");
    if (entry.spoken.trimmed().isEmpty())
        return QStringLiteral("the spoken form is empty");
    for (const QString& field : {entry.written, entry.spoken, entry.language}) {
        if (field.contains(QLatin1Char('\n')) || field.contains(QLatin1Char('\r')) ||
            field.contains(QLatin1Char('\t')))
            return QStringLiteral("a field holds a tab or a line break");
    }
    if (!phonemesClosed(entry.spoken))
        return QStringLiteral("the phonemes opened by \"[[\" are not closed by \"]]\"");
    if (!entry.language.isEmpty() && !isLanguageCode(entry.language))
        return QStringLiteral("\"%1\" is no language code (such as en or en-gb)")
            .arg(entry.language);
    if (entry.pattern) {
        const QRegularExpression expression(entry.written);
        if (!expression.isValid())
            return QStringLiteral("the regular expression is broken: %1")
                .arg(expression.errorString());
        if (expression.match(QString()).hasMatch())
            return QStringLiteral("the regular expression matches empty text");
    }
    return QString();
}

ParsedPronunciations parsePronunciations(const QString& text)
{
    ParsedPronunciations parsed;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (i == 0 && line.startsWith(QChar(0xFEFF)))
            line.remove(0, 1);
        // A comment is a line whose first non-blank character is "#": an entry whose written
        // form began so after blanks would be written back as a comment and lost.
        if (const QString bare = line.trimmed(); bare.isEmpty() || bare.startsWith(u'#'))
            continue;
        PronunciationEntry entry;
        if (const QString problem = readEntry(line, entry); !problem.isEmpty())
            parsed.problems.append({int(i + 1), problem});
        else
            parsed.entries.append(entry);
    }
    return parsed;
}

QString formatPronunciations(const QList<PronunciationEntry>& entries)
{
    QString text = QStringLiteral(
        "# written\tspoken\tlanguage\toptions (case, part, regex); [[...]] are phonemes\n");
    for (const PronunciationEntry& entry : entries) {
        QStringList options;
        if (entry.matchCase)
            options << CaseOption;
        if (!entry.wholeWord)
            options << PartOption;
        if (entry.pattern)
            options << PatternOption;
        text += QStringList{entry.written, entry.spoken, entry.language, options.join(u' ')}.join(
                    u'\t') +
                QLatin1Char('\n');
    }
    return text;
}

QString pronunciationsFilePath()
{
    return QFileInfo(settingsFilePath()).absolutePath() +
           QStringLiteral("/lectorix/pronunciations.tsv");
}

LoadedPronunciations loadPronunciations(const QString& path)
{
    LoadedPronunciations loaded;
    QFile file(path);
    if (!file.exists())
        return loaded;
    if (file.size() > LargestFile) {
        loaded.problems.append({0, QStringLiteral("the file is larger than 16 MB")});
        return loaded;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        loaded.problems.append({0, QStringLiteral("cannot be read: %1").arg(file.errorString())});
        return loaded;
    }
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(file.readAll());
    ParsedPronunciations parsed = parsePronunciations(text);
    return {std::move(parsed.entries), std::move(parsed.problems)};
}

PronunciationList userPronunciations()
{
    PronunciationList list(loadPronunciations(pronunciationsFilePath()).entries);
    list.setReaderForms(true);
    return list;
}

void savePronunciations(const QList<PronunciationEntry>& entries, const QString& path)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        throw Failure(QStringLiteral("Path not found"));
    writeStringToFile(formatPronunciations(entries), path);
}

} // namespace lectorix
