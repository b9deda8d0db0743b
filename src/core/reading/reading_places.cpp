#include "core/reading/reading_places.h"

#include "core/base/failure.h"
#include "core/settings/settings.h"
#include "core/text/reading_range.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QList>
#include <QSettings>

namespace lectorix {

namespace {

const QString Section = QStringLiteral("Reading Places");
const QString ArrayName = QStringLiteral("Place");

struct Place
{
    QString path;
    qint64 size = 0;
    qint64 modified = 0; // milliseconds since the epoch, UTC
    qsizetype position = 0;
    PlaceName name;
};

std::optional<Place> stampOf(const QString& pdfPath)
{
    const QFileInfo info(pdfPath);
    if (pdfPath.isEmpty() || !info.isFile())
        return std::nullopt;
    return Place{
        info.absoluteFilePath(), info.size(), info.lastModified().toMSecsSinceEpoch(), 0, {}};
}

QList<Place> readPlaces(QSettings& store)
{
    QList<Place> places;
    store.beginGroup(Section);
    const int count = store.beginReadArray(ArrayName);
    for (int i = 0; i < count; ++i) {
        store.setArrayIndex(i);
        Place p;
        p.path = store.value(QStringLiteral("Path")).toString();
        p.size = store.value(QStringLiteral("Size")).toLongLong();
        p.modified = store.value(QStringLiteral("Modified")).toLongLong();
        p.position = store.value(QStringLiteral("Position")).toLongLong();
        p.name.page = store.value(QStringLiteral("Page")).toInt();
        p.name.words = store.value(QStringLiteral("Words")).toString();
        p.name.chapter = store.value(QStringLiteral("Chapter")).toString();
        if (!p.path.isEmpty())
            places.append(p);
    }
    store.endArray();
    store.endGroup();
    return places;
}

void writePlaces(QSettings& store, const QList<Place>& places)
{
    store.beginGroup(Section);
    store.remove(QString()); // the whole section: a shorter list leaves no stale entries
    store.beginWriteArray(ArrayName, int(places.size()));
    for (int i = 0; i < places.size(); ++i) {
        store.setArrayIndex(i);
        store.setValue(QStringLiteral("Path"), places[i].path);
        store.setValue(QStringLiteral("Size"), places[i].size);
        store.setValue(QStringLiteral("Modified"), places[i].modified);
        store.setValue(QStringLiteral("Position"), qint64(places[i].position));
        if (places[i].name.page > 0)
            store.setValue(QStringLiteral("Page"), places[i].name.page);
        if (!places[i].name.words.isEmpty())
            store.setValue(QStringLiteral("Words"), places[i].name.words);
        if (!places[i].name.chapter.isEmpty())
            store.setValue(QStringLiteral("Chapter"), places[i].name.chapter);
    }
    store.endArray();
    store.endGroup();
    store.sync();
    if (store.status() != QSettings::NoError)
        throw Failure(QStringLiteral("The settings file %1 can not be written.")
                          .arg(QDir::toNativeSeparators(settingsFilePath())));
}

void removePath(QList<Place>& places, const QString& absolutePath)
{
    places.removeIf([&](const Place& p) { return p.path == absolutePath; });
}

} // namespace

PlaceName nameOfPlace(const QString& text, qsizetype position, int wordCount)
{
    if (position < 0 || position >= text.size())
        return {};
    PlaceName name;
    name.page = int(QStringView(text).left(position).count(QLatin1Char('\f'))) + 1;
    const TextRange sentence = sentenceTextAt(text, position);
    const QStringList words = text.mid(sentence.start, sentence.length)
                                  .simplified()
                                  .split(QLatin1Char(' '), Qt::SkipEmptyParts);
    name.words = words.mid(0, wordCount).join(QLatin1Char(' '));
    if (words.size() > wordCount)
        name.words += QStringLiteral("\u2026");
    return name;
}

void rememberReadingPlace(const QString& pdfPath, qsizetype position, const PlaceName& name)
{
    std::optional<Place> place = stampOf(pdfPath);
    if (!place)
        return;
    place->position = qMax<qsizetype>(position, 0);
    place->name = name;
    QSettings store(settingsFilePath(), QSettings::IniFormat);
    QList<Place> places = readPlaces(store);
    removePath(places, place->path);
    places.prepend(*place);
    while (places.size() > MaxReadingPlaces)
        places.removeLast();
    writePlaces(store, places);
}

namespace {

std::optional<Place> storedPlace(const QString& pdfPath)
{
    const std::optional<Place> now = stampOf(pdfPath);
    if (!now)
        return std::nullopt;
    QSettings store(settingsFilePath(), QSettings::IniFormat);
    for (const Place& p : readPlaces(store)) {
        if (p.path == now->path) {
            if (p.size != now->size || p.modified != now->modified || p.position <= 0)
                return std::nullopt;
            return p;
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<qsizetype> readingPlace(const QString& pdfPath)
{
    const std::optional<Place> place = storedPlace(pdfPath);
    return place ? std::optional<qsizetype>(place->position) : std::nullopt;
}

std::optional<PlaceName> readingPlaceName(const QString& pdfPath)
{
    const std::optional<Place> place = storedPlace(pdfPath);
    return place ? std::optional<PlaceName>(place->name) : std::nullopt;
}

void forgetReadingPlace(const QString& pdfPath)
{
    const std::optional<Place> now = stampOf(pdfPath);
    const QString path = now ? now->path : QFileInfo(pdfPath).absoluteFilePath();
    QSettings store(settingsFilePath(), QSettings::IniFormat);
    QList<Place> places = readPlaces(store);
    const qsizetype before = places.size();
    removePath(places, path);
    if (places.size() != before)
        writePlaces(store, places);
}

} // namespace lectorix
