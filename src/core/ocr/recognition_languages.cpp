#include "core/ocr/recognition_languages.h"

#include <QHash>

namespace lectorix {

namespace {

const QString English = QStringLiteral("eng");

// Two-letter (and a few three-letter) language codes to tesseract's codes.
const QHash<QString, QString>& tesseractCodes()
{
    static const QHash<QString, QString> codes = {
        {"af", "afr"}, {"ar", "ara"},     {"az", "aze"},      {"be", "bel"},      {"bg", "bul"},
        {"bn", "ben"}, {"ca", "cat"},     {"cs", "ces"},      {"cy", "cym"},      {"da", "dan"},
        {"de", "deu"}, {"el", "ell"},     {"en", "eng"},      {"eo", "epo"},      {"es", "spa"},
        {"et", "est"}, {"eu", "eus"},     {"fa", "fas"},      {"fi", "fin"},      {"fr", "fra"},
        {"ga", "gle"}, {"gl", "glg"},     {"gu", "guj"},      {"he", "heb"},      {"hi", "hin"},
        {"hr", "hrv"}, {"hu", "hun"},     {"hy", "hye"},      {"id", "ind"},      {"is", "isl"},
        {"it", "ita"}, {"ja", "jpn"},     {"ka", "kat"},      {"kk", "kaz"},      {"kn", "kan"},
        {"ko", "kor"}, {"la", "lat"},     {"lt", "lit"},      {"lv", "lav"},      {"mk", "mkd"},
        {"ml", "mal"}, {"mr", "mar"},     {"ms", "msa"},      {"mt", "mlt"},      {"nb", "nor"},
        {"ne", "nep"}, {"nl", "nld"},     {"no", "nor"},      {"pa", "pan"},      {"pl", "pol"},
        {"pt", "por"}, {"ro", "ron"},     {"ru", "rus"},      {"sk", "slk"},      {"sl", "slv"},
        {"sq", "sqi"}, {"sr", "srp"},     {"sv", "swe"},      {"sw", "swa"},      {"ta", "tam"},
        {"te", "tel"}, {"th", "tha"},     {"tr", "tur"},      {"uk", "ukr"},      {"ur", "urd"},
        {"vi", "vie"}, {"zh", "chi_sim"}, {"cmn", "chi_sim"}, {"yue", "chi_tra"},
    };
    return codes;
}

bool isTesseractCode(const QString& code)
{
    if (code.size() < 3 || code.size() > 12)
        return false;
    for (const QChar c : code) {
        if (!(c >= QLatin1Char('a') && c <= QLatin1Char('z')) && c != QLatin1Char('_'))
            return false;
    }
    return true;
}

} // namespace

QStringList recognitionLanguages(const QString& voiceLanguage)
{
    const QString primary = voiceLanguage.trimmed()
                                .toLower()
                                .section(QLatin1Char('-'), 0, 0)
                                .section(QLatin1Char('_'), 0, 0);
    const QString code = tesseractCodes().value(primary);
    if (code.isEmpty() || code == English)
        return {English};
    return {code, English};
}

QStringList requestedRecognitionLanguages(const QString& request)
{
    QStringList languages;
    for (const QString& part : request.trimmed().toLower().split(QLatin1Char('+'))) {
        const QString name = part.trimmed();
        QString code = tesseractCodes().value(name);
        if (code.isEmpty() && isTesseractCode(name))
            code = name;
        if (code.isEmpty())
            return {};
        if (!languages.contains(code))
            languages.append(code);
    }
    return languages;
}

QStringList installedRecognitionLanguages(const QString& listOutput)
{
    QStringList languages;
    const QStringList lines = listOutput.split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        const QString name = line.trimmed();
        // The heading: List of available languages in "/usr/share/...tessdata/" (6):
        if (name.isEmpty() || name.contains(QLatin1Char(' ')) || name.endsWith(QLatin1Char(':')))
            continue;
        languages.append(name);
    }
    return languages;
}

QString recognitionLanguagePackage(const QString& language)
{
    QString suffix = language.toLower();
    suffix.replace(QLatin1Char('_'), QLatin1Char('-'));
    return QStringLiteral("tesseract-ocr-") + suffix;
}

QString missingRecognitionLanguagesMessage(const QStringList& wanted, const QStringList& installed)
{
    QStringList missing;
    QStringList packages;
    for (const QString& language : wanted) {
        if (installed.contains(language) || missing.contains(language))
            continue;
        missing.append(language);
        packages.append(recognitionLanguagePackage(language));
    }
    if (missing.isEmpty())
        return QString();
    return QStringLiteral("Text recognition lacks the language data %1 (install %2).")
        .arg(missing.join(QStringLiteral(", ")), packages.join(QLatin1Char(' ')));
}

} // namespace lectorix
