#include "app/error_report.h"

#include "platform/dialogs.h"

namespace lectorix {

QString sourceTag(const char* module, const char* procedure)
{
    return QStringLiteral("Lectorix2021/08/31.%1.%2")
        .arg(QLatin1String(module), QLatin1String(procedure));
}

QString applicationErrorText(const QString& tag, int line, const QString& description)
{
    return description + QStringLiteral("\r\n") + QStringLiteral("in ") + tag + QLatin1Char(' ') +
           QStringLiteral("at line ") + QString::number(line) + QStringLiteral("\r\r") +
           QStringLiteral("Please email screenshot of this message to ") +
           QLatin1String(SupportAddress);
}

void ReportApplicationError(const QString& tag, int line, const QString& description)
{
    dialogs().message({applicationErrorText(tag, line, description),
                       QStringLiteral("Application Error"), Dialogs::Icon::Warning,
                       Dialogs::Buttons::Ok});
}

QString describeCurrentException()
{
    try {
        throw;
    } catch (const Failure& failure) {
        return failure.description();
    } catch (const std::bad_alloc&) {
        return QStringLiteral("Out of memory");
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

void Guard::report(int line)
{
    ++m_failures;
    ReportApplicationError(m_tag, line, describeCurrentException());
}

} // namespace lectorix
