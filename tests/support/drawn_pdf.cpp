#include "drawn_pdf.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTest>

#include <algorithm>

namespace lectorix::test {

namespace {

// Points to the writer's device units.
constexpr int Resolution = 720;
constexpr double Scale = Resolution / 72.0;

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
            QFont font(QStringLiteral("Liberation Serif"));
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
    return writePdfWithScans(path, pages, {});
}

QString writePdfWithScans(const QString& path, const Pages& pages, const QList<int>& scanned)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QPdfWriter writer(path);
    writer.setResolution(300);
    writer.setPageSize(QPageSize(QPageSize::A5));
    QPainter painter(&writer);
    QFont font(QStringLiteral("Liberation Serif"));
    font.setPointSize(12);
    painter.setFont(font);
    for (qsizetype i = 0; i < pages.size(); ++i) {
        if (i > 0)
            writer.newPage();
        // A scanned page is drawn into a picture of the page (300 dpi, as the writer's
        // units), which the page then shows.
        QImage picture;
        QPainter pictureDrawing;
        QPainter* drawing = &painter;
        if (scanned.contains(int(i) + 1)) {
            picture = QImage(writer.width(), writer.height(), QImage::Format_Grayscale8);
            picture.setDotsPerMeterX(qRound(300 / 0.0254));
            picture.setDotsPerMeterY(qRound(300 / 0.0254));
            picture.fill(Qt::white);
            pictureDrawing.begin(&picture);
            pictureDrawing.setFont(painter.font());
            drawing = &pictureDrawing;
        }
        if (pages.at(i).isEmpty())
            drawing->fillRect(QRect(100, 100, 900, 900), QColor(90, 90, 90));
        int y = 200;
        for (const QString& line : pages.at(i)) {
            drawing->drawText(100, y, line);
            y += 80;
        }
        if (pictureDrawing.isActive()) {
            pictureDrawing.end();
            painter.drawImage(0, 0, picture);
        }
    }
    painter.end();
    return path;
}

int runWithDrawing(QObject* test, int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    return QTest::qExec(test, argc, argv);
}

} // namespace lectorix::test
