#include "drawn_pdf.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace lectorix::test {

namespace {

// Points to the writer's device units.
constexpr int Resolution = 720;
constexpr double Scale = Resolution / 72.0;

// Every drawn PDF is written in this font, loaded from its file, so Qt embeds that very font
// whatever fonts the machine has: a family name alone is matched by fontconfig, which may
// prefer another font of the same metrics.
constexpr const char* FontFile = "/usr/share/fonts/truetype/liberation/LiberationSerif-Regular.ttf";

QFont drawingFont()
{
    static const QString family = [] {
        const QStringList families = QFontDatabase::applicationFontFamilies(
            QFontDatabase::addApplicationFont(QString::fromLatin1(FontFile)));
        if (families.isEmpty())
            qFatal("Drawn PDFs are written in %s, which is missing: install fonts-liberation "
                   "(make test does)",
                   FontFile);
        return families.first();
    }();
    return QFont(family);
}

// The lines of a page as writePdf draws them, on a 300 dpi device.
void drawLines(QPainter& painter, const QStringList& lines)
{
    int y = 200;
    for (const QString& line : lines) {
        painter.drawText(100, y, line);
        y += 80;
    }
}

} // namespace

bool drawPdf(const QString& path, const QList<DrawnText>& texts)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QPdfWriter writer(path);
    writer.setResolution(Resolution);
    writer.setPageSize(QPageSize(QPageSize::A5));
    writer.setPageMargins(QMarginsF());
    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    int pages = 0;
    for (const DrawnText& text : texts)
        pages = std::max(pages, text.page + 1);
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            writer.newPage();
        for (const DrawnText& text : texts) {
            if (text.page != page)
                continue;
            QFont font = drawingFont();
            font.setPixelSize(int(text.size * Scale));
            painter.setFont(font);
            painter.save();
            painter.translate(text.x * Scale, text.y * Scale);
            painter.rotate(text.angle);
            painter.drawText(QPointF(0, 0), text.text);
            painter.restore();
        }
    }
    return painter.end();
}

QString writePdf(const QString& path, const Pages& pages)
{
    return writePdf(path, pages, {});
}

QString writePdf(const QString& path, const Pages& pages, const QList<int>& scanned)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QPdfWriter writer(path);
    writer.setResolution(300);
    writer.setPageSize(QPageSize(QPageSize::A5));
    QPainter painter(&writer);
    QFont font = drawingFont();
    font.setPointSize(12);
    painter.setFont(font);
    for (qsizetype i = 0; i < pages.size(); ++i) {
        if (i > 0)
            writer.newPage();
        if (pages.at(i).isEmpty())
            painter.fillRect(QRect(100, 100, 900, 900), QColor(90, 90, 90));
        if (scanned.contains(int(i))) {
            // The writer draws at 300 dpi too, so the picture's pixels are the page's.
            QImage picture(writer.width(), writer.height(), QImage::Format_Grayscale8);
            picture.setDotsPerMeterX(11811); // 300 dpi, so the font's points come out the same
            picture.setDotsPerMeterY(11811);
            picture.fill(Qt::white);
            QPainter scanner(&picture);
            scanner.setFont(font);
            drawLines(scanner, pages.at(i));
            scanner.end();
            painter.drawImage(QPoint(0, 0), picture);
            continue;
        }
        drawLines(painter, pages.at(i));
    }
    painter.end();
    return path;
}

bool drawChapterBook(const QString& path)
{
    constexpr double Left = 50;
    QList<DrawnText> texts;
    int row = 0;
    int page = 0;
    const auto heading = [&](double size, const QString& text) {
        row += 1;
        texts.append({page, Left, 75.0 + row * 16, size, text});
        row += 1;
    };
    const auto body = [&](const QStringList& lines) {
        for (const QString& line : lines)
            texts.append({page, Left, 75.0 + ++row * 16, 11, line});
    };
    heading(18, QStringLiteral("The Lighthouse"));
    body({QStringLiteral("The keeper climbed the tower every evening at six."),
          QStringLiteral("He trimmed the wick and polished the great lens."),
          QStringLiteral("Ships passed far out on the grey water all night."),
          QStringLiteral("In the morning he wrote the weather in his book.")});
    page = 1;
    row = 0;
    heading(18, QStringLiteral("The Storm"));
    body({QStringLiteral("A storm came in from the west on a cold Tuesday."),
          QStringLiteral("The wind tore at the roof and the windows shook.")});
    heading(14, QStringLiteral("At Sea"));
    body({QStringLiteral("Out on the water a small boat fought the waves."),
          QStringLiteral("Its crew saw the light and turned toward the bay."),
          QStringLiteral("By dawn they were safe in the harbour again.")});
    page = 2;
    row = 0;
    heading(18, QStringLiteral("Notes on Lamps"));
    body({QStringLiteral("Oil lamps need clean wicks and a steady draught."),
          QStringLiteral("A keeper carries spare mantles and a can of oil."),
          QStringLiteral("The lens must be covered from the sun by day.")});
    return drawPdf(path, texts);
}

QStringList chapterBookChapters()
{
    return {QStringLiteral("0 1 The Lighthouse"), QStringLiteral("0 2 The Storm"),
            QStringLiteral("1 2 At Sea"), QStringLiteral("0 3 Notes on Lamps")};
}

bool writeImagePdf(const QString& path, const QStringList& images, int dpi)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QPdfWriter writer(path);
    writer.setResolution(dpi);
    writer.setPageMargins(QMarginsF());
    QPainter painter;
    for (qsizetype i = 0; i < images.size(); ++i) {
        const QImage image(images.at(i));
        if (image.isNull())
            return false;
        writer.setPageSize(
            QPageSize(QSizeF(image.width() * 72.0 / dpi, image.height() * 72.0 / dpi),
                      QPageSize::Point, QString(), QPageSize::ExactMatch));
        if (i == 0 ? !painter.begin(&writer) : !writer.newPage())
            return false;
        painter.drawImage(QPoint(0, 0), image);
    }
    return painter.end();
}

QString scannedCopy(const QString& pdf, int first, int last, const QString& path)
{
    QTemporaryDir images;
    QProcess renderer;
    renderer.start(QStringLiteral("pdftoppm"),
                   {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-gray"),
                    QStringLiteral("-png"), QStringLiteral("-f"), QString::number(first),
                    QStringLiteral("-l"), QString::number(last), pdf,
                    images.filePath(QStringLiteral("page"))});
    if (!renderer.waitForFinished(120000) || renderer.exitCode() != 0)
        return QString();
    QStringList files;
    for (const QFileInfo& file :
         QDir(images.path()).entryInfoList({QStringLiteral("*.png")}, QDir::Files, QDir::Name))
        files << file.absoluteFilePath();
    if (files.size() != last - first + 1 || !writeImagePdf(path, files))
        return QString();
    return path;
}

int runWithDrawing(QObject* test, int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    return QTest::qExec(test, argc, argv);
}

} // namespace lectorix::test
