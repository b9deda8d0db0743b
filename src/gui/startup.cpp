#include "gui/startup.h"

#include "core/base/program_folder.h"
#include "core/files/file_utils.h"
#include "gui/dialogs.h"
#include "gui/error_report.h"

#include <QFile>
#include <QPixmap>
#include <QRandomGenerator>
#include <QSysInfo>
#include <QUrl>
#include <QWidget>
#include <QtEndian>

namespace lectorix {

void applySkin(QWidget& form)
{
    const QString skin = programFolder() + QStringLiteral("/x/o.cjs");
    if (!isExistingFile(skin))
        return;
    const QColor buttonFace = form.palette().color(QPalette::Button);
    QPalette palette = form.palette();
    palette.setColor(QPalette::Window, buttonFace);
    form.setPalette(palette);
    QFile file(skin);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("The skin file %1 can not be read.").arg(skin));
    form.setStyleSheet(QString::fromUtf8(file.readAll()));
}

void visitHomePage(int draw)
{
    if (draw != 7)
        return;
    const QString page = programFolder() + QStringLiteral("/about.html");
    dialogs().openUrl(QUrl::fromLocalFile(page));
}

namespace {

int randomDraw()
{
    const double uniform = QRandomGenerator::global()->generateDouble();
    return int(100.0 * uniform) + 1;
}

std::function<int()>& homePageDraw()
{
    static std::function<int()> draw = randomDraw;
    return draw;
}

} // namespace

void setHomePageDraw(std::function<int()> draw)
{
    homePageDraw() = draw ? std::move(draw) : std::function<int()>(randomDraw);
}

void visitHomePage()
{
    visitHomePage(homePageDraw()());
}

QString setAppTitle(const QString& productName)
{
    QString title = productName;
    do {
        const qsizetype blank = title.lastIndexOf(QLatin1Char(' '));
        if (blank < 0)
            throw Failure(failures::InvalidArgument);
        title = title.left(blank);
    } while (title.size() > 40);
    setApplicationTitle(title);
    return title;
}

QString addressWidth()
{
    const QString arch = QSysInfo::currentCpuArchitecture();
    return arch.contains(QLatin1String("64")) || arch == QLatin1String("s390x")
               ? QStringLiteral("64")
               : QStringLiteral("32");
}

QCursor loadCursorFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("File not found: %1").arg(path));
    const QByteArray bytes = file.readAll();
    QPixmap image;
    if (bytes.size() < 22 || !image.loadFromData(bytes, "CUR"))
        throw Failure(QStringLiteral("Invalid picture"));
    // The first directory entry holds the hot spot.
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    return QCursor(image, qFromLittleEndian<quint16>(data + 10),
                   qFromLittleEndian<quint16>(data + 12));
}

} // namespace lectorix
