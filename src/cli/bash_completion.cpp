#include "cli/bash_completion.h"

#include "cli/converter_options.h"

#include <QList>
#include <QStringList>

#include <algorithm>

namespace lectorix::cli {

namespace {

// The shell lines that fill COMPREPLY with the values completing "$cur". The arms run with
// IFS set to a newline, so a list of words is given one per line.
QString valueCompletion(const ConverterOption& option)
{
    switch (option.completion) {
    case ValueCompletion::Nothing:
        return QStringLiteral("COMPREPLY=()\n");
    case ValueCompletion::AnyFile:
        return QStringLiteral("compopt -o filenames 2>/dev/null\n"
                              "COMPREPLY=($(compgen -f -- \"$cur\"))\n");
    case ValueCompletion::Folder:
        return QStringLiteral("compopt -o filenames 2>/dev/null\n"
                              "COMPREPLY=($(compgen -d -- \"$cur\"))\n");
    case ValueCompletion::Words: {
        const QStringList words =
            QString::fromUtf8(option.words).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        return QStringLiteral("COMPREPLY=($(compgen -W $'%1' -- \"$cur\"))\n")
            .arg(words.join(QStringLiteral("\\n")));
    }
    case ValueCompletion::InstalledVoices:
        return QStringLiteral(
            "local identifiers\n"
            "identifiers=$(\"${COMP_WORDS[0]}\" --list-voices 2>/dev/null | cut -f1)\n"
            "COMPREPLY=($(compgen -W \"$identifiers\" -- \"$cur\"))\n");
    case ValueCompletion::RecognitionLanguages:
        return QStringLiteral("local languages\n"
                              "languages=$(tesseract --list-langs 2>/dev/null | tail -n +2)\n"
                              "COMPREPLY=($(compgen -W \"$languages\" -- \"$cur\"))\n");
    }
    return {};
}

QString indented(const QString& lines, int spaces)
{
    QString text;
    const QString indent(spaces, QLatin1Char(' '));
    for (const QString& line : lines.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        text += indent + line + QLatin1Char('\n');
    return text;
}

// One arm for each way of completing a value, naming every option completed that way.
QString valueCompletionArms()
{
    struct Arm
    {
        QStringList names;
        QString body;
    };
    QList<Arm> arms;
    for (const ConverterOption& option : converterOptions()) {
        if (!option.takesValue())
            continue;
        const QString body = valueCompletion(option);
        auto arm = std::find_if(arms.begin(), arms.end(),
                                [&body](const Arm& known) { return known.body == body; });
        if (arm == arms.end())
            arm = arms.insert(arms.end(), Arm{{}, body});
        if (option.shortName != 0)
            arm->names.append(QStringLiteral("-") + QLatin1Char(option.shortName));
        arm->names.append(QStringLiteral("--") + QLatin1String(option.longName));
    }
    QString text;
    for (const Arm& arm : arms)
        text += indented(arm.names.join(QStringLiteral(" | ")) + QLatin1Char(')'), 8) +
                indented(arm.body + QStringLiteral(";;"), 12);
    return text;
}

// A long option that takes a value is offered with its '=', so the value follows at once.
QString optionWords()
{
    QStringList longWords;
    QStringList shortWords;
    for (const ConverterOption& option : converterOptions()) {
        longWords.append(QStringLiteral("--") + QLatin1String(option.longName) +
                         (option.takesValue() ? QStringLiteral("=") : QString()));
        if (option.shortName != 0)
            shortWords.append(QStringLiteral("-") + QLatin1Char(option.shortName));
    }
    return (longWords + shortWords).join(QLatin1Char('\n'));
}

} // namespace

QString bashCompletionScript(const QString& templateText)
{
    QString script = templateText;
    script.replace(QStringLiteral("@OPTION_WORDS@"), optionWords());
    // The arms end with a newline of their own.
    script.replace(QStringLiteral("@VALUE_COMPLETIONS@\n"), valueCompletionArms());
    return script;
}

} // namespace lectorix::cli
