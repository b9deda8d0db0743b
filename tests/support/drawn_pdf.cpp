#include "drawn_pdf.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
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
        if (pages.at(i).isEmpty())
            painter.fillRect(QRect(100, 100, 900, 900), QColor(90, 90, 90));
        int y = 200;
        for (const QString& line : pages.at(i)) {
            painter.drawText(100, y, line);
            y += 80;
        }
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

int runWithDrawing(QObject* test, int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    return QTest::qExec(test, argc, argv);
}

} // namespace lectorix::test
