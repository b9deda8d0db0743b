#include "support/drawn_pdf.h"

#include <QDir>
#include <QFileInfo>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace lectorix::test {

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

} // namespace lectorix::test
