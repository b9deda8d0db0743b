#include "gui/startup.h"

#include "core/base/error_report.h"
#include "core/process/launcher_sharing.h"
#include "core/files/file_utils.h"
#include "core/pdf/pdf_converter.h"
#include "core/base/program_folder.h"
#include "core/settings/settings.h"
#include "core/settings/settings_keys.h"
#include "core/files/temp_folder.h"
#include "gui/dialogs.h"
#include "gui/main_window.h"
#include "gui/pdf_text.h"
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

void applySkin(MainWindow& form)
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

bool MainWindow::startUp()
{
    Guard g("Form1", "Form_Load");
    g(102, [&] { applySkin(*this); });
    const QString cursorFile = programFolder() + QStringLiteral("/HAND-M.CUR");
    if (g.test(104, [&] { return fileExists(cursorFile); }))
        g(106, [&] { setCustomPointer(loadCursorFile(cursorFile)); });
    g(108, [] { visitHomePage(); });
    g(
        128, [&] { setWindowTitle(ProductName); },
        [&] { setWindowIcon(QIcon(QStringLiteral(":/icons/lectorix.png"))); },
        [] { setAppTitle(); });
    bool voicesListed = false;
    g.assign(130, voicesListed, [&] { return fillVoiceList(voiceCombo); });
    if (!voicesListed)
        return false;
    g(132,
      [&] { setSliderValue(volumeSlider, convert::leadingNumber(readSetting(keys::Volume, 50))); });
    g(134,
      [&] { setSliderValue(rateSlider, convert::leadingNumber(readSetting(keys::Rate, -3))); });
    g(136, [&] {
        volumeValueLabel->setText(QStringLiteral("Volume Level = ") +
                                  QString::number(volumeSlider->value()));
    });
    g(138, [&] {
        speedValueLabel->setText(QStringLiteral("Speech Rate = ") +
                                 QString::number(rateSlider->value()));
    });
    QString width;
    g.assign(140, width, [] { return addressWidth(); });
    QByteArray launcher;
    shareLaunchers();
    const auto writeConverter = [&](int line) {
        if (g.test(line, [] { return !fileExists(converterPath()); }))
            g(line, [&] { writeFileIfMissing(launcher, converterPath(), true); });
    };
    if (g.test(142, [&] { return width == QLatin1String("64"); })) {
        g.assign(144, launcher, [] { return customResource(102); });
        writeConverter(146);
    } else {
        g.assign(148, launcher, [] { return customResource(101); });
        writeConverter(150);
    }
    g(152,
      [&] { outputFolderEdit->setText(readSetting(keys::OutputFolder, desktopFolderPath())); });
    g(154, [&] { pdfPathEdit->setText(readSetting(keys::PdfPath, QString())); });
    if (g.test(156, [&] { return fileExists(pdfPathEdit->text()); })) {
        g(158, [&] { setMousePointer(PointerBusy); });
        g(160, [&] {
            loadPdfText(*this, pdfPathEdit->text(), [this] {
                Guard then("Form1", "Form_Load");
                then(162, [&] { setMousePointer(PointerDefault); });
            });
        });
    } else {
        g(164, [&] { textToReadEdit->clear(); });
    }
    g(166, [&] {
        const int value = convert::strictWholeNumber(readSetting(keys::PasswordPrompt, 0));
        if (value < 0 || value > 2)
            throw Failure(failures::InvalidPropertyValue);
        passwordPromptCheck->setTristate(value == 2);
        passwordPromptCheck->setCheckState(value == 0   ? Qt::Unchecked
                                           : value == 1 ? Qt::Checked
                                                        : Qt::PartiallyChecked);
    });
    g(168, [&] { useTextBox = false; });
    g(170, [&] {
        setOptionValue(saveToFolderOption, convert::truthValue(readSetting(keys::SaveToFolder, 1)));
    });
    g(172, [&] {
        setOptionValue(saveBesidePdfOption,
                       convert::truthValue(readSetting(keys::SaveBesidePdf, 0)));
    });
    if (g.test(174, [&] { return saveToFolderOption->isChecked(); }))
        g(176, [&] { outputFolderFrame->setEnabled(true); });
    else
        g(178, [&] { outputFolderFrame->setEnabled(false); });
    return true;
}

} // namespace lectorix
