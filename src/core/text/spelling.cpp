#include "core/text/spelling.h"

#include "core/text/script_language.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QMutex>
#include <QStringList>

#include <map>
#include <memory>

#ifdef LECTORIX_HAS_HUNSPELL
#include <hunspell/hunspell.h>
#endif

namespace lectorix {

namespace {

#ifdef LECTORIX_HAS_HUNSPELL

const char* const DictionaryFolder = "/usr/share/hunspell";

struct HunspellDeleter
{
    void operator()(Hunhandle* handle) const { Hunspell_destroy(handle); }
};
using Dictionary = std::unique_ptr<Hunhandle, HunspellDeleter>;

// The dictionaries loaded so far, by language tag (null for a language without one), shared by
// every reading: loading one takes a moment, and hunspell's lookups are not safe to share.
class Dictionaries
{
public:
    Spelling spell(const QString& word, const QString& language)
    {
        const QMutexLocker lock(&m_mutex);
        Hunhandle* dictionary = load(language);
        if (dictionary == nullptr)
            return Spelling::Unknown;
        const QByteArray bytes = word.toUtf8();
        return Hunspell_spell(dictionary, bytes.constData()) != 0 ? Spelling::Word
                                                                  : Spelling::NotWord;
    }

private:
    Hunhandle* load(const QString& language)
    {
        const auto known = m_loaded.find(language);
        if (known != m_loaded.end())
            return known->second.get();
        const QDir folder(QString::fromLatin1(DictionaryFolder));
        const QString dic =
            dictionaryFor(language, folder.entryList({QStringLiteral("*.dic")}, QDir::Files));
        Dictionary dictionary;
        // Only dictionaries in UTF-8 are used: the words are given to hunspell as UTF-8.
        if (!dic.isEmpty()) {
            const QString base = folder.filePath(dic.chopped(4));
            const QByteArray aff = QFile::encodeName(base + QStringLiteral(".aff"));
            const QByteArray words = QFile::encodeName(base + QStringLiteral(".dic"));
            if (QFile::exists(QString::fromLocal8Bit(aff)))
                dictionary.reset(Hunspell_create(aff.constData(), words.constData()));
            if (dictionary && qstrcmp(Hunspell_get_dic_encoding(dictionary.get()), "UTF-8") != 0)
                dictionary.reset();
        }
        return m_loaded.emplace(language, std::move(dictionary)).first->second.get();
    }

    QMutex m_mutex;
    std::map<QString, Dictionary> m_loaded;
};

#endif

} // namespace

QString dictionaryFor(const QString& language, const QStringList& dictionaryFiles)
{
    const QStringList parts = language.toLower().split(QLatin1Char('-'), Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return QString();
    const QString& main = parts.first();
    QStringList wanted;
    if (parts.size() > 1 && parts.at(1).size() == 2)
        wanted << main + QLatin1Char('_') + parts.at(1).toUpper();
    wanted << main + QLatin1Char('_') + main.toUpper() << main;
    for (const QString& name : std::as_const(wanted))
        if (dictionaryFiles.contains(name + QStringLiteral(".dic")))
            return name + QStringLiteral(".dic");
    QStringList regions;
    for (const QString& file : dictionaryFiles)
        if (file.startsWith(main + QLatin1Char('_')) && file.endsWith(QStringLiteral(".dic")))
            regions << file;
    regions.sort();
    return regions.value(0);
}

Spelling spellingOf(const QString& word, const QString& language)
{
#ifdef LECTORIX_HAS_HUNSPELL
    static Dictionaries dictionaries;
    const QString script = scriptLanguage(word, language);
    const QString wordLanguage = script.isEmpty() ? language.toLower() : script;
    if (wordLanguage.isEmpty() || word.isEmpty())
        return Spelling::Unknown;
    return dictionaries.spell(word, wordLanguage);
#else
    Q_UNUSED(word);
    Q_UNUSED(language);
    return Spelling::Unknown;
#endif
}

} // namespace lectorix
