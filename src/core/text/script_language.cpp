#include "core/text/script_language.h"

#include <QHash>
#include <QStringList>

#include <algorithm>
#include <array>

namespace lectorix {

namespace {

struct ScriptLanguages
{
    QChar::Script script;
    // The language read for the script first; the others written in it keep their own voice.
    const char* languages;
};

// A language missing here but written in the script only keeps the wrong voice's reading of
// its own script: the voice of the first language reads text in that script instead.
constexpr std::array<ScriptLanguages, 24> Scripts{{
    {QChar::Script_Cyrillic, "ru uk be bg mk sr kk ky tt ba cv mn os sah"},
    {QChar::Script_Greek, "el grc"},
    {QChar::Script_Arabic, "ar fa ur ps sd ug ku-arab"},
    {QChar::Script_Hebrew, "he yi"},
    {QChar::Script_Han, "cmn yue zh hak ja"},
    {QChar::Script_Hiragana, "ja"},
    {QChar::Script_Katakana, "ja"},
    {QChar::Script_Hangul, "ko"},
    {QChar::Script_Devanagari, "hi mr ne sa kok mai bho"},
    {QChar::Script_Bengali, "bn as bpy"},
    {QChar::Script_Gurmukhi, "pa"},
    {QChar::Script_Gujarati, "gu"},
    {QChar::Script_Oriya, "or"},
    {QChar::Script_Tamil, "ta"},
    {QChar::Script_Telugu, "te"},
    {QChar::Script_Kannada, "kn"},
    {QChar::Script_Malayalam, "ml"},
    {QChar::Script_Sinhala, "si"},
    {QChar::Script_Thai, "th"},
    {QChar::Script_Lao, "lo"},
    {QChar::Script_Georgian, "ka"},
    {QChar::Script_Armenian, "hy"},
    {QChar::Script_Ethiopic, "am ti"},
    {QChar::Script_Myanmar, "my"},
}};

const ScriptLanguages* languagesOf(QChar::Script script)
{
    const auto found =
        std::find_if(Scripts.begin(), Scripts.end(),
                     [script](const ScriptLanguages& s) { return s.script == script; });
    return found == Scripts.end() ? nullptr : &*found;
}

// The script most of the text's letters are in; kana and Han together count as Japanese.
QChar::Script mainScript(const QString& text)
{
    QHash<int, qsizetype> letters;
    for (const char32_t c : text.toUcs4()) {
        if (QChar::isLetter(c))
            ++letters[QChar::script(c)];
    }
    const qsizetype kana =
        letters.value(QChar::Script_Hiragana) + letters.value(QChar::Script_Katakana);
    if (kana > 0) {
        letters[QChar::Script_Hiragana] = kana + letters.value(QChar::Script_Han);
        letters.remove(QChar::Script_Katakana);
        letters.remove(QChar::Script_Han);
    }
    QChar::Script best = QChar::Script_Latin;
    qsizetype bestCount = 0;
    for (auto it = letters.cbegin(); it != letters.cend(); ++it) {
        if (it.value() > bestCount) {
            best = QChar::Script(it.key());
            bestCount = it.value();
        }
    }
    // A tie with Latin stays with the voice.
    return letters.value(QChar::Script_Latin) >= bestCount ? QChar::Script_Latin : best;
}

} // namespace

bool isUnspokenScript(const QString& text)
{
    const QChar::Script script = mainScript(text);
    return script > QChar::Script_Common && script != QChar::Script_Latin &&
           languagesOf(script) == nullptr;
}

QString scriptLanguage(const QString& text, const QString& voiceLanguage)
{
    const ScriptLanguages* script = languagesOf(mainScript(text));
    if (script == nullptr)
        return QString();
    const QStringList languages = QString::fromLatin1(script->languages).split(QLatin1Char(' '));
    const QString voice = voiceLanguage.toLower();
    for (const QString& language : languages) {
        if (voice == language || voice.startsWith(language + QLatin1Char('-')))
            return QString();
    }
    return languages.first();
}

} // namespace lectorix
