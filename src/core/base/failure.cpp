#include "core/base/failure.h"

#include <new>

namespace lectorix {

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

} // namespace lectorix
