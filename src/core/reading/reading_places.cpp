#include "core/reading/reading_places.h"

#include "core/base/failure.h"
#include "core/settings/settings.h"

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
};

std::optional<Place> stampOf(const QString& pdfPath)
{
    const QFileInfo info(pdfPath);
    if (pdfPath.isEmpty() || !info.isFile())
        return std::nullopt;
    return Place{info.absoluteFilePath(), info.size(), info.lastModified().toMSecsSinceEpoch(), 0};
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

void rememberReadingPlace(const QString& pdfPath, qsizetype position)
{
    std::optional<Place> place = stampOf(pdfPath);
    if (!place)
        return;
    place->position = qMax<qsizetype>(position, 0);
    QSettings store(settingsFilePath(), QSettings::IniFormat);
    QList<Place> places = readPlaces(store);
    removePath(places, place->path);
    places.prepend(*place);
    while (places.size() > MaxReadingPlaces)
        places.removeLast();
    writePlaces(store, places);
}

std::optional<qsizetype> readingPlace(const QString& pdfPath)
{
    const std::optional<Place> now = stampOf(pdfPath);
    if (!now)
        return std::nullopt;
    QSettings store(settingsFilePath(), QSettings::IniFormat);
    for (const Place& p : readPlaces(store)) {
        if (p.path == now->path) {
            if (p.size != now->size || p.modified != now->modified || p.position <= 0)
                return std::nullopt;
            return p.position;
        }
    }
    return std::nullopt;
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
