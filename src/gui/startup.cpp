#include "gui/startup.h"

#include "core/error_report.h"
#include "gui/main_window.h"
#include "gui/globals.h"
#include "core/settings.h"
#include "core/file_utils.h"
#include "core/pdf_converter.h"
#include "gui/pdf_text.h"
#include "gui/dialogs.h"
#include "core/program_folder.h"
#include "core/temp_folder.h"
#include "gui/voice_list.h"

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QSlider>
#include <QSysInfo>
#include <QUrl>
#include <QtEndian>

namespace lectorix {

void ApplySkin(Form1& form)
{
    const QString skin = programFolder() + QStringLiteral("/x/o.cjs");
    if (!IsExistingFile(skin))
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

void VisitHomePage(int draw)
{
    if (draw != 7)
        return;
    const QString page = programFolder() + QStringLiteral("/about.html");
    dialogs().openUrl(QUrl::fromLocalFile(page));
}

void VisitHomePage()
{
    const double uniform = QRandomGenerator::global()->generateDouble();
    VisitHomePage(int(100.0 * uniform) + 1);
}

QString SetAppTitle(const QString& productName)
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

QString GetAddressWidth()
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

bool Form1::Form_Load()
{
    Guard g("Form1", "Form_Load");
    g(102, [&] { ApplySkin(*this); });
    const QString cursorFile = programFolder() + QStringLiteral("/HAND-M.CUR");
    if (g.test(104, [&] { return FileExists(cursorFile); }))
        g(106, [&] { setCustomPointer(loadCursorFile(cursorFile)); });
    g(108, [] { VisitHomePage(); });
    g(
        128, [&] { setWindowTitle(ProductName); },
        [&] { setWindowIcon(QIcon(QStringLiteral(":/icons/lectorix.png"))); },
        [] { SetAppTitle(); });
    bool voicesListed = false;
    g.assign(130, voicesListed, [&] { return FillVoiceList(Combo1); });
    if (!voicesListed)
        return false;
    g(132, [&] {
        setSliderValue(Slider1,
                       convert::leadingNumber(ReadSetting(QStringLiteral("Volume Level"), 50)));
    });
    g(134, [&] {
        setSliderValue(Slider2,
                       convert::leadingNumber(ReadSetting(QStringLiteral("Speech Rate"), -3)));
    });
    g(136, [&] {
        lblVolume->setText(QStringLiteral("Volume Level = ") + QString::number(Slider1->value()));
    });
    g(138, [&] {
        lblSpeed->setText(QStringLiteral("Speech Rate = ") + QString::number(Slider2->value()));
    });
    QString width;
    g.assign(140, width, [] { return GetAddressWidth(); });
    QByteArray launcher;
    const auto writeConverter = [&](int line) {
        if (g.test(line, [] { return !FileExists(converterPath()); }))
            g(line, [&] { WriteFileIfMissing(launcher, converterPath(), true); });
    };
    if (g.test(142, [&] { return width == QLatin1String("64"); })) {
        g.assign(144, launcher, [] { return customResource(102); });
        writeConverter(146);
    } else {
        g.assign(148, launcher, [] { return customResource(101); });
        writeConverter(150);
    }
    g(152, [&] { Text3->setText(ReadSetting(QStringLiteral("Text3"), GetDesktopFolderPath())); });
    g(154, [&] { Text1->setText(ReadSetting(QStringLiteral("Text1"), QString())); });
    if (g.test(156, [&] { return FileExists(Text1->text()); })) {
        g(158, [&] { setMousePointer(PointerBusy); });
        g(160, [&] { GetPDFText(*this, Text1->text()); });
        g(162, [&] { setMousePointer(PointerDefault); });
    } else {
        g(164, [&] { Text2->clear(); });
    }
    g(166, [&] {
        const int value = convert::strictWholeNumber(ReadSetting(QStringLiteral("Check1"), 0));
        if (value < 0 || value > 2)
            throw Failure(failures::InvalidPropertyValue);
        Check1->setTristate(value == 2);
        Check1->setCheckState(value == 0   ? Qt::Unchecked
                              : value == 1 ? Qt::Checked
                                           : Qt::PartiallyChecked);
    });
    g(168, [] { globals().UseTextBox = false; });
    g(170, [&] {
        setOptionValue(Option1, convert::truthValue(ReadSetting(QStringLiteral("Option1"), 1)));
    });
    g(172, [&] {
        setOptionValue(Option2, convert::truthValue(ReadSetting(QStringLiteral("Option2"), 0)));
    });
    if (g.test(174, [&] { return Option1->isChecked(); }))
        g(176, [&] { Frame9->setEnabled(true); });
    else
        g(178, [&] { Frame9->setEnabled(false); });
    return true;
}

} // namespace lectorix
