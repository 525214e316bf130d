#pragma once

// What the window benchmarks share: when paints end, waiting for one, resident memory.

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace bench {

inline QElapsedTimer clock_;
inline qint64 lastPaintEnd = -1;

// Records when a paint event of any widget has been fully handled.
class TimingApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        const bool paint = event->type() == QEvent::Paint;
        const bool result = QApplication::notify(receiver, event);
        if (paint)
            lastPaintEnd = clock_.nsecsElapsed();
        return result;
    }
};

inline qint64 statusKb(const char* key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qsizetype(std::strlen(key))).trimmed().split(' ').first().toLongLong();
    return -1;
}

// Handles events until a paint that ended after `since`; false after five seconds without one.
inline bool waitForPaintAfter(qint64 since) {
    QElapsedTimer guard;
    guard.start();
    while (lastPaintEnd <= since) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        if (guard.elapsed() > 5000)
            return false;
    }
    return true;
}

inline void settle() {
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents();
}

// FILE [RUNS] from the command line; false (with a usage line printed) when FILE is missing.
inline bool readArguments(int argc, char** argv, const char* name, QString& file, int& runs) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE [RUNS]\n", name);
        return false;
    }
    file = QString::fromLocal8Bit(argv[1]);
    runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    return true;
}

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

} // namespace bench
