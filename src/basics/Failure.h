#pragma once

#include <QString>

// A failed operation: a stable number (quoted by users as "Error ID"), where it happened and a
// sentence for the user. Numbers are listed in the README.
struct Failure {
    int number = 0;
    QString source;
    QString description;
};

namespace ErrorNumber {
// A dialog the user cancelled; callers end their command silently on it.
inline constexpr int Cancelled = 32755;
} // namespace ErrorNumber
