// Replaces the file at argv[1] over and over, alternately with argv[2] MB of 'a' and of 'b',
// until it is killed. tst_DocumentFile kills it at random moments.
#include "document/DocumentFile.h"

#include <QByteArray>
#include <QString>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 3)
        return 2;
    const QString path = QString::fromLocal8Bit(argv[1]);
    const qsizetype size = qsizetype(std::atoi(argv[2])) << 20;
    const QByteArray contents[2] = {QByteArray(size, 'a'), QByteArray(size, 'b')};
    for (unsigned round = 0;; ++round) {
        if (auto failure = replaceFile(path, contents[round % 2])) {
            std::fprintf(stderr, "%s\n", qPrintable(failure->description));
            return 1;
        }
    }
}
