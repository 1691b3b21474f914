// File dialog filters from a description and a pattern.
#include "app/file_filter.h"

namespace zelto {

QString dialogFilter(const QString& description, const QString& pattern) {
    return description + QStringLiteral(" (") + pattern.toLower() + QLatin1Char(' ') +
           pattern.toUpper() + QLatin1Char(')');
}

} // namespace zelto
