#include "core/settings/settings.h"

#include "core/base/failure.h"
#include "core/settings/settings_keys.h"

#include <QDir>
#include <QSettings>
#include <QStringList>

#include <cmath>
#include <limits>

namespace lectorix {

namespace {

const QString Section = QStringLiteral("Lectorix");

QString configFolder()
{
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
        return xdg;
    return QDir::homePath() + QStringLiteral("/.config");
}

QString asText(const QVariant& value)
{
    // A hand-edited value with commas reads back as a list; keep it as the text it was.
    if (value.userType() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

// Reads "[sign]digits[.digits][E[sign]digits]" from position i; returns false without digits.
bool parseDecimal(const QString& s, qsizetype& i, double& out)
{
    QString number;
    const qsizetype n = s.size();
    if (i < n && (s[i] == QLatin1Char('+') || s[i] == QLatin1Char('-')))
        number += s[i++];
    bool digits = false;
    while (i < n && s[i].isDigit() && s[i].unicode() < 128) {
        number += s[i++];
        digits = true;
    }
    if (i < n && s[i] == QLatin1Char('.')) {
        number += s[i++];
        while (i < n && s[i].isDigit() && s[i].unicode() < 128) {
            number += s[i++];
            digits = true;
        }
    }
    if (!digits)
        return false;
    if (i < n && (s[i] == QLatin1Char('e') || s[i] == QLatin1Char('E') ||
                  s[i] == QLatin1Char('d') || s[i] == QLatin1Char('D'))) {
        qsizetype j = i + 1;
        QString exponent = QStringLiteral("e");
        if (j < n && (s[j] == QLatin1Char('+') || s[j] == QLatin1Char('-')))
            exponent += s[j++];
        bool expDigits = false;
        while (j < n && s[j].isDigit() && s[j].unicode() < 128) {
            exponent += s[j++];
            expDigits = true;
        }
        if (expDigits) {
            number += exponent;
            i = j;
        }
    }
    bool ok = false;
    out = number.toDouble(&ok);
    if (!ok)
        out = number.startsWith(QLatin1Char('-')) ? -std::numeric_limits<double>::infinity()
                                                  : std::numeric_limits<double>::infinity();
    return true;
}

} // namespace

QString settingsFilePath()
{
    return configFolder() + QStringLiteral("/Quendrel.conf");
}

QString readSetting(const QString& key, const QString& defaultValue)
{
    QSettings store(settingsFilePath(), QSettings::IniFormat);
    store.beginGroup(Section);
    if (!store.contains(key))
        return defaultValue;
    return asText(store.value(key));
}

QString readSetting(const QString& key, int defaultValue)
{
    return readSetting(key, QString::number(defaultValue));
}

void writeSetting(const QString& key, const QString& value)
{
    QSettings store(settingsFilePath(), QSettings::IniFormat);
    store.beginGroup(Section);
    store.setValue(key, value);
    store.endGroup();
    store.sync();
    // A damaged line in the file gives FormatError on reading, yet the file is written anew
    // with the value: only a file that cannot be written loses the value.
    if (store.status() == QSettings::AccessError)
        throw Failure(QStringLiteral("The settings file %1 can not be written.")
                          .arg(QDir::toNativeSeparators(settingsFilePath())));
}

namespace convert {

double leadingNumber(const QString& text)
{
    QString s;
    s.reserve(text.size());
    for (QChar c : text) {
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QLatin1Char('\n'))
            s += c;
    }
    if (s.startsWith(QLatin1Char('&')) && s.size() > 1) {
        const QChar kind = s[1].toUpper();
        const int base = kind == QLatin1Char('H') ? 16 : kind == QLatin1Char('O') ? 8 : 0;
        if (base) {
            qsizetype end = 2;
            while (
                end < s.size() &&
                QStringLiteral("0123456789ABCDEFabcdef").left(base == 16 ? 22 : 8).contains(s[end]))
                ++end;
            bool ok = false;
            const qlonglong v = s.mid(2, end - 2).toLongLong(&ok, base);
            return ok ? double(v) : 0.0;
        }
    }
    qsizetype i = 0;
    double value = 0.0;
    return parseDecimal(s, i, value) ? value : 0.0;
}

int roundHalfEven(double value)
{
    if (!std::isfinite(value))
        throw Failure(failures::Overflow);
    const double rounded = std::nearbyint(value); // the default rounding mode is to-nearest-even
    if (rounded < double(std::numeric_limits<int>::min()) ||
        rounded > double(std::numeric_limits<int>::max()))
        throw Failure(failures::Overflow);
    return int(rounded);
}

int strictWholeNumber(const QString& text)
{
    const QString s = text.trimmed();
    qsizetype i = 0;
    double value = 0.0;
    if (s.isEmpty() || !parseDecimal(s, i, value) || i != s.size())
        throw Failure(failures::TypeMismatch);
    return roundHalfEven(value);
}

bool truthValue(const QString& text)
{
    const QString s = text.trimmed();
    if (s.compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (s.compare(QStringLiteral("False"), Qt::CaseInsensitive) == 0)
        return false;
    qsizetype i = 0;
    double value = 0.0;
    if (s.isEmpty() || !parseDecimal(s, i, value) || i != s.size())
        throw Failure(failures::TypeMismatch);
    return value != 0.0;
}

} // namespace convert

bool readsVerbatim()
{
    try {
        return convert::truthValue(readSetting(keys::ReadVerbatim, convert::fromBool(false)));
    } catch (...) {
        return false;
    }
}

bool readsFootnotes()
{
    try {
        return convert::truthValue(readSetting(keys::ReadFootnotes, convert::fromBool(true)));
    } catch (...) {
        return true;
    }
}

bool recognisesScannedPages()
{
    try {
        return convert::truthValue(
            readSetting(keys::RecogniseScannedPages, convert::fromBool(false)));
    } catch (...) {
        return false;
    }
}

bool usesOneVoice()
{
    try {
        return convert::truthValue(readSetting(keys::OneVoice, convert::fromBool(false)));
    } catch (...) {
        return false;
    }
}

} // namespace lectorix
